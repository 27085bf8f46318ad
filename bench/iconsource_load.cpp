// Loading icon libraries as the viewer does: count, both sizes of every icon, pixmaps.
// Target: a 1,000-icon library in under 50 ms.

#include "IconFixtures.h"
#include "IconSource.h"
#include "Opener.h"

#include <QFile>

#include <QGuiApplication>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

using namespace zor::iconsource;
using namespace zor::iconfixtures;

namespace {

QTemporaryDir* workDir = nullptr;

// Libraries are made once per size and kind, outside the timing.
const QString& library(int icons, bool ne)
{
    static std::map<std::pair<int, bool>, QString> made;
    auto& path = made[{icons, ne}];
    if (path.isEmpty())
        path = makeLibrary(workDir->path(), icons, ne);
    return path;
}

void loadLikeTheViewer(benchmark::State& state, bool ne)
{
    const int icons = int(state.range(0));
    QString path;
    try {
        path = library(icons, ne);
    } catch (const ToolError& e) {
        state.SkipWithError(e.what());
        return;
    }
    for (auto _ : state) {
        const IconFile file = *openIconFile(QFile::encodeName(path));
        const int n = file.count();
        std::vector<QPixmap> large, small;
        large.reserve(size_t(n));
        small.reserve(size_t(n));
        for (int i = 0; i < n; ++i) {
            const IconPair pair = file.extract(i);
            large.push_back(QPixmap::fromImage(pair.large));
            small.push_back(QPixmap::fromImage(pair.small));
        }
        if (n != icons)
            state.SkipWithError("wrong icon count");
        benchmark::DoNotOptimize(large.data());
        benchmark::DoNotOptimize(small.data());
    }
    state.SetItemsProcessed(state.iterations() * icons);
}

void BM_LoadNeLibrary(benchmark::State& state) { loadLikeTheViewer(state, true); }
void BM_LoadPeLibrary(benchmark::State& state) { loadLikeTheViewer(state, false); }

// An NE resource table cannot hold 5,000 groups of four images.
BENCHMARK(BM_LoadNeLibrary)->Arg(150)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPeLibrary)->Arg(150)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

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
