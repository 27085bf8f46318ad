// zor-icons count and list against wrestool -l on one small real program, in one run: each
// started many times, alternately, its output thrown away. What decodes no picture must start
// no slower than wrestool: zor-icons links Qt Core alone for it. `bench_cli_peer [ZOR_ICONS]`
// measures another build of zor-icons (an older one, to compare).

#include "IconFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "Spawned.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace fx = zor::iconfixtures;

namespace {

const QString WineFolder = QStringLiteral("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows");
constexpr int kRounds = 300;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The smallest of wine's programs that holds icons; a library made here without wine.
QString smallProgram(const QString& scratch)
{
    QFileInfoList all = QDir(WineFolder).entryInfoList({"*.exe", "*.dll"}, QDir::Files, QDir::Size | QDir::Reversed);
    for (const QFileInfo& f : all)
        if (fx::runTool(QStringLiteral(ZOR_ICONS_EXE), {"count", f.filePath()}).trimmed() != "0")
            return f.filePath();
    return fx::makeLibrary(scratch, 8, false);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (!fx::missingTools({"wrestool"}).isEmpty()) {
        std::printf("cli_peer: skipped, wrestool is missing (install icoutils)\n");
        return 0;
    }
    QTemporaryDir dir;
    QString file;
    try {
        file = smallProgram(dir.path());
    } catch (const fx::ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const QByteArray path = QFile::encodeName(file);
    const QByteArray zorIcons = argc > 1 ? QByteArray(argv[1]) : QByteArray(ZOR_ICONS_EXE);
    const std::vector<std::vector<QByteArray>> commands = {
        {zorIcons, "count", path}, {zorIcons, "list", path}, {"wrestool", "-l", path}};
    const char* const names[] = {"zor-icons count", "zor-icons list", "wrestool -l"};
    std::vector<std::vector<double>> ms(commands.size());
    std::vector<double> peak(commands.size());
    for (size_t c = 0; c < commands.size(); ++c)   // warm: the files and the libraries in the cache
        peak[c] = bench::peakMb(commands[c]);
    for (int round = 0; round < kRounds; ++round)
        for (size_t c = 0; c < commands.size(); ++c) {
            ms[c].push_back(bench::spawned(commands[c]).ms);
        }
    const double peer = median(ms[2]);
    bool fast = true;
    std::printf("%s on %s (%lld bytes), %d runs each, alternately; medians:\n", zorIcons.constData(), path.constData(),
                qlonglong(QFileInfo(file).size()), kRounds);
    for (size_t c = 0; c < commands.size(); ++c) {
        const double m = median(ms[c]);
        std::printf("  %-16s %6.2f ms  %5.1f MB peak  %.2fx wrestool\n", names[c], m, peak[c], m / peer);
        if (c < 2)
            fast = fast && m <= peer;
    }
    std::printf("%s\n", fast ? "count and list are no slower than wrestool -l" : "count or list is SLOWER than wrestool -l");
    return fast ? 0 : 1;
}
