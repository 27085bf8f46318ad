#include "AppFixture.h"

#include "IconFixtures.h"
#include "dialogs/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QDialog>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>

using namespace zor;
using zor::test::AppTest;
namespace fx = zor::iconfixtures;

namespace {

TEST_F(AppTest, WallpaperFromTheMenuAndTheContextMenuIsTheSame)
{
    tp.desktop.windowsDir = dir.path() + "/win";
    form->MFSetWall->trigger();
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text, "ファイルが読み込まれていません。\n\nerror plase: Form1.MFSetWall");
    EXPECT_FALSE(QFile::exists(dir.path() + "/win/kepwall.bmp"));

    open(fx::makeIco(dir.path(), "a.ico", {{32, 32, false, 1}}));
    form->ListView1->selectItem(1);
    form->MFSetWall->trigger();
    ASSERT_EQ(tp.desktop.wallpapers.size(), 1u);
    const QImage fromMenu(dir.path() + "/win/kepwall.bmp");
    EXPECT_EQ(fromMenu.size(), QSize(32, 32));
    form->MPSetWall->trigger();
    ASSERT_EQ(tp.desktop.wallpapers.size(), 2u);
    EXPECT_EQ(QImage(dir.path() + "/win/kepwall.bmp"), fromMenu);
    EXPECT_EQ(tp.desktop.wallpapers[1].path, dir.path() + "/win/kepwall.bmp");
    EXPECT_TRUE(tp.desktop.wallpapers[1].tiled);

    // Small mode: the 16 x 16 image of the same item; the window is left as it was.
    form->MHS_Click();
    form->MPSetWall_Click();
    EXPECT_EQ(QImage(dir.path() + "/win/kepwall.bmp").size(), QSize(16, 16));
    EXPECT_EQ(form->ListView1->selectedIndex(), 1);
    EXPECT_TRUE(form->MHS->isChecked());
}

TEST_F(AppTest, HelpOpensTheHelpFileBesideTheProgram)
{
    markStartedBefore();
    tp.identity.folder = dir.path();
    form->Form_Load();
    form->MHHelp->trigger();
    ASSERT_EQ(tp.shell.documents.size(), 1u);
    EXPECT_EQ(tp.shell.documents[0].path, dir.path() + "/zor.chm");
    EXPECT_EQ(tp.shell.documents[0].showCommand, 9);
    ASSERT_EQ(tp.messages.shown.size(), 1u);   // no help file there
    EXPECT_EQ(tp.messages.shown[0].text, "エラーが発生しました。");

    fx::writeBytes(dir.path() + "/zor.chm", "ITSF");
    form->MHHelp_Click();
    EXPECT_EQ(tp.messages.shown.size(), 1u);
}

// Most Linux desktops have no program for compiled help: F1 then shows our own window.
TEST_F(AppTest, HelpWithoutAProgramForHelpFilesShowsTheHelpWindow)
{
    markStartedBefore();
    tp.identity.folder = dir.path();
    tp.shell.programs = false;
    form->Form_Load();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    fx::writeBytes(dir.path() + "/zor.chm", "ITSF");   // not a help file we can read
    QTest::keyClick(form.get(), Qt::Key_F1);
    EXPECT_EQ(form->findChild<HelpWindow*>(), nullptr);
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text, "エラーが発生しました。");

    ASSERT_TRUE(QFile::remove(dir.path() + "/zor.chm"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZOR_HELP_FILE), dir.path() + "/zor.chm"));
    QTest::keyClick(form.get(), Qt::Key_F1);
    auto* help = form->findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(help->windowTitle(), "QEL TORMELIA VIEWER ヘルプ");
    QTextBrowser* page = help->browser();
    EXPECT_TRUE(page->toPlainText().contains("目次")) << "the contents page first";

    // A click on a link follows it; the back button returns.
    QTextCursor link = page->document()->find("拡大表示");
    ASSERT_FALSE(link.isNull());
    const QPoint at = page->cursorRect(link).center() - QPoint(8, 0);
    QTest::mouseClick(page->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(page->source().path().endsWith("enlarge.html"));
    QTest::mouseClick(help->findChild<QToolBar*>()->widgetForAction(help->back), Qt::LeftButton);
    EXPECT_TRUE(page->source().path().endsWith("index.html"));

    QTest::keyClick(form.get(), Qt::Key_F1);   // one window, raised again
    EXPECT_EQ(form->findChildren<HelpWindow*>().size(), 1);
}

TEST_F(AppTest, OptionsEntriesOpenTheirTabs)
{
    std::vector<int> tabs;
    tp.dialogs.script = [&](QDialog& d) {
        if (auto* tab = d.findChild<QTabWidget*>("SSTab1"))
            tabs.push_back(tab->currentIndex());
        return 0;
    };
    form->MVCustom->trigger();
    form->MVreration->trigger();
    form->MVUseful->trigger();
    EXPECT_EQ(tabs, (std::vector<int>{0, 1, 2}));
    form->ver->trigger();
    EXPECT_EQ(tp.dialogs.opened.back(), "frmAbout");
}

} // namespace

namespace {

TEST_F(AppTest, MouseOnTheListClicksOpensAndShowsTheContextMenu)
{
    open(fx::makeIco(dir.path(), "a.ico", {{32, 32, false, 1}}));
    open(dir.path());
    form->show();
    QApplication::processEvents();
    QWidget* surface = form->ListView1->viewport();
    const QPoint item = form->ListView1->visualRect(form->ListView1->model()->index(0, 0)).center();

    // Empty space: nothing is remembered and the view does not open.
    QTest::mouseDClick(surface, Qt::LeftButton, {}, QPoint(surface->width() - 5, surface->height() - 5));
    EXPECT_EQ(form->ClickedItem, 0);
    EXPECT_TRUE(tp.dialogs.opened.empty());

    QTest::mouseClick(surface, Qt::LeftButton, {}, item);
    EXPECT_EQ(form->ClickedItem, 1);
    QTest::mouseDClick(surface, Qt::LeftButton, {}, item);
    EXPECT_EQ(tp.dialogs.opened, std::vector<QString>{"Form2"});

    form->MHS_Click();
    QTest::mouseClick(surface, Qt::RightButton, {}, item);
    EXPECT_TRUE(form->pop->isVisible());
    EXPECT_TRUE(form->Iconsama->isChecked());
    EXPECT_FALSE(form->icongig->isChecked());
    form->pop->close();
}

} // namespace
