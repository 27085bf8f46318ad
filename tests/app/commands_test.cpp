#include "AppFixture.h"

#include "IconFixtures.h"
#include "dialogs/HelpWindow.h"
#include "viewer/Form2.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QClipboard>
#include <QFontInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSet>
#include <QMenu>
#include <QTest>
#include <QDialog>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QTextLayout>

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

TEST_F(AppTest, TheContextMenuActsOnTheItemRightClicked)
{
    for (int i = 0; i < 8; ++i)
        fx::makeIco(dir.path(), QStringLiteral("%1.ico").arg(i), {{32, 32, false, i}});
    open(dir.path());
    showActive();
    int shown = 0;
    tp.dialogs.script = [&](QDialog& d) {
        shown = static_cast<Form2&>(d).NowInd;
        return 0;
    };
    const struct {
        int leftClicked, rightClicked;
    } cases[] = {{2, 6}, {6, 1}, {0, 8}};
    for (const auto& c : cases) {
        if (c.leftClicked)
            clickItem(c.leftClicked);
        clickItem(c.rightClicked, Qt::RightButton);
        EXPECT_EQ(form->ClickedItem, c.rightClicked);
        EXPECT_EQ(form->ListView1->selectedIndex(), c.rightClicked);
        ASSERT_TRUE(form->pop->isVisible());
        QTest::keyClick(form->pop, Qt::Key_Down);   // 拡大表示
        QTest::keyClick(form->pop, Qt::Key_Return);
        EXPECT_EQ(shown, c.rightClicked);
    }
}

TEST_F(AppTest, TheKeyboardChoosesOpensAndAsksForTheContextMenu)
{
    for (int i = 0; i < 9; ++i)
        fx::makeIco(dir.path(), QStringLiteral("%1.ico").arg(i), {{32, 32, false, i}});
    markStartedBefore();
    tp.identity.args = {dir.path()};
    form->Form_Load();
    showActive();
    ASSERT_EQ(QApplication::focusWidget(), form->ListView1);   // a folder open: the keys start in the list
    for (QWidget* next : {static_cast<QWidget*>(form->Text1), static_cast<QWidget*>(form->ListView1)}) {
        press(Qt::Key_Tab);   // between the path box and the list, past the toolbar's buttons
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    std::vector<int> opened;
    tp.dialogs.script = [&](QDialog& d) {
        opened.push_back(static_cast<Form2&>(d).NowInd);
        return 0;
    };
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int chosen;        // ClickedItem and the selection afterwards
        bool view, menu;   // the enlarged view opened for it, the context menu shown
    } cases[] = {
        {Qt::Key_Return, {}, 1, true, false},
        {Qt::Key_Right, {}, 2, false, false},
        {Qt::Key_Right, {}, 3, false, false},
        {Qt::Key_Enter, Qt::KeypadModifier, 3, true, false},
        {Qt::Key_End, {}, 9, false, false},
        {Qt::Key_Menu, {}, 9, false, true},
        {Qt::Key_Left, {}, 8, false, false},
        {Qt::Key_Home, {}, 1, false, false},
        {Qt::Key_F10, Qt::ShiftModifier, 1, false, true},
        {Qt::Key_Right, {}, 2, false, false},
        {Qt::Key_Return, {}, 2, true, false},
    };
    for (const auto& c : cases) {
        const size_t before = opened.size();
        press(c.key, c.modifiers);
        EXPECT_EQ(form->ClickedItem, c.chosen) << c.key;
        EXPECT_EQ(form->ListView1->selectedIndex(), c.chosen) << c.key;
        EXPECT_EQ(opened.size(), before + (c.view ? 1 : 0)) << c.key;
        if (c.view && !opened.empty()) {
            EXPECT_EQ(opened.back(), c.chosen);
        }
        EXPECT_EQ(form->pop->isVisible(), c.menu) << c.key;
        if (c.menu) {
            // At the chosen item, and its first entry is the enlarged view of that item.
            const QRect item = form->ListView1->visualRect(form->ListView1->model()->index(c.chosen - 1, 0));
            EXPECT_TRUE(item.contains(form->ListView1->viewport()->mapFromGlobal(form->pop->pos())));
            QTest::keyClick(form->pop, Qt::Key_Down);
            QTest::keyClick(form->pop, Qt::Key_Return);
            ASSERT_EQ(opened.size(), before + 1);
            EXPECT_EQ(opened.back(), c.chosen);
        }
    }
}

// Under ja_JP (a run of its own) the desktop's font is the CJK one, whose average character
// is full-width; the columns are the same as under C.
TEST_F(AppTest, LargeIconsStandAtTheListsOwnSpacingInEveryLocale)
{
    for (int i = 0; i < 30; ++i)
        fx::makeIco(dir.path(), QStringLiteral("icon%1.ico").arg(i, 2, 10, QLatin1Char('0')), {{32, 32, false, i}});
    if (qgetenv("LANG").startsWith("ja")) {
        ASSERT_TRUE(QFontInfo(form->ListView1->font()).family().contains("CJK")) << "the Japanese desktop's font";
    }
    showActive();
    typeAndEnter(dir.path());
    ListView& list = *form->ListView1;
    ASSERT_EQ(list.view(), ListView::lvwIcon);
    QSet<int> columns;
    for (int i = 0; i < list.itemCount(); ++i)
        columns.insert(list.visualRect(list.model()->index(i, 0)).x());
    EXPECT_EQ(list.gridSize().width(), 75);
    EXPECT_EQ(columns.size(), list.viewport()->width() / 75);
    EXPECT_GE(columns.size(), 5);   // the 473 px window
}

TEST_F(AppTest, NamesAreShownWholeInTheListAndOverTwoLinesUnderIcons)
{
    // A dozen names alike in their first characters, dots, spaces, and one too long for two lines.
    QStringList names = {"B.I.G.ico", "My Documents.ico", "ごみ箱（空）.ico",
                         "an_icon_whose_name_is_far_too_long_for_two_lines_under_it.ico"};
    for (char c = 'A'; c < 'M'; ++c)
        names << QStringLiteral("access_point_%1.ico").arg(QLatin1Char(c));
    names << "z.ico";   // short, and last
    names.sort(Qt::CaseInsensitive);
    int seed = 0;
    for (const QString& name : names)
        fx::makeIco(dir.path(), name, {{32, 32, false, seed++}});
    showActive();
    typeAndEnter(dir.path());
    ASSERT_EQ(itemTexts(), names);
    ListView& list = *form->ListView1;
    const QFontMetrics metrics(list.font());
    auto rect = [&](int i) { return list.visualRect(list.model()->index(i - 1, 0)); };
    auto tip = [&](int i) { return list.model()->index(i - 1, 0).data(Qt::ToolTipRole).toString(); };

    press(Qt::Key_S, Qt::ControlModifier);   // small icons: whole names, side by side without overlap
    ASSERT_EQ(list.view(), ListView::lvwList);
    for (int i = 1; i <= names.size(); ++i) {
        EXPECT_EQ(list.label(i), names[i - 1]);
        EXPECT_GE(rect(i).width(), 16 + metrics.horizontalAdvance(names[i - 1])) << i;
        for (int j = 1; j < i; ++j)
            EXPECT_FALSE(rect(i).intersects(rect(j))) << i << " " << j;
    }

    press(Qt::Key_L, Qt::ControlModifier);   // large icons: up to two lines, cut only after them
    names << "addrbook.ico";   // to break after its dot, not inside it
    names.sort(Qt::CaseInsensitive);
    fx::makeIco(dir.path(), "addrbook.ico", {{32, 32, false, seed++}});
    typeAndEnter(dir.path());
    ASSERT_EQ(itemTexts(), names);
    ASSERT_EQ(list.view(), ListView::lvwIcon);
    QStringList labels;
    for (int i = 1; i <= names.size(); ++i) {
        const QString label = list.label(i);
        const QStringList lines = label.split('\n');
        labels << label;
        EXPECT_LE(lines.size(), 2) << i;
        // The item holds the icon and the lines as drawn, in whatever fonts their characters take.
        QTextLayout drawn(QString(label).replace('\n', QChar::LineSeparator), list.font());
        drawn.beginLayout();
        qreal height = 0;
        for (QTextLine line = drawn.createLine(); line.isValid(); line = drawn.createLine()) {
            line.setLineWidth(rect(i).width());
            height += line.height();
        }
        drawn.endLayout();
        EXPECT_GE(rect(i).height(), 32 + height) << label.toStdString();
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), rect(i).width()) << label.toStdString();
        // Whole where two lines can hold it; else cut in the middle of the rest, its end kept.
        const QString name = QString(names[i - 1]).remove(' ');
        QString joined = lines.join(QString()).remove(' ');
        const int twoLines = 2 * (rect(i).width() - 8) - 2 * metrics.horizontalAdvance('W');
        if (metrics.horizontalAdvance(names[i - 1]) <= twoLines) {
            EXPECT_EQ(joined, name) << i;
        } else if (joined != name) {
            EXPECT_EQ(lines.size(), 2);
            const QStringList parts = joined.split(QStringLiteral("…"));
            ASSERT_EQ(parts.size(), 2) << label.toStdString();
            EXPECT_TRUE(name.startsWith(parts[0]) && name.endsWith(parts[1])) << label.toStdString();
            EXPECT_TRUE(parts[1].endsWith(".ico"));
        }
        // A line ends where the name breaks, after "_", "-", "." or a space, when that gives two.
        if (names[i - 1] == "addrbook.ico") {
            EXPECT_EQ(label, "addrbook.\nico");
        }
        EXPECT_FALSE(names[i - 1].startsWith("an_icon") && joined == name);
        EXPECT_EQ(tip(i), names[i - 1]);
    }
    // The current item shows its whole name, over as many lines as it takes.
    const int longest = int(names.indexOf("an_icon_whose_name_is_far_too_long_for_two_lines_under_it.ico")) + 1;
    clickItem(longest);
    EXPECT_EQ(list.shownLabel(longest).split('\n').join(QString()).remove(' '), names[longest - 1].remove(' '));
    EXPECT_GT(list.shownLabel(longest).count('\n'), 1);
    labels.removeDuplicates();
    EXPECT_EQ(labels.size(), names.size());
}

} // namespace

namespace {
// The window's shortcuts reach their commands while the path box has the focus (where the
// keys start when nothing is open); the box still cuts with Shift+Delete.
TEST_F(AppTest, TheWindowsShortcutsWinOverThePathBox)
{
    markStartedBefore();
    form->Form_Load();
    showActive();
    ASSERT_EQ(QApplication::focusWidget(), form->Text1);
    const struct {
        QKeyCombination key;
        QAction* command;
    } rows[] = {
        {Qt::CTRL | Qt::Key_O, form->MFOpen}, {Qt::CTRL | Qt::Key_F, form->MFFoldOpen},
        {Qt::CTRL | Qt::Key_S, form->MHS},    {Qt::CTRL | Qt::Key_L, form->MHL},
        {QKeyCombination(Qt::Key_F1), form->MHHelp}, {Qt::CTRL | Qt::Key_X, form->MFEnd},
    };
    for (const auto& row : rows) {
        form->activateWindow();
        form->Text1->setFocus();
        QSignalSpy triggered(row.command, &QAction::triggered);
        press(row.key.key(), row.key.keyboardModifiers());
        EXPECT_EQ(triggered.count(), 1) << row.command->objectName().toStdString();
    }
    EXPECT_FALSE(form->isVisible());   // Ctrl+X ended the program

    showActive();
    form->Text1->setFocus();
    form->Text1->setEditText("cut me");
    form->Text1->lineEdit()->selectAll();
    press(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(form->Text1->currentText(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "cut me");
}
} // namespace
