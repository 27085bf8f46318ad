// An icon library of 1,000 groups (16, 32 and 48 px bitmaps and a 256 px PNG each, 5,000
// resources: near what the format holds), built from .ico files by the writer alone and by
// `zor-icons build-icl` from 1,000 files on disk; its size against the sum of the .ico files.
#include "platform/iconsource/IclWriter.h"
#include "platform/iconsource/IconSource.h"
#include "IconFixtures.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace fx = zor::iconfixtures;
using namespace zor::iconsource;

namespace {

constexpr int kGroups = 1000;
QTemporaryDir* workDir = nullptr;

struct Inputs {
    std::vector<QByteArray> icos;
    QStringList paths;
    qint64 bytes = 0;
};

const Inputs& inputs()
{
    static const Inputs made = [] {
        Inputs in;
        std::vector<QByteArray> variants;
        for (int v = 0; v < 6; ++v)
            variants.push_back(fx::readBytes(fx::makeIco(workDir->path(), QStringLiteral("v%1.ico").arg(v),
                                                         {{16, 32, false, v}, {32, 32, false, v + 1},
                                                          {48, 32, false, v + 2}, {256, 32, true, v + 3}})));
        QDir().mkpath(workDir->filePath("icons"));
        for (int i = 0; i < kGroups; ++i) {
            in.icos.push_back(variants[size_t(i) % variants.size()]);
            in.paths << workDir->filePath(QStringLiteral("icons/%1.ico").arg(i, 4, 10, QLatin1Char('0')));
            fx::writeBytes(in.paths.back(), in.icos.back());
            in.bytes += in.icos.back().size();
        }
        return in;
    }();
    return made;
}

void report(benchmark::State& state, qint64 library)
{
    state.counters["icl_bytes"] = double(library);
    state.counters["ico_bytes"] = double(inputs().bytes);
    state.counters["icl_per_ico"] = double(library) / double(inputs().bytes);
    state.SetItemsProcessed(state.iterations() * kGroups);
}

void BM_WriteIcl1000(benchmark::State& state)
{
    const Inputs* in = nullptr;
    try {
        in = &inputs();
    } catch (const fx::ToolError& e) {
        state.SkipWithError(e.what());
        return;
    }
    std::vector<IclGroup> groups;
    for (const QByteArray& ico : in->icos)
        groups.push_back({ico, {}});
    QByteArray library;
    for (auto _ : state) {
        library = writeIcl(groups, "ICONS");
        benchmark::DoNotOptimize(library.data());
    }
    if (IconFile::fromData(library).count() != kGroups)
        state.SkipWithError("the library does not read back");
    report(state, library.size());
}

void BM_ZorIconsBuildIcl1000(benchmark::State& state)
{
    const Inputs* in = nullptr;
    try {
        in = &inputs();
    } catch (const fx::ToolError& e) {
        state.SkipWithError(e.what());
        return;
    }
    const QString out = workDir->filePath("all.icl");
    for (auto _ : state) {
        QProcess p;
        p.start(ZOR_ICONS_EXE, QStringList{"build-icl"} + in->paths + QStringList{"-o", out});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            state.SkipWithError(p.readAllStandardError().constData());
            return;
        }
    }
    const QByteArray library = fx::readBytes(out);
    if (IconFile::fromData(library).count() != kGroups)
        state.SkipWithError("the library does not read back");
    report(state, library.size());
}

BENCHMARK(BM_WriteIcl1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZorIconsBuildIcl1000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    workDir = &dir;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
