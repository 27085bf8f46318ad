// Feeds arbitrary bytes to the icon-source reader the way the viewer and zor-icons use it.

#include "IconSource.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

using namespace zor::iconsource;

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const IconFile file = IconFile::fromData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const int n = file.count();
    for (int k : {0, 1, 2, n - 1}) {
        if (k < 0 || k >= n)
            continue;
        const IconPair pair = file.extract(k);
        if (!pair.large.isNull() && pair.large.size() != QSize(32, 32))
            __builtin_trap();
        if (!pair.small.isNull() && pair.small.size() != QSize(16, 16))
            __builtin_trap();
        const QByteArray ico = file.groupAsIco(k);
        if (!ico.isEmpty() && IconFile::fromData(ico).count() != 1)
            __builtin_trap();
    }
    return 0;
}
