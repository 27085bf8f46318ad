// `zor-icons search` against wrestool over one tree of 400 real programs and libraries
// (wine's) and 1,000 icon files, about 120 MB, warm cache. The search must take under
// 1.5 s and under half the time of `find DIR -type f -exec wrestool -l --type=14 {} +`.
// Then over a tree of about 13,750 files (every program of wine's, linked again and again,
// and 10,000 icon files), where it must peak under 40 MB resident: what it reads of each
// file is not kept.

#include "IconFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "Spawned.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

namespace fx = zor::iconfixtures;

namespace {

const QString WineFolder = QStringLiteral("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows");
constexpr double kMaxPeakMb = 40;
QString trees[2];
double bestSeconds[2][2] = {{1e9, 1e9}, {1e9, 1e9}};
double peakMb[2][2] = {{0, 0}, {0, 0}};
int found[2][2] = {{0, 0}, {0, 0}};

// Every program and library with icons, and the smallest of the rest, 400 in all.
QStringList programs()
{
    QFileInfoList all = QDir(WineFolder).entryInfoList({"*.dll", "*.exe"}, QDir::Files, QDir::Size | QDir::Reversed);
    QStringList withIcons, others;
    for (const QFileInfo& f : all) {
        const QByteArray count = fx::runTool(QStringLiteral(ZOR_ICONS_EXE), {"count", f.filePath()}).trimmed();
        (count != "0" ? withIcons : others) << f.filePath();
    }
    return withIcons + others.mid(0, std::max<qsizetype>(0, 400 - withIcons.size()));
}

qint64 makeTree(const QString& root)
{
    qint64 bytes = 0;
    const QStringList pe = programs();
    for (int i = 0; i < pe.size(); ++i) {
        const QString folder = root + QStringLiteral("/programs/%1/%2").arg(i % 10).arg(i % 3);
        QDir().mkpath(folder);
        QFile::copy(pe[i], folder + "/" + QFileInfo(pe[i]).fileName());
        bytes += QFileInfo(pe[i]).size();
    }
    const QString src = root + "/../src";
    QDir().mkpath(src);
    const std::vector<std::vector<fx::IcoImage>> variants = {
        {{16, 4, false, 1}, {32, 4, false, 2}},
        {{16, 32, false, 3}, {32, 32, false, 4}, {48, 32, false, 5}, {256, 32, true, 6}},
        {{32, 8, false, 7}, {48, 24, false, 8}},
        {{16, 32, false, 9}, {24, 32, false, 10}, {32, 32, false, 11}, {48, 32, false, 12}, {64, 32, false, 13},
         {256, 32, true, 14}},
    };
    std::vector<QByteArray> icons;
    for (size_t v = 0; v < variants.size(); ++v)
        icons.push_back(fx::readBytes(fx::makeIco(src, QStringLiteral("v%1.ico").arg(v), variants[v])));
    for (int i = 0; i < 1000; ++i) {
        const QString folder = root + QStringLiteral("/icons/%1/%2").arg(i % 20).arg(i % 4);
        QDir().mkpath(folder);
        const QByteArray& b = icons[size_t(i) % icons.size()];
        fx::writeBytes(folder + QStringLiteral("/icon%1.%2").arg(i).arg(i % 7 == 0 ? "cur" : "ico"), b);
        bytes += b.size();
    }
    return bytes;
}

// Every program and library of wine's, hard-linked (copied where links cannot be made) into
// folders of about 250 until there are 3,750, and 10,000 icon files: 13,750 files.
void makeLargeTree(const QString& root)
{
    QStringList pe;
    for (const char* arch : {"x86_64-windows", "i386-windows"})
        for (const QFileInfo& f : QDir(WineFolder.section('/', 0, -2) + '/' + arch).entryInfoList({"*.dll", "*.exe"}, QDir::Files))
            pe << f.filePath();
    for (int i = 0; i < 3750 && !pe.isEmpty(); ++i) {
        const QString folder = root + QStringLiteral("/programs/%1/%2").arg(i / 250).arg(i / pe.size());
        QDir().mkpath(folder);
        const QString from = pe[i % pe.size()], to = folder + '/' + QFileInfo(from).fileName();
        if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
            QFile::copy(from, to);
    }
    const QString src = root + "/../src-large";
    QDir().mkpath(src);
    const QByteArray icon = fx::readBytes(
        fx::makeIco(src, "i.ico", {{16, 32, false, 1}, {32, 32, false, 2}, {48, 32, false, 3}, {256, 32, true, 4}}));
    for (int i = 0; i < 10000; ++i) {
        const QString folder = root + QStringLiteral("/icons/%1").arg(i / 500);
        QDir().mkpath(folder);
        fx::writeBytes(folder + QStringLiteral("/icon%1.ico").arg(i), icon);
    }
}

// What each tool found: the lines of one more run, outside the timing.
int linesOf(int tool, const QString& tree)
{
    const QByteArray out = tool == 0
        ? fx::runTool(QStringLiteral(ZOR_ICONS_EXE), {"search", tree, "--recursive"})
        : fx::runTool("sh", {"-c", "find \"$1\" -type f -exec wrestool -l --type=14 {} + 2>/dev/null; true", "sh", tree});
    return int(out.count('\n'));
}

void searchWith(benchmark::State& state, int which, int tool)
{
    const QString& tree = trees[which];
    if (tree.isEmpty()) {
        state.SkipWithError("no tree");
        return;
    }
    const QByteArray dir = QFile::encodeName(tree);
    for (auto _ : state) {
        const bench::Spawned run = tool == 0
            ? bench::spawned({ZOR_ICONS_EXE, "search", dir, "--recursive"})
            : bench::spawned({"sh", "-c", "find \"$1\" -type f -exec wrestool -l --type=14 {} + 2>/dev/null", "sh", dir});
        state.SetIterationTime(run.ms / 1e3);
        bestSeconds[which][tool] = std::min(bestSeconds[which][tool], run.ms / 1e3);
    }
    peakMb[which][tool] = bench::peakMb(tool == 0
        ? std::vector<QByteArray>{ZOR_ICONS_EXE, "search", dir, "--recursive"}
        : std::vector<QByteArray>{"sh", "-c", "find \"$1\" -type f -exec wrestool -l --type=14 {} + 2>/dev/null", "sh", dir});
    found[which][tool] = linesOf(tool, tree);
    state.counters["lines"] = found[which][tool];
    state.counters["peak_MB"] = peakMb[which][tool];
}

void BM_ZorIconsSearch(benchmark::State& state) { searchWith(state, 0, 0); }
void BM_WrestoolOverFind(benchmark::State& state) { searchWith(state, 0, 1); }
void BM_ZorIconsSearchLarge(benchmark::State& state) { searchWith(state, 1, 0); }
void BM_WrestoolOverFindLarge(benchmark::State& state) { searchWith(state, 1, 1); }

BENCHMARK(BM_ZorIconsSearch)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrestoolOverFind)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZorIconsSearchLarge)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrestoolOverFindLarge)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (!QFileInfo(WineFolder).isDir()) {
        std::printf("search_tree: skipped, %s is missing (install libwine)\n", qPrintable(WineFolder));
        return 0;
    }
    QTemporaryDir dir;
    qint64 bytes = 0;
    try {
        trees[0] = dir.filePath("tree");
        bytes = makeTree(trees[0]);
        trees[1] = dir.filePath("large");
        makeLargeTree(trees[1]);
    } catch (const fx::ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        trees[0].clear();
        trees[1].clear();
    }
    // Warm cache: both read the whole tree once before they are timed.
    for (const QString& tree : trees) {
        QProcess::execute(QStringLiteral(ZOR_ICONS_EXE), {"search", tree, "-r", "--all-files", "--min-size", "9999"});
        QProcess::execute("sh", {"-c", "find \"$1\" -type f -exec cat {} + >/dev/null", "sh", tree});
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const bool fast = bestSeconds[0][0] < 1.5 && bestSeconds[0][0] < 0.5 * bestSeconds[0][1];
    std::printf("tree of 400 programs and libraries and 1,000 icon files, %.0f MB, best of 5: "
                "zor-icons search %.1f ms (%d icons, %.1f MB peak), wrestool %.1f ms (%d groups of the programs, %.1f MB peak), "
                "%.2f of its time (%s)\n",
                bytes / 1e6, bestSeconds[0][0] * 1e3, found[0][0], peakMb[0][0], bestSeconds[0][1] * 1e3, found[0][1],
                peakMb[0][1], bestSeconds[0][0] / bestSeconds[0][1], fast ? "under 1.5 s and under half" : "TOO SLOW");
    const bool small = peakMb[1][0] <= kMaxPeakMb;
    std::printf("tree of 3,750 programs and libraries and 10,000 icon files, best of 3: "
                "zor-icons search %.1f ms (%d icons), %.1f MB peak; wrestool %.1f ms, %.1f MB peak; %.2f of its time (%s)\n",
                bestSeconds[1][0] * 1e3, found[1][0], peakMb[1][0], bestSeconds[1][1] * 1e3, peakMb[1][1],
                bestSeconds[1][0] / bestSeconds[1][1], small ? "under 40 MB" : "TOO LARGE");
    return fast && small ? 0 : 1;
}
