// Opening through the main window's path box, from Click to the finished list:
// a folder of 10,000 .ico files and a 5,000-icon library; and scrolling a folder of
// 50,000 from top to bottom with Page Down, each frame painted before the next key
// (longest_frame_ms: the target is 50).
#include "app/Form1.h"
#include "platform/RealPlatform.h"
#include "IconFixtures.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>

namespace fx = zor::iconfixtures;

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// Real settings in a throw-away folder, so recording the recent entries costs what it costs.
void installPlatform()
{
    static zor::IniSettingsStore settings(workDir().path() + QStringLiteral("/config"));
    static zor::QtMessageBoxes messages;
    static zor::DetachedStarter starter;
    static zor::ModalDialogRunner dialogs;
    static zor::ProcessIdentity identity;
    zor::Platform p;
    p.settings = &settings;
    p.messages = &messages;
    p.starter = &starter;
    p.dialogs = &dialogs;
    p.identity = &identity;
    zor::installPlatform(p);
}

// Mixed sizes and depths: a handful of real icon files, copied under many names.
QString iconFolder(int files)
{
    return fx::makeIconFolder(workDir().path() + QStringLiteral("/folder%1").arg(files), files,
                              [](int i) { return QStringLiteral("icon%1.ico").arg(i, 5, 10, QLatin1Char('0')); });
}

void openThroughThePathBox(benchmark::State& state, const QString& path)
{
    installPlatform();
    zor::Form1 form;
    form.show();
    for (auto _ : state) {
        form.Text1->setEditText(path);
        form.Text1_Click();
        QApplication::processEvents();   // the list lays itself out and paints
        if (form.ListView1->itemCount() == 0)
            state.SkipWithError("nothing listed");
    }
    state.counters["items"] = form.ListView1->itemCount();
}

void BM_OpenFolderOf10000Icons(benchmark::State& state)
{
    openThroughThePathBox(state, iconFolder(10000));
}
BENCHMARK(BM_OpenFolderOf10000Icons)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenLibraryOf5000Icons(benchmark::State& state)
{
    static const QString library = fx::makeLibrary(workDir().path(), 5000, false);
    openThroughThePathBox(state, library);
}
BENCHMARK(BM_OpenLibraryOf5000Icons)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PageDownThroughFolderOf50000Icons(benchmark::State& state)
{
    installPlatform();
    zor::Form1 form;
    form.show();
    form.Text1->setEditText(iconFolder(50000));
    form.Text1_Click();
    QApplication::processEvents();
    zor::ListView& list = *form.ListView1;
    double longest = 0;
    int frames = 0;
    for (auto _ : state) {
        list.setFocus();
        list.selectItem(1);
        list.verticalScrollBar()->setValue(0);
        QApplication::processEvents();
        // To the bottom: until the scroll bar is at its end or the keys move nothing more (the
        // last row can stand short of the bar's end).
        int lastValue = -1, lastRow = -1;
        while (list.verticalScrollBar()->value() < list.verticalScrollBar()->maximum()
               && (list.verticalScrollBar()->value() != lastValue || list.currentIndex().row() != lastRow)) {
            lastValue = list.verticalScrollBar()->value();
            lastRow = list.currentIndex().row();
            const auto start = std::chrono::steady_clock::now();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(&list, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(&list, &release);
            list.viewport()->repaint();
            QApplication::processEvents();
            longest = std::max(longest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            ++frames;
        }
    }
    state.counters["longest_frame_ms"] = longest;
    state.counters["frames"] = frames;
}
BENCHMARK(BM_PageDownThroughFolderOf50000Icons)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
