#include "app/Screenshot.h"

#include "app/Form1.h"
#include "app/frmSearch.h"
#include "dialogs/frmCreate.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOption.h"
#include "viewer/Form2.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QFile>
#include <QTimer>
#include <QWindow>

namespace zor {

namespace {
void grabTo(QWidget* w, const QString& file)
{
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    const QRect r = w->frameGeometry();
    QPixmap shot = screen->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    if (shot.isNull())
        shot = w->grab();
    shot.save(file, "PNG");
}
} // namespace

void scheduleScreenshot(Form1& form, const QCommandLineParser& options)
{
    // The words were read byte for byte; a file name goes back to text as the locale has it.
    auto option = [&options](const char* name) { return QFile::decodeName(options.value(QLatin1String(name)).toLatin1()); };
    const QString file = option("screenshot");
    if (file.isEmpty())
        return;
    const QString view = option("shot-view");
    if (view == QLatin1String("small"))
        form.MHS_Click();
    if (option("shot-dialog") == QLatin1String("enlarged")) {
        // The enlarged view of the first icon, grabbed once it is on screen.
        Form2::screenshotHook = [file](Form2& v) {
            grabTo(&v, file);
            QApplication::quit();
        };
        QTimer::singleShot(800, &form, [&form] {
            form.ClickedItem = 1;
            form.ListView1_DblClick();
        });
        return;
    }
    const QString dialog = option("shot-dialog");
    if (dialog == QLatin1String("search")) {
        // The search window that --search opened, once its search is over and its pictures
        // have come, in the view asked for (--shot-view=small|details).
        auto* poll = new QTimer(&form);
        QObject::connect(poll, &QTimer::timeout, &form, [&form, poll, file, view, waited = 0]() mutable {
            frmSearch* search = form.searchWindow();
            if (search && search->running() && ++waited < 600)
                return;
            poll->stop();
            if (!search) {
                QApplication::quit();
                return;
            }
            if (view == QLatin1String("details"))
                search->SetView(frmSearch::View::Details);
            else if (view == QLatin1String("small"))
                search->SetView(frmSearch::View::Small);
            QTimer::singleShot(1000, search, [search, file] {
                grabTo(search, file);
                QApplication::quit();
            });
        });
        poll->start(100);
        return;
    }
    if (dialog == QLatin1String("create")) {
        // The window --create opened, once its pictures are drawn.
        QTimer::singleShot(1500, &form, [&form, file] {
            if (QWidget* w = form.createWindow())
                grabTo(w, file);
            QApplication::quit();
        });
        return;
    }
    if (dialog == QLatin1String("options") || dialog == QLatin1String("about") || dialog == QLatin1String("info")) {
        // The modal dialog over the window (--shot-tab=N for the options' tab), grabbed while it runs;
        // the icon information is that of the first icon.
        const int tab = option("shot-tab").toInt();
        QTimer::singleShot(300, &form, [&form, dialog, tab] {
            if (dialog == QLatin1String("about")) {
                frmAbout::Open(&form);
            } else if (dialog == QLatin1String("info")) {
                form.ListView1->selectItem(1);
                form.MFInfo_Click();
            } else {
                frmOption::Open(&form, tab);
            }
        });
        QTimer::singleShot(1100, &form, [file] {
            if (QWidget* w = QApplication::activeModalWidget())
                grabTo(w, file);
            QApplication::quit();
        });
        return;
    }
    QTimer::singleShot(800, &form, [&form, file] {
        grabTo(&form, file);
        QApplication::quit();
    });
}

} // namespace zor
