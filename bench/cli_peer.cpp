// zor-icons count and list against wrestool -l on one small real program and on one of a few
// MB, in one run: each started many times, alternately, its output thrown away; beside them a
// program that links Qt Core and does nothing, the floor of any that links it, which count and
// list therefore do not (zor-icons runs them with the standard library alone and hands every
// other command to its helpers). The target is wrestool's time (which links nothing but reads
// all of a file); how far each is from it and from the floor is printed, met or not.
// `bench_cli_peer [ZOR_ICONS]` measures another build of zor-icons (an older one, to compare).

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

// The smallest of wine's programs that holds icons, and the first of 2 MB or more; a library
// made here without wine.
QStringList programs(const QString& scratch)
{
    QStringList found;
    const QFileInfoList all = QDir(WineFolder).entryInfoList({"*.exe", "*.dll"}, QDir::Files, QDir::Size | QDir::Reversed);
    for (const QFileInfo& f : all) {
        if ((found.isEmpty() || f.size() >= (2 << 20))
            && fx::runTool(QStringLiteral(ZOR_ICONS_EXE), {"count", f.filePath()}).trimmed() != "0")
            found << f.filePath();
        if (found.size() == 2)
            break;
    }
    return found.isEmpty() ? QStringList{fx::makeLibrary(scratch, 8, false)} : found;
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
    QStringList files;
    try {
        files = programs(dir.path());
    } catch (const fx::ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const QByteArray zorIcons = argc > 1 ? QByteArray(argv[1]) : QByteArray(ZOR_ICONS_EXE);
    bool fast = true;
    for (const QString& file : files) {
        const QByteArray path = QFile::encodeName(file);
        const std::vector<std::vector<QByteArray>> commands = {
            {zorIcons, "count", path}, {zorIcons, "list", path}, {ZOR_QT_CORE_FLOOR}, {"wrestool", "-l", path}};
        const char* const names[] = {"zor-icons count", "zor-icons list", "Qt Core floor", "wrestool -l"};
        std::vector<std::vector<double>> ms(commands.size());
        std::vector<double> peak(commands.size());
        for (size_t c = 0; c < commands.size(); ++c)   // warm: the files and the libraries in the cache
            peak[c] = bench::peakMb(commands[c]);
        for (int round = 0; round < kRounds; ++round)
            for (size_t c = 0; c < commands.size(); ++c)
                ms[c].push_back(bench::spawned(commands[c]).ms);
        const double floor = median(ms[2]), peer = median(ms[3]);
        std::printf("%s on %s (%lld bytes), %d runs each, alternately; medians:\n", zorIcons.constData(),
                    path.constData(), qlonglong(QFileInfo(file).size()), kRounds);
        for (size_t c = 0; c < commands.size(); ++c) {
            const double m = median(ms[c]);
            std::printf("  %-16s %6.2f ms  %5.1f MB peak  %.2fx wrestool  %.2fx the floor\n", names[c], m, peak[c],
                        m / peer, m / floor);
            if (c < 2)
                fast = fast && m <= peer;
        }
    }
    std::printf("%s\n", fast ? "count and list: at most wrestool's time, the target, met"
                             : "count and list: at most wrestool's time, the target, NOT met");
    return 0;
}
