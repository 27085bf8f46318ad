// zor-icons count against wrestool -l over 400 real programs and libraries (Wine's 64-bit
// builds, Debian package libwine: its .exe and .cpl files, then .dll files by name): one
// zor-icons call for all of them, against one wrestool process per file (as
// `find -exec wrestool -l {} \;` runs it) and against one wrestool call for all of them.
// zor-icons must not be the slower.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

namespace {

const char* const kWineFolder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
constexpr int kFiles = 400;

QStringList files;
enum Tool { ZorIconsOneCall, WrestoolPerFile, WrestoolOneCall, ToolCount };
const char* const kNames[ToolCount] = {"zor-icons count, one call", "wrestool -l, one process a file",
                                       "wrestool -l, one call"};
double bestSeconds[ToolCount] = {1e9, 1e9, 1e9};

// Runs program and waits; its output goes nowhere. False when it could not run or crashed.
bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit;
}

void countWith(benchmark::State& state, Tool tool)
{
    if (files.size() < kFiles) {
        state.SkipWithError("Wine's programs and libraries are missing (install libwine)");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        bool ok = true;
        switch (tool) {
        case ZorIconsOneCall:
            ok = run(QStringLiteral(ZOR_ICONS_EXE), QStringList{QStringLiteral("count")} + files);
            break;
        case WrestoolPerFile:
            for (const QString& f : files)
                ok = run(QStringLiteral("wrestool"), {QStringLiteral("-l"), f}) && ok;
            break;
        case WrestoolOneCall:
            ok = run(QStringLiteral("wrestool"), QStringList{QStringLiteral("-l")} + files);
            break;
        case ToolCount:
            break;
        }
        if (!ok) {
            state.SkipWithError("the program did not run (is icoutils installed?)");
            return;
        }
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        bestSeconds[tool] = std::min(bestSeconds[tool], seconds);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_ZorIconsCountOneCall(benchmark::State& state) { countWith(state, ZorIconsOneCall); }
void BM_WrestoolListPerFile(benchmark::State& state) { countWith(state, WrestoolPerFile); }
void BM_WrestoolListOneCall(benchmark::State& state) { countWith(state, WrestoolOneCall); }

BENCHMARK(BM_ZorIconsCountOneCall)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrestoolListPerFile)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrestoolListOneCall)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QDir wine(QString::fromLatin1(kWineFolder));
    for (const char* pattern : {"*.exe", "*.cpl", "*.dll"})
        for (const QString& name : wine.entryList({QString::fromLatin1(pattern)}, QDir::Files, QDir::Name))
            if (files.size() < kFiles)
                files << wine.filePath(name);
    if (files.size() < kFiles) {
        std::printf("skipped: %d of the %d Wine programs and libraries wanted are in %s (Debian package libwine)\n",
                    int(files.size()), kFiles, kWineFolder);
        return 0;
    }
    // Once outside the timing, so that every tool reads the files from the page cache.
    run(QStringLiteral("wrestool"), QStringList{QStringLiteral("-l")} + files);
    QProcess counting;
    counting.start(QStringLiteral(ZOR_ICONS_EXE), QStringList{QStringLiteral("count")} + files);
    counting.waitForFinished(600000);
    int carriers = 0, icons = 0;
    for (const QByteArray& line : counting.readAllStandardOutput().split('\n')) {
        const int n = line.mid(line.lastIndexOf('\t') + 1).toInt();
        carriers += n > 0;
        icons += n;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("%d Wine programs and libraries, %d of them with icons (%d icons), best runs:\n", kFiles, carriers,
                icons);
    for (int t = 0; t < ToolCount; ++t)
        std::printf("  %-33s %8.1f ms\n", kNames[t], bestSeconds[t] * 1e3);
    const bool notSlower = bestSeconds[ZorIconsOneCall] <= bestSeconds[WrestoolPerFile]
        && bestSeconds[ZorIconsOneCall] <= bestSeconds[WrestoolOneCall];
    std::printf("%s\n", notSlower ? "zor-icons is not slower" : "zor-icons is SLOWER");
    return notSlower ? 0 : 1;
}
