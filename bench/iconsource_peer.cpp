// zor-icons against wrestool on the same large library, in one run: both write every
// icon group as an .ico file. zor-icons must not be the slower.

#include "IconFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace zor::iconfixtures;

namespace {

QString libraryPath;
QTemporaryDir* workDir = nullptr;
double bestSeconds[2] = {1e9, 1e9};

void exportWith(benchmark::State& state, int tool)
{
    if (libraryPath.isEmpty()) {
        state.SkipWithError("library not made");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        const QString out = workDir->filePath(QStringLiteral("out-%1-%2").arg(tool).arg(round++));
        QDir().mkpath(out);
        QElapsedTimer timer;
        timer.start();
        try {
            if (tool == 0)
                runTool(QStringLiteral(ZOR_ICONS_EXE), {"export", libraryPath, out, "--format", "ico"});
            else
                runTool(QStringLiteral("wrestool"), {"-x", "--type=group_icon", "-o", out, libraryPath});
        } catch (const ToolError& e) {
            state.SkipWithError(e.what());
            return;
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        bestSeconds[tool] = std::min(bestSeconds[tool], seconds);
        state.PauseTiming();
        QDir(out).removeRecursively();
        state.ResumeTiming();
    }
}

void BM_ZorIconsExportIco(benchmark::State& state) { exportWith(state, 0); }
void BM_WrestoolExtractGroupIcons(benchmark::State& state) { exportWith(state, 1); }

BENCHMARK(BM_ZorIconsExportIco)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrestoolExtractGroupIcons)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    workDir = &dir;
    try {
        libraryPath = makeLibrary(dir.path(), 5000, false);
    } catch (const ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("5,000-icon library, best of 3: zor-icons %.1f ms, wrestool %.1f ms (%s)\n",
                bestSeconds[0] * 1e3, bestSeconds[1] * 1e3,
                bestSeconds[0] <= bestSeconds[1] ? "zor-icons is not slower" : "zor-icons is SLOWER");
    return bestSeconds[0] <= bestSeconds[1] ? 0 : 1;
}
