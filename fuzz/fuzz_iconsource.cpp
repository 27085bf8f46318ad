// Feeds arbitrary bytes to the icon-source reader and reads everything it offers.

#include "ReadEverything.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>

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
    const QString wrong = readEverything(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!wrong.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(wrong));
        __builtin_trap();
    }
    return 0;
}
