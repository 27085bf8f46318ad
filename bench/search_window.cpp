// The search window over a tree of 100,000 small files, mostly not icon sources: the
// first icons must be listed within 0.5 s of the click, and the program must stay under
// 300 MB, with the default choices and with every file opened.

#include "app/frmSearch.h"
#include "IconFixtures.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fx = zor::iconfixtures;

namespace {

QString tree;
double worstFirstSeconds = 0;

void write(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            std::perror("write");
        ::close(fd);
    }
}

// 1,000 folders of 100 files: in each one icon file, one program, one library that is
// not a program, and 97 other files (text, pictures, data).
void makeTree(const QString& root, const QString& src)
{
    const QByteArray icon = fx::readBytes(fx::makeIco(src, "one.ico", {{16, 32, false, 1}, {32, 32, false, 2}}));
    const QByteArray program = fx::readBytes(fx::makeLibrary(src, 3, false));
    const QByteArray text(300, 'x');
    const QByteArray picture(1200, '\x89');
    const char* const others[] = {"txt", "png", "html", "dat"};
    for (int f = 0; f < 1000; ++f) {
        const QByteArray folder = QFile::encodeName(root) + QStringLiteral("/%1/%2").arg(f / 100).arg(f % 100).toUtf8();
        QDir().mkpath(QFile::decodeName(folder));
        write(folder + "/icon.ico", icon);
        write(folder + "/tool.exe", program);
        write(folder + "/broken.dll", text);
        for (int i = 0; i < 97; ++i)
            write(folder + QStringLiteral("/file%1.%2").arg(i).arg(others[i % 4]).toUtf8(), i % 4 == 1 ? picture : text);
    }
}

double peakMegabytes()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void searchTree(benchmark::State& state, bool everyFile)
{
    zor::frmSearch window(nullptr);
    window.show();
    window.txtFolder->setText(tree);
    window.chkAllFiles->setChecked(everyFile);
    double first = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        window.cmdSearch->click();
        first = 0;
        while (window.running()) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            if (first == 0 && window.foundCount() > 0)
                first = timer.nsecsElapsed() / 1e9;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        worstFirstSeconds = std::max(worstFirstSeconds, first);
    }
    state.counters["first_ms"] = first * 1e3;
    state.counters["icons"] = window.foundCount();
    state.counters["peak_MB"] = peakMegabytes();
}

void BM_SearchWindowDefaultKinds(benchmark::State& state) { searchTree(state, false); }
void BM_SearchWindowEveryFile(benchmark::State& state) { searchTree(state, true); }

BENCHMARK(BM_SearchWindowDefaultKinds)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchWindowEveryFile)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    try {
        QDir().mkpath(dir.filePath("src"));
        tree = dir.filePath("tree");
        makeTree(tree, dir.filePath("src"));
    } catch (const fx::ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const double before = peakMegabytes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double peak = peakMegabytes();
    const bool ok = worstFirstSeconds < 0.5 && peak < 300;
    std::printf("100,000 small files: first icons listed after at most %.0f ms, peak memory %.0f MB "
                "(%.0f MB before the searches) (%s)\n",
                worstFirstSeconds * 1e3, peak, before, ok ? "within 0.5 s and 300 MB" : "TOO SLOW OR TOO LARGE");
    return ok ? 0 : 1;
}
