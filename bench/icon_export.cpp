// Saving every icon of a 5,000-icon library into an empty folder, as "すべてのアイコンを保存"
// does: the file read once, then each group as an .ico file (target: under 2 s), or each
// icon as a 32 px PNG.
#include "icons/IconExport.h"
#include "IconFixtures.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace fx = zor::iconfixtures;
using namespace zor;

namespace {

QTemporaryDir* workDir = nullptr;

const QString& library()
{
    static const QString path = fx::makeLibrary(workDir->path(), 5000, false);
    return path;
}

void saveAll(benchmark::State& state, IconExport::Format format)
{
    QString path;
    try {
        path = library();
    } catch (const fx::ToolError& e) {
        state.SkipWithError(e.what());
        return;
    }
    int run = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString folder = workDir->path() + QStringLiteral("/out%1").arg(run++);
        QDir().mkpath(folder);
        state.ResumeTiming();

        IconOfFile first;
        first.path = QFile::encodeName(path);
        first.file = IconExport::ReadIconFile(first.path);
        std::vector<IconOfFile> icons(size_t(first.file->count()), first);
        for (int i = 0; i < int(icons.size()); ++i)
            icons[size_t(i)].index = i;
        IconExport::SaveAllRequest request;
        request.folder = zor::StoredPath::fromText(folder);
        request.format = format;
        const auto result = IconExport::SaveAll(std::move(icons), request);

        state.PauseTiming();
        if (result.written != 5000)
            state.SkipWithError("not every icon was written");
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
            bytes += f.size();
        QDir(folder).removeRecursively();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 5000);
    state.SetBytesProcessed(bytes);
}

void BM_SaveAllAsIco(benchmark::State& state) { saveAll(state, IconExport::Format::Ico); }
void BM_SaveAllAsPng(benchmark::State& state) { saveAll(state, IconExport::Format::Png); }

BENCHMARK(BM_SaveAllAsIco)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveAllAsPng)->Unit(benchmark::kMillisecond)->Iterations(2);

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
