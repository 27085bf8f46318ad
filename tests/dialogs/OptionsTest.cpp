// The options dialog driven through the platform doubles.
#include "app/Form1.h"
#include "dialogs/frmOption.h"
#include "support/TestPlatform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace zor;

namespace {

const QString Prefix = QStringLiteral("QEL/QEL Tormelia Viewer/");

void store(test::TestPlatform& tp, const QString& key, const QString& text) { tp.settings.values.insert(Prefix + key, text); }

QString stored(test::TestPlatform& tp, const QString& key) { return tp.settings.values.value(Prefix + key); }

// Runs the dialog on tab with body as its user; returns what the runner saw.
int openOptions(test::TestPlatform& tp, Form1& form, int tab, const std::function<void(frmOption&)>& body)
{
    int result = -1;
    tp.dialogs.script = [&](QDialog& d) {
        body(static_cast<frmOption&>(d));
        result = d.result();
        return result;
    };
    // Opened from the View menu, as the user opens it.
    QAction* entries[] = {form.MVCustom, form.MVreration, form.MVUseful};
    entries[tab]->trigger();
    return result;
}

void hover(QWidget* w)
{
    QEnterEvent enter(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &enter);
}

void leave(QWidget* w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

int checkedOption(const frmOption& o)
{
    int found = -1;
    for (int i = 0; i < 6; ++i)
        if (o.Option1[size_t(i)]->isChecked())
            found = found == -1 ? i : -2;
    return found;
}

TEST(OptionsDialog, OpensOnTheCallersTabWithTitleAndIcon)
{
    test::TestPlatform tp;
    Form1 form;
    for (int tab : {0, 1, 2}) {
        openOptions(tp, form, tab, [&](frmOption& o) {
            EXPECT_EQ(o.SSTab1->currentIndex(), tab);
            EXPECT_EQ(o.windowTitle(), QStringLiteral("QEL TORMELIA VIEWER"));
            EXPECT_FALSE(o.windowIcon().isNull());
            EXPECT_EQ(o.size(), QSize(468, 389));
            EXPECT_EQ(o.SSTab1->tabText(0), QStringLiteral("オプション"));
            EXPECT_EQ(o.SSTab1->tabText(1), QStringLiteral("関連づけ"));
            EXPECT_EQ(o.SSTab1->tabText(2), QStringLiteral("便利な機能"));
        });
    }
    EXPECT_EQ(tp.dialogs.opened, (std::vector<QString>(3, QStringLiteral("frmOption"))));
    // The menu entries and their tabs.
    int seen = -1;
    tp.dialogs.script = [&](QDialog& d) {
        seen = static_cast<frmOption&>(d).SSTab1->currentIndex();
        return 0;
    };
    form.MVUseful_Click();
    EXPECT_EQ(seen, 2);
    form.MVreration_Click();
    EXPECT_EQ(seen, 1);
    form.MVCustom_Click();
    EXPECT_EQ(seen, 0);
}

TEST(OptionsDialog, LoadsStoredSwitchesColourAndFavourites)
{
    test::TestPlatform tp;
    Form1 form;
    openOptions(tp, form, 0, [&](frmOption& o) {
        for (QCheckBox* c : o.Check1)
            EXPECT_FALSE(c->isChecked());
        EXPECT_EQ(checkedOption(o), 3) << "ｽﾀﾝﾀﾞｰﾄﾞ is index 3";
        EXPECT_EQ(o.SelectedToolBarColor, 0);
        for (QLineEdit* t : o.Text2)
            EXPECT_TRUE(t->text().isEmpty());
    });

    store(tp, QStringLiteral("RePos"), QStringLiteral("True"));
    store(tp, QStringLiteral("ReSize"), QStringLiteral("False"));
    store(tp, QStringLiteral("ReIconSize"), QStringLiteral("1"));
    store(tp, QStringLiteral("ToolBarColor"), QStringLiteral("4"));
    store(tp, QStringLiteral("RF1"), QStringLiteral("/recent.icl"));
    for (int k = 4; k < 8; ++k)
        store(tp, QStringLiteral("RF%1").arg(k), QStringLiteral("/fav/%1.dll").arg(k));
    openOptions(tp, form, 0, [&](frmOption& o) {
        EXPECT_TRUE(o.Check1[0]->isChecked());
        EXPECT_FALSE(o.Check1[1]->isChecked());
        EXPECT_TRUE(o.Check1[2]->isChecked());
        EXPECT_EQ(checkedOption(o), 4);
        EXPECT_EQ(o.Option1[4]->text(), QStringLiteral("ブルー"));
        EXPECT_EQ(o.SelectedToolBarColor, 4);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(o.Text2[size_t(k)]->text(), QStringLiteral("/fav/%1.dll").arg(4 + k));
        for (QLineEdit* t : o.Text2)
            EXPECT_TRUE(t->isReadOnly());
    });
    EXPECT_TRUE(tp.settings.writes.empty()) << "loading writes nothing";
}

TEST(OptionsDialog, OkWritesEveryValueInOrderIncludingEmptyFavourites)
{
    test::TestPlatform tp;
    Form1 form;
    store(tp, QStringLiteral("ReSize"), QStringLiteral("True"));
    store(tp, QStringLiteral("RF5"), QStringLiteral("/fav/b.icl"));
    const int result = openOptions(tp, form, 0, [&](frmOption& o) { QTest::mouseClick(o.Command2, Qt::LeftButton); });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(tp.settings.writes,
              (std::vector<QString>{"RePos=False", "ReSize=True", "ReIconSize=False", "ToolBarColor=0", "RF4=",
                                    "RF5=/fav/b.icl", "RF6=", "RF7="}));

    // Changed switches are stored as the boxes show them.
    tp.settings.writes.clear();
    openOptions(tp, form, 0, [&](frmOption& o) {
        o.Check1[0]->setChecked(true);
        o.Check1[1]->setChecked(false);
        o.Command2_Click();
    });
    ASSERT_EQ(tp.settings.writes.size(), 8u);
    EXPECT_EQ(tp.settings.writes[0], QStringLiteral("RePos=True"));
    EXPECT_EQ(tp.settings.writes[1], QStringLiteral("ReSize=False"));
}

TEST(OptionsDialog, CancelCloseBoxAndKeysWriteNothing)
{
    test::TestPlatform tp;
    Form1 form;
    form.setHotImageList(1);
    int result = openOptions(tp, form, 0, [&](frmOption& o) {
        o.show();
        QTest::mouseClick(o.Option1[2], Qt::LeftButton);   // ピンク
        EXPECT_EQ(o.SelectedToolBarColor, 3);
        o.Check1[0]->setChecked(true);
        QTest::mouseClick(o.Command3, Qt::LeftButton);
        EXPECT_FALSE(o.isVisible());
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(tp.settings.writes.empty());
    EXPECT_EQ(form.hotImageList(), 1);

    openOptions(tp, form, 0, [&](frmOption& o) {
        o.show();
        o.Check1[1]->setChecked(true);
        // Neither OK nor キャンセル answers Enter or Escape.
        o.Check1[1]->setFocus();
        QTest::keyClick(&o, Qt::Key_Escape);
        EXPECT_TRUE(o.isVisible());
        QTest::keyClick(&o, Qt::Key_Return);
        EXPECT_TRUE(o.isVisible());
        EXPECT_FALSE(o.Command2->isDefault());
        EXPECT_FALSE(o.Command3->isDefault());
        o.close();
        EXPECT_FALSE(o.isVisible());
    });
    EXPECT_TRUE(tp.settings.writes.empty());
}

TEST(OptionsDialog, PinkAndOkSwitchTheHoverImagesAtOnce)
{
    test::TestPlatform tp;
    Form1 form;
    ASSERT_EQ(form.hotImageList(), 0);
    openOptions(tp, form, 0, [&](frmOption& o) {
        o.show();
        QTest::mouseClick(o.Option1[2], Qt::LeftButton);
        EXPECT_EQ(o.Option1[2]->text(), QStringLiteral("ピンク"));
        EXPECT_EQ(checkedOption(o), 2);
        EXPECT_EQ(form.hotImageList(), 0) << "nothing happens before OK";
        QTest::mouseClick(o.Command2, Qt::LeftButton);
    });
    EXPECT_EQ(form.hotImageList(), 3);
    EXPECT_EQ(stored(tp, QStringLiteral("ToolBarColor")), QStringLiteral("3"));
}

TEST(OptionsDialog, StoredColourOutsideTheSchemesPressesNoneAndGoesBackUnchanged)
{
    test::TestPlatform tp;
    Form1 form;
    form.setHotImageList(4);
    store(tp, QStringLiteral("ToolBarColor"), QStringLiteral("9"));
    openOptions(tp, form, 0, [&](frmOption& o) {
        EXPECT_EQ(checkedOption(o), -1);
        EXPECT_EQ(o.SelectedToolBarColor, 9);
        o.Command2_Click();
    });
    EXPECT_EQ(stored(tp, QStringLiteral("ToolBarColor")), QStringLiteral("9"));
    EXPECT_EQ(form.hotImageList(), 0);
}

TEST(OptionsDialog, BrowsingFillsTheRowAndCancelKeepsIt)
{
    test::TestPlatform tp;
    Form1 form;
    store(tp, QStringLiteral("RF5"), QStringLiteral("/kept.ico"));
    tp.files.fileAnswers = {QStringLiteral("/icons/chosen.icl"), std::nullopt};
    openOptions(tp, form, 0, [&](frmOption& o) {
        QTest::mouseClick(o.Command6[2], Qt::LeftButton);
        EXPECT_EQ(o.Text2[2]->text(), QStringLiteral("/icons/chosen.icl"));
        o.Command6_Click(1);   // cancelled
        EXPECT_EQ(o.Text2[1]->text(), QStringLiteral("/kept.ico"));
        o.Command6_Click(0);   // cancelled, queue empty
        EXPECT_TRUE(o.Text2[0]->text().isEmpty());
        o.Command2_Click();
    });
    ASSERT_EQ(tp.files.filters.size(), 3u);
    EXPECT_EQ(tp.files.filters[0],
              QStringLiteral("含ｱｲｺﾝﾌｧｲﾙ(*.icl,*.ico,*.exe,*.dll)|*.ico;*.icl;*.exe;*.dll|すべてのﾌｧｲﾙ(*.*)|*.*"));
    EXPECT_EQ(stored(tp, QStringLiteral("RF6")), QStringLiteral("/icons/chosen.icl"));
    EXPECT_EQ(stored(tp, QStringLiteral("RF5")), QStringLiteral("/kept.ico"));
    EXPECT_EQ(stored(tp, QStringLiteral("RF4")), QString());
}

// Picks the entry with this text from the context menu that the next right click opens.
void chooseFromNextMenu(const QString& text)
{
    QTimer::singleShot(0, [text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions()) {
            if (a->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                return;
            }
        }
        menu->close();
        ADD_FAILURE() << "no menu entry " << text.toStdString();
    });
}

TEST(OptionsDialog, AFavouriteRowIsClearedByKeyOrMenuAndOkStoresTheEmptySlot)
{
    struct Row {
        const char* how;
        int row;
        std::function<void(QLineEdit*)> clear;
    };
    const Row rows[] = {
        {"Delete", 0, [](QLineEdit*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete); }},
        {"Backspace", 2, [](QLineEdit*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace); }},
        {"クリア", 3, [](QLineEdit* t) {
             // Through the window, as a real click arrives, so that it opens the context menu.
             chooseFromNextMenu(QStringLiteral("クリア"));
             QWindow* w = t->window()->windowHandle();
             QTest::mouseClick(w, Qt::RightButton, {}, w->mapFromGlobal(t->mapToGlobal(QPoint(20, 9))));
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.how);
        test::TestPlatform tp;
        Form1 form;
        for (int k = 4; k < 8; ++k)
            store(tp, QStringLiteral("RF%1").arg(k), QStringLiteral("/fav/%1.icl").arg(k));
        openOptions(tp, form, 0, [&](frmOption& o) {
            o.show();
            o.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&o));
            QLineEdit* t = o.Text2[size_t(r.row)];
            QTest::mouseClick(t, Qt::LeftButton, {}, QPoint(20, 9));
            ASSERT_EQ(QApplication::focusWidget(), t);
            r.clear(t);
            EXPECT_TRUE(t->text().isEmpty());
            QTest::mouseClick(o.Command2, Qt::LeftButton);
        });
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(stored(tp, QStringLiteral("RF%1").arg(4 + k)),
                      k == r.row ? QString() : QStringLiteral("/fav/%1.icl").arg(4 + k)) << k;
    }
}

TEST(OptionsDialog, HoverShowsTheDescriptionAndLeavingKeepsIt)
{
    test::TestPlatform tp;
    Form1 form;
    openOptions(tp, form, 1, [&](frmOption& o) {
        o.show();
        EXPECT_TRUE(o.Text1->toPlainText().isEmpty());
        EXPECT_TRUE(o.Text1->isReadOnly());
        hover(o.Command1[0]);
        EXPECT_EQ(o.Text1->toPlainText(),
                  QStringLiteral("アイコンライブラリファイルです。アイコン集などはこの形式で配布されることが多い（特に海外では）"
                                 "ので関連付けることをおすすめします。\nダブルクリックで起動します。"));
        hover(o.Command1[4]);
        EXPECT_EQ(o.Text1->toPlainText(),
                  QStringLiteral("コントロールパネルアプレットのファイルです。\n右クリックのコンテキストメニューから起動するようになります。"));
        leave(o.Command1[4]);
        EXPECT_TRUE(o.Text1->toPlainText().startsWith(QStringLiteral("コントロールパネル")));
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), o.Command1[3]->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(o.Command1[3], &move);
        EXPECT_TRUE(o.Text1->toPlainText().startsWith(QStringLiteral("フォルダを開くと")));
        EXPECT_TRUE(o.Text1->toPlainText().endsWith(QStringLiteral("\n右クリックのコンテキストメニューから起動するようになります。")));
        // A keyboard user reads the description of the button Tab reaches.
        o.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&o));
        o.Command1[1]->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(o.Command1[1], Qt::Key_Tab);
        EXPECT_TRUE(o.Command1[2]->hasFocus());
        EXPECT_TRUE(o.Text1->toPlainText().startsWith(QStringLiteral("アイコンファイルです。")));
    });
    EXPECT_TRUE(frmOption::AssociationDescription(1).contains(QStringLiteral("shell32.dll")));
    EXPECT_TRUE(frmOption::AssociationDescription(2).startsWith(QStringLiteral("アイコンファイルです。")));
}

TEST(OptionsDialog, AssociationAndShortcutButtonsActAtOnceAndSurviveCancel)
{
    test::TestPlatform tp;
    Form1 form;
    openOptions(tp, form, 2, [&](frmOption& o) {
        const char* captions[5] = {".icl", ".dll", ".ico", "フォルダ", ".cpl"};
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(o.Command1[size_t(k)]->text(), QString::fromUtf8(captions[k]));
        o.Command1[2]->click();
        o.Command1[3]->click();
        for (QPushButton* b : o.Command4)
            b->click();
        o.Command3_Click();
    });
    ASSERT_EQ(tp.messages.shown.size(), 2u);
    EXPECT_EQ(tp.messages.shown[0].text, QStringLiteral(".icoファイルを関連づけました。"));
    EXPECT_EQ(tp.messages.shown[1].text, QStringLiteral("フォルダを関連づけました。"));
    EXPECT_TRUE(tp.registry.hives.value(HKEY_CLASSES_ROOT).keys.contains(QStringLiteral("directory\\shell\\zoropen\\command")));
    ASSERT_EQ(tp.starter.calls.size(), 4u);
    // Index 0 is the display page, 1 the Control Panel itself, 2 folder options, 3 themes.
    EXPECT_EQ(tp.starter.calls[0].arguments, QStringList{QStringLiteral("desk.cpl")});
    EXPECT_TRUE(tp.starter.calls[1].arguments.isEmpty());
    EXPECT_EQ(tp.starter.calls[1].program, QStringLiteral("control.exe"));
    EXPECT_EQ(tp.starter.calls[2].program, QStringLiteral("rundll32.exe"));
    EXPECT_EQ(tp.starter.calls[3].arguments, QStringList{QStringLiteral("THEMES.CPL")});
    EXPECT_TRUE(tp.settings.writes.empty());
}

TEST(Dialogs, AboutIsCentredOverTheMainWindowAndOptionsIsNot)
{
    test::TestPlatform tp;
    Form1 form;
    form.setGeometry(100, 100, 400, 300);   // room on the small offscreen screen
    form.show();
    QPoint aboutCentre, optionsCentre;
    tp.dialogs.script = [&](QDialog& d) {
        d.show();
        QApplication::processEvents();
        (d.objectName() == QStringLiteral("frmAbout") ? aboutCentre : optionsCentre) = d.geometry().center();
        d.reject();
        return 0;
    };
    form.ver_Click();
    form.MVCustom_Click();
    EXPECT_LE((aboutCentre - form.geometry().center()).manhattanLength(), 2);
    EXPECT_GT((optionsCentre - form.geometry().center()).manhattanLength(), 20);
}

TEST(OptionsDialog, ControlsLandAtTheirPlacesOnTheTabControl)
{
    test::TestPlatform tp;
    Form1 form;
    openOptions(tp, form, 0, [&](frmOption& o) {
        o.show();
        QApplication::processEvents();
        auto at = [&](QWidget* w) { return QRect(w->mapTo(o.SSTab1, QPoint(0, 0)), w->size()); };
        EXPECT_EQ(o.SSTab1->geometry(), QRect(4, 68, 457, 289));
        EXPECT_EQ(at(o.Frame1), QRect(8, 28, 213, 105));
        EXPECT_EQ(at(o.Frame2), QRect(228, 28, 221, 105));
        EXPECT_EQ(at(o.Frame3), QRect(8, 140, 441, 105));
        EXPECT_EQ(o.Check1[2]->geometry(), QRect(8, 64, 201, 13));
        EXPECT_EQ(o.Option1[3]->geometry(), QRect(12, 16, 61, 37));
        EXPECT_EQ(o.Option1[5]->geometry(), QRect(148, 60, 61, 37));
        EXPECT_EQ(o.Text2[3]->geometry(), QRect(8, 80, 369, 18));
        EXPECT_EQ(o.Command6[3]->geometry(), QRect(388, 80, 29, 17));
        EXPECT_EQ(o.Command2->geometry(), QRect(260, 360, 97, 25));
        EXPECT_EQ(o.Command3->geometry(), QRect(364, 360, 97, 25));

        o.SSTab1->setCurrentIndex(1);
        QApplication::processEvents();
        EXPECT_EQ(at(o.Label1), QRect(12, 36, 437, 45));
        EXPECT_EQ(at(o.Command1[4]), QRect(128, 144, 85, 25));
        EXPECT_EQ(at(o.Command1[3]), QRect(352, 96, 85, 25));
        EXPECT_EQ(at(o.Text1), QRect(16, 208, 425, 65));
        EXPECT_TRUE(o.Label1->text().contains(frmOption::Label1Text));
        EXPECT_TRUE(frmOption::Label1Text.startsWith(QStringLiteral("関連づけたいァイル形式のボタンを押すと、")));

        o.SSTab1->setCurrentIndex(2);
        QApplication::processEvents();
        EXPECT_EQ(at(o.Command4[1]), QRect(28, 60, 165, 25));
        EXPECT_EQ(at(o.Command4[3]), QRect(28, 168, 165, 25));
        EXPECT_EQ(o.Command4[1]->text(), QStringLiteral("ｺﾝﾄﾛｰﾙﾊﾟﾈﾙを開く"));
        o.reject();
    });
}

} // namespace

TEST(OptionsDialog, TabMovesAVisibleFrameOntoTheFocusedControl)
{
    test::TestPlatform tp;
    Form1 form;
    openOptions(tp, form, 0, [&](frmOption& o) {
        o.show();
        o.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&o));
        o.Check1[0]->setFocus();
        QWidget* mark = o.findChild<QWidget*>(QStringLiteral("FocusMark"));
        ASSERT_TRUE(mark);
        for (int step = 0; step < 3; ++step) {
            QWidget* focused = QApplication::focusWidget();
            ASSERT_TRUE(focused);
            const QRect around(focused->mapTo(&o, QPoint(0, 0)), focused->size());
            EXPECT_TRUE(mark->isVisible());
            EXPECT_EQ(mark->geometry(), around.adjusted(-2, -2, 2, 2));
            // The frame is painted in the highlight colour where the control's edge is.
            const QImage shot = o.grab().toImage();
            EXPECT_EQ(shot.pixelColor(around.left() - 1, around.center().y()), o.palette().color(QPalette::Highlight));
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        o.close();
    });
}
