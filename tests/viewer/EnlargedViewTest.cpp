// The enlarged view opened from the main window: its window, the location text,
// stepping through the list and switching between the large and the small image.
#include "ViewerFixture.h"

#include "viewer/Kakudai.h"
#include "viewer/PictureBox.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace zor::test {
namespace {

struct Shown {
    QString text;
    bool textHidden = false;
    int nowInd = -1;
    QImage picture;
};

Shown shownBy(const Form2& v)
{
    return {v.Text1->text(), v.Text1->isHidden(), v.NowInd, v.Picture1->picture()};
}

TEST_F(ViewerTest, WindowAsDesigned)
{
    openFolder({"a.ico", "b.ico"});
    form.ClickedItem = 2;
    const bool opened = openView([&](Form2& v) {
        EXPECT_EQ(v.windowTitle(), QStringLiteral("QEL TORMELIA VIEWER 拡大表示"));
        EXPECT_EQ(v.minimumSize(), QSize(393, 454));
        EXPECT_EQ(v.maximumSize(), QSize(393, 454));
        EXPECT_FALSE(v.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
        EXPECT_TRUE(v.isModal());
        EXPECT_EQ(v.windowIcon().cacheKey(), form.windowIcon().cacheKey());
        EXPECT_EQ(v.Picture1->geometry(), QRect(4, 44, 385, 385));

        // Seven entries: separators at 1, 4 and 7, named glyph buttons between, 5 pressed.
        const QList<QAction*> entries = v.Toolbar1->actions();
        ASSERT_EQ(entries.size(), 7);
        for (int i : {1, 4, 7})
            EXPECT_TRUE(entries[i - 1]->isSeparator()) << i;
        const std::pair<int, const char*> names[] = {
            {2, "前のアイコン"}, {3, "後ろのアイコン"}, {5, "大きいアイコン"}, {6, "小さいアイコン"}};
        for (auto [i, name] : names) {
            ASSERT_EQ(v.Toolbar1->widgetForAction(entries[i - 1]), v.button(i)) << i;
            EXPECT_EQ(v.button(i)->toolTip(), QString::fromUtf8(name));
        }
        EXPECT_TRUE(v.button(5)->isChecked());
        EXPECT_FALSE(v.button(6)->isChecked());

        // Toolbar2's one button closes the window.
        EXPECT_EQ(v.toolbar2Button(1)->text(), QStringLiteral("　ＯＫ　"));
        v.show();
        v.toolbar2Button(1)->click();
        EXPECT_FALSE(v.isVisible());
    });
    EXPECT_TRUE(opened);
}

TEST_F(ViewerTest, OpensCentredOnTheMainWindow)
{
    openFolder({"a.ico"});
    form.resize(600, 500);
    form.move(150, 120);
    form.show();
    form.ClickedItem = 1;
    openView([&](Form2& v) {
        v.show();
        const QPoint offset = v.frameGeometry().center() - form.frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
        v.close();
    });
}

TEST_F(ViewerTest, LocationTextOfFolderSources)
{
    openFolder({"a.ico", "b.ico", "c.ico"});
    form.ClickedItem = 2;
    openView([&](Form2& v) {
        EXPECT_EQ(v.Text1->text(), dir.path() + "/b.ico,0");
        EXPECT_FALSE(v.Text1->isHidden());
        EXPECT_EQ(v.Text1->cursorPosition(), 0);   // shown from the start of the path
        EXPECT_EQ(v.ClickedItem, 2);
        EXPECT_EQ(v.NowInd, 2);
        EXPECT_EQ(v.SourcePath, dir.path());
    });

    // The separator goes in whatever the path ends with: the root folder doubles it.
    fillList("/", {"a.ico", "b.ico"});
    form.ClickedItem = 1;
    openView([&](Form2& v) { EXPECT_EQ(v.Text1->text(), QStringLiteral("//a.ico,0")); });
}

TEST_F(ViewerTest, LocationTextOfSingleFiles)
{
    const QString path = openFile("one.ico");
    form.ClickedItem = 1;
    openView([&](Form2& v) { EXPECT_EQ(v.Text1->text(), path + ",0"); });

    fillList("/x/shell.dll", {"0", "1", "2", "3", "4", "5"});
    form.ClickedItem = 5;
    openView([&](Form2& v) {
        EXPECT_EQ(v.Text1->text(), QStringLiteral("/x/shell.dll,4"));
        v.Toolbar1_ButtonClick(3);
        EXPECT_EQ(v.Text1->text(), QStringLiteral("/x/shell.dll,5"));
    });
}

TEST_F(ViewerTest, EmptyPathBoxHidesTheTextButTheViewWorks)
{
    openFolder({"a.ico", "b.ico", "c.ico"});
    form.Text1->setEditText(QString());
    form.ListView1->selectItem(2);
    form.ClickedItem = 2;
    openView([&](Form2& v) {
        EXPECT_TRUE(v.Text1->isHidden());
        EXPECT_EQ(v.SourcePath, QStringLiteral("b.ico"));
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(1)));
        v.button(3)->click();
        EXPECT_EQ(v.NowInd, 3);
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(2)));
        v.button(6)->click();
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), smallTestImage(2)));
    });

    // Nothing selected either: the hidden text has no path, the icon still shows.
    form.ListView1->deselect();
    openView([&](Form2& v) {
        EXPECT_TRUE(v.Text1->isHidden());
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(1)));
    });

    // The next opening with a path shows the text again.
    form.Text1->setEditText(dir.path());
    openView([&](Form2& v) { EXPECT_FALSE(v.Text1->isHidden()); });
}

TEST_F(ViewerTest, SteppingStopsAtBothEnds)
{
    openFolder({"a.ico", "b.ico", "c.ico"});
    form.ListView1->selectItem(1);
    form.ClickedItem = 1;
    openView([&](Form2& v) {
        const Shown first = shownBy(v);
        v.button(2)->click();   // already at the first icon
        EXPECT_EQ(shownBy(v).nowInd, 1);
        EXPECT_EQ(shownBy(v).text, first.text);
        EXPECT_EQ(shownBy(v).picture, first.picture);

        v.button(3)->click();
        EXPECT_EQ(v.NowInd, 2);
        EXPECT_EQ(v.Text1->text(), dir.path() + "/b.ico,0");
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(1)));
        v.button(3)->click();
        EXPECT_EQ(v.NowInd, 3);
        v.button(3)->click();   // already at the last icon
        EXPECT_EQ(v.NowInd, 3);
        EXPECT_EQ(v.Text1->text(), dir.path() + "/c.ico,0");
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(2)));
        v.button(2)->click();
        EXPECT_EQ(v.NowInd, 2);
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(1)));

        // Separators do nothing.
        for (int i : {1, 4, 7})
            v.Toolbar1_ButtonClick(i);
        EXPECT_EQ(v.NowInd, 2);
    });
    // The main window is untouched by stepping.
    EXPECT_EQ(form.ClickedItem, 1);
    EXPECT_EQ(form.ListView1->selectedIndex(), 1);
}

TEST_F(ViewerTest, KeysStepThroughTheListAndEscapeCloses)
{
    const QStringList names = {"a.ico", "b.ico", "c.ico"};
    openFolder(names);
    form.ClickedItem = 1;
    const bool opened = openView([&](Form2& v) {
        v.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
        auto focus = [] { return QApplication::focusWidget(); };
        // Wherever Tab takes the focus, it never rests in the location text.
        for (int i = 0; i < 8; ++i) {
            ASSERT_NE(focus(), nullptr);
            EXPECT_NE(focus(), v.Text1);
            QTest::keyClick(focus(), Qt::Key_Tab);
        }
        const std::pair<Qt::Key, int> steps[] = {
            {Qt::Key_Right, 2}, {Qt::Key_Down, 3}, {Qt::Key_Right, 3}, {Qt::Key_Left, 2},
            {Qt::Key_Up, 1}, {Qt::Key_Left, 1}, {Qt::Key_Down, 2},
        };
        for (auto [key, now] : steps) {
            QTest::keyClick(focus(), key);
            EXPECT_EQ(v.NowInd, now) << key;
            EXPECT_EQ(v.Text1->text(), dir.path() + "/" + names[now - 1] + ",0");
            EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(now - 1)));
            EXPECT_NE(focus(), v.Text1);
        }
        QTest::keyClick(focus(), Qt::Key_Escape);
        EXPECT_FALSE(v.isVisible());
    });
    EXPECT_TRUE(opened);
}

TEST_F(ViewerTest, OneIconListDoesNotStep)
{
    openFile("one.ico");
    form.ClickedItem = 1;
    openView([&](Form2& v) {
        const Shown before = shownBy(v);
        v.button(2)->click();
        v.button(3)->click();
        const Shown after = shownBy(v);
        EXPECT_EQ(after.nowInd, 1);
        EXPECT_EQ(after.text, before.text);
        EXPECT_EQ(after.picture, before.picture);
    });
}

TEST_F(ViewerTest, LargeAndSmallImagesWhileStepping)
{
    openFolder({"a.ico", "b.ico", "c.ico"});
    form.MHS_Click();   // the main list in small icons: the view still opens large
    form.ClickedItem = 1;
    openView([&](Form2& v) {
        EXPECT_TRUE(v.button(5)->isChecked());
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(0)));

        v.button(6)->click();
        EXPECT_TRUE(v.button(6)->isChecked());
        EXPECT_FALSE(v.button(5)->isChecked());
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), smallTestImage(0)));
        EXPECT_EQ(v.Text1->text(), dir.path() + "/a.ico,0");

        v.button(3)->click();
        EXPECT_EQ(v.Text1->text(), dir.path() + "/b.ico,0");
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), smallTestImage(1)));

        // Back to large: the icon now shown, the text as it was, even if edited.
        v.Text1->setText(QStringLiteral("typed"));
        v.button(5)->click();
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(1)));
        EXPECT_EQ(v.Text1->text(), QStringLiteral("typed"));

        v.Toolbar1_ButtonClick(6);   // the handler presses its button
        EXPECT_TRUE(v.button(6)->isChecked());
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), smallTestImage(1)));
    });
    // The next opening starts large again.
    openView([&](Form2& v) {
        EXPECT_TRUE(v.button(5)->isChecked());
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(0)));
    });
}

TEST_F(ViewerTest, MissingImageLeavesTheViewEmpty)
{
    fillList("/x/lib.icl", {"0", "1"});
    form.ImageList2.clear();   // no small images
    form.ClickedItem = 2;
    openView([&](Form2& v) {
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(1)));
        v.button(6)->click();
        EXPECT_TRUE(v.Picture1->picture().isNull());
        v.button(2)->click();   // the text follows, the picture stays empty
        EXPECT_EQ(v.NowInd, 1);
        EXPECT_EQ(v.Text1->text(), QStringLiteral("/x/lib.icl,0"));
        EXPECT_TRUE(v.Picture1->picture().isNull());
        v.button(5)->click();
        EXPECT_TRUE(isMagnified(v.Picture1->picture(), largeTestImage(0)));
    });
}

TEST_F(ViewerTest, ContextMenuAndDoubleClickGiveTheSameView)
{
    openFolder({"a.ico", "b.ico", "c.ico"});
    form.ClickedItem = 3;
    Shown byDoubleClick, byMenu;
    tp.dialogs.script = [&](QDialog& d) {
        byDoubleClick = shownBy(static_cast<Form2&>(d));
        return 0;
    };
    form.ListView1_DblClick();
    tp.dialogs.script = [&](QDialog& d) {
        byMenu = shownBy(static_cast<Form2&>(d));
        return 0;
    };
    form.MPbig->trigger();
    ASSERT_EQ(tp.dialogs.opened, (std::vector<QString>{"Form2", "Form2"}));
    EXPECT_EQ(byMenu.text, byDoubleClick.text);
    EXPECT_EQ(byMenu.nowInd, 3);
    EXPECT_EQ(byDoubleClick.nowInd, 3);
    EXPECT_EQ(byMenu.picture, byDoubleClick.picture);
    EXPECT_TRUE(isMagnified(byMenu.picture, largeTestImage(2)));
}

TEST_F(ViewerTest, NothingOpensWithoutAClickedItem)
{
    openFolder({"a.ico", "b.ico"});
    EXPECT_EQ(form.ClickedItem, 0);
    EXPECT_FALSE(openView([](Form2&) {}));
    form.MPbig_Click();
    EXPECT_TRUE(tp.dialogs.opened.empty());

    // A reload forgets the item clicked in the earlier list.
    form.ClickedItem = 2;
    openFile("one.ico");
    EXPECT_FALSE(openView([](Form2&) {}));
}

} // namespace
} // namespace zor::test
