// From process start to a window that shows its title and a painted list, for a folder
// of 10,000 .ico files named on the command line. Each run is a fresh process (this
// program again, put together as main() puts zor together); the first run warms the cache.
#include "app/Form1.h"
#include "platform/RealPlatform.h"
#include "IconFixtures.h"

#include <QApplication>
#include <QGuiApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fx = zor::iconfixtures;

namespace {

const char* const ChildVariable = "ZOR_BENCH_START_CHILD";

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// Long, distinct names, as a real collection has them.
QString iconFolder(int files)
{
    const QStringList words = {QStringLiteral("access_point"), QStringLiteral("Folder Open"),
                               QStringLiteral("network-wireless-signal"), QStringLiteral("B.I.G"),
                               QStringLiteral("ごみ箱"), QStringLiteral("x")};
    return fx::makeIconFolder(workDir().path() + QStringLiteral("/folder%1").arg(files), files, [&](int i) {
        return QStringLiteral("%1_%2.ico").arg(words[i % words.size()]).arg(i, 5, 10, QLatin1Char('0'));
    });
}

// A settings folder that has seen a start, so no first-run dialog stops the window,
// and that restores large (0) or small (1) icons.
QString configFolder(bool small)
{
    const QString config = workDir().path() + QStringLiteral("/config%1").arg(small);
    QDir().mkpath(config + QStringLiteral("/QEL"));
    fx::writeBytes(config + QStringLiteral("/QEL/QEL.ini"),
                   QByteArray("[QEL%20Tormelia%20Viewer]\nVer=89\nReIconSize=True\nIconSize=") + (small ? "S" : "L") + "\n");
    return config;
}

// One run: seconds from spawning the process to its report, or a negative number.
double startOnce(const QString& folder)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
    const QByteArray path = QFile::encodeName(folder);
    char* argv[] = {const_cast<char*>(self.constData()), const_cast<char*>(path.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawn(&pid, self.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    char byte = 0;
    const bool reported = rc == 0 && ::read(fds[0], &byte, 1) == 1;
    const auto end = std::chrono::steady_clock::now();
    ::close(fds[0]);
    if (rc == 0)
        ::waitpid(pid, nullptr, 0);
    return reported ? std::chrono::duration<double>(end - start).count() : -1;
}

void BM_StartWithFolderOf10000Icons(benchmark::State& state)
{
    const QString folder = iconFolder(10000);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder(state.range(0) != 0)));
    qputenv(ChildVariable, "1");
    startOnce(folder);   // warm the cache
    for (auto _ : state) {
        const double seconds = startOnce(folder);
        if (seconds < 0) {
            state.SkipWithError("the window never showed its list");
            break;
        }
        state.SetIterationTime(seconds);
    }
    qunsetenv(ChildVariable);
}
BENCHMARK(BM_StartWithFolderOf10000Icons)->ArgName("small")->Arg(0)->Arg(1)
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The child: zor's start-up, then one byte on fd 3 once the list has painted.
class PaintWatch : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QMetaObject::invokeMethod(qApp, [] {
                const char byte = 1;
                [[maybe_unused]] const auto n = ::write(3, &byte, 1);
                ::_exit(0);
            }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_done = false;
};

int child(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zor"));
    zor::RealPlatform real;
    zor::Form1 form;
    PaintWatch watch;
    form.ListView1->viewport()->installEventFilter(&watch);
    form.Form_Load();
    form.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(resources);
    if (qEnvironmentVariableIsSet(ChildVariable))
        return child(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
