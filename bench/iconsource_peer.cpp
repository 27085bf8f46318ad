// zor-icons against wrestool on the same large library, in one run: both write every
// icon group as an .ico file. zor-icons must not be the slower; its peak resident size is
// printed beside wrestool's (the library is not held in memory whole).

#include "IconFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "Spawned.h"

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace zor::iconfixtures;

namespace {

QString libraryPath;
QTemporaryDir* workDir = nullptr;
double bestSeconds[2] = {1e9, 1e9};
double peakMb[2] = {0, 0};

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
        const QByteArray library = QFile::encodeName(libraryPath), folder = QFile::encodeName(out);
        const bench::Spawned run = tool == 0
            ? bench::spawned({ZOR_ICONS_EXE, "export", library, folder, "--format", "ico"})
            : bench::spawned({"wrestool", "-x", "--type=group_icon", "-o", folder, library});
        if (run.status != 0) {
            state.SkipWithError(tool == 0 ? "zor-icons failed" : "wrestool failed");
            return;
        }
        const double seconds = run.ms / 1e3;
        state.SetIterationTime(seconds);
        bestSeconds[tool] = std::min(bestSeconds[tool], seconds);
        state.PauseTiming();
        QDir(out).removeRecursively();
        if (round == 1) {   // once, outside the timing
            QDir().mkpath(out);
            peakMb[tool] = bench::peakMb(tool == 0
                ? std::vector<QByteArray>{ZOR_ICONS_EXE, "export", library, folder, "--format", "ico"}
                : std::vector<QByteArray>{"wrestool", "-x", "--type=group_icon", "-o", folder, library});
            QDir(out).removeRecursively();
        }
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
    std::printf("5,000-icon library (%.0f MB), best of 3: zor-icons %.1f ms, %.1f MB peak; wrestool %.1f ms, %.1f MB peak (%s)\n",
                QFileInfo(libraryPath).size() / 1e6, bestSeconds[0] * 1e3, peakMb[0], bestSeconds[1] * 1e3, peakMb[1],
                bestSeconds[0] <= bestSeconds[1] ? "zor-icons is not slower" : "zor-icons is SLOWER");
    return bestSeconds[0] <= bestSeconds[1] ? 0 : 1;
}
