// `zor-icons search` against wrestool over one tree of 400 real programs and libraries
// (wine's) and 1,000 icon files, about 120 MB, warm cache. The search must take under
// 1.5 s and under half the time of `find DIR -type f -exec wrestool -l --type=14 {} +`.

#include "IconFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

namespace fx = zor::iconfixtures;

namespace {

const QString WineFolder = QStringLiteral("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows");
QString tree;
double bestSeconds[2] = {1e9, 1e9};
int found[2] = {0, 0};

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

int lines(const QByteArray& out)
{
    return int(out.count('\n'));
}

void searchWith(benchmark::State& state, int tool)
{
    if (tree.isEmpty()) {
        state.SkipWithError("no tree");
        return;
    }
    for (auto _ : state) {
        QProcess p;
        QElapsedTimer timer;
        timer.start();
        if (tool == 0)
            p.start(QStringLiteral(ZOR_ICONS_EXE), {"search", tree, "--recursive"});
        else
            p.start("sh", {"-c", "find \"$1\" -type f -exec wrestool -l --type=14 {} + 2>/dev/null", "sh", tree});
        p.waitForFinished(-1);
        const QByteArray out = p.readAllStandardOutput();
        const double seconds = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        bestSeconds[tool] = std::min(bestSeconds[tool], seconds);
        found[tool] = lines(out);
    }
    state.counters["lines"] = found[tool];
}

void BM_ZorIconsSearch(benchmark::State& state) { searchWith(state, 0); }
void BM_WrestoolOverFind(benchmark::State& state) { searchWith(state, 1); }

BENCHMARK(BM_ZorIconsSearch)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrestoolOverFind)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

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
        tree = dir.filePath("tree");
        bytes = makeTree(tree);
    } catch (const fx::ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        tree.clear();
    }
    // Warm cache: both read the whole tree once before they are timed.
    QProcess::execute(QStringLiteral(ZOR_ICONS_EXE), {"search", tree, "-r", "--all-files", "--min-size", "9999"});
    QProcess::execute("sh", {"-c", "find \"$1\" -type f -exec cat {} + >/dev/null", "sh", tree});

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const bool fast = bestSeconds[0] < 1.5 && bestSeconds[0] < 0.5 * bestSeconds[1];
    std::printf("tree of 400 programs and libraries and 1,000 icon files, %.0f MB, best of 5: "
                "zor-icons search %.1f ms (%d icons), wrestool %.1f ms (%d groups of the programs), %.2f of its time (%s)\n",
                bytes / 1e6, bestSeconds[0] * 1e3, found[0], bestSeconds[1] * 1e3, found[1],
                bestSeconds[0] / bestSeconds[1], fast ? "under 1.5 s and under half" : "TOO SLOW");
    return fast ? 0 : 1;
}
