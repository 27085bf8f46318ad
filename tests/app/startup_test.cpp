#include "AppFixture.h"
#include "IconFixtures.h"

#include "dialogs/frmOption.h"
#include "icons/IcoGet.h"
#include "platform/RealPlatform.h"

#include <QAction>
#include <QApplication>
#include <QSizeGrip>
#include <QStatusBar>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QFile>
#include <QDir>
#include <QTemporaryDir>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <QSettings>

using namespace zor;
using zor::test::AppTest;
namespace fx = zor::iconfixtures;

namespace {

TEST_F(AppTest, FirstRunShowsTheOptionsDialogOnTab1BeforeAnythingIsWritten)
{
    int tab = -1;
    size_t writesSeen = 99;
    bool windowVisible = true;
    tp.dialogs.script = [&](QDialog& d) {
        tab = static_cast<frmOption&>(d).SSTab1->currentIndex();
        writesSeen = tp.settings.writes.size();
        windowVisible = form->isVisible();
        return 0;
    };
    tp.identity.folder = "/home/u/build";
    form->Form_Load();

    ASSERT_EQ(tp.dialogs.opened, std::vector<QString>{"frmOption"});
    EXPECT_EQ(tab, 1);
    EXPECT_EQ(writesSeen, 0u);
    EXPECT_FALSE(windowVisible);
    EXPECT_EQ(stored("Path"), "/home/u/build");
    EXPECT_EQ(stored("Ver"), "89");
    EXPECT_EQ(ProgramFolder, "/home/u/build");

    // The next start finds the version and shows no dialog; it records the folder anew.
    tp.identity.folder = "/opt/moved";
    Form1 second;
    second.Form_Load();
    EXPECT_EQ(tp.dialogs.opened.size(), 1u);
    EXPECT_EQ(stored("Path"), "/opt/moved");
}

TEST_F(AppTest, FurtherPathsStartOneInstanceEachWithExactlyThatPath)
{
    markStartedBefore();
    tp.identity.args = {"/icons/a.ico", "/icons/my icons/b b.ico", "/icons/c.ico", "-d.ico"};
    form->Form_Load();
    ASSERT_EQ(tp.starter.calls.size(), 3u);
    EXPECT_EQ(tp.starter.calls[0].program, "/opt/zor/zor");
    EXPECT_EQ(tp.starter.calls[0].arguments, QStringList{"/icons/my icons/b b.ico"});
    EXPECT_EQ(tp.starter.calls[1].arguments, QStringList{"/icons/c.ico"});
    // A path that begins with '-' follows "--", so the new instance reads it as a path.
    EXPECT_EQ(tp.starter.calls[2].arguments, (QStringList{"--", "-d.ico"}));
    EXPECT_EQ(form->Text1->currentText(), "/icons/a.ico");
    EXPECT_EQ(form->LastPathIndex, 3);

    // Past the 21st path nothing is taken; no path gives one empty entry.
    QStringList many;
    for (int i = 0; i < 30; ++i)
        many << QStringLiteral("/p%1").arg(i);
    tp.identity.args = many;
    tp.starter.calls.clear();
    Form1 crowded;
    crowded.Form_Load();
    EXPECT_EQ(tp.starter.calls.size(), 20u);
    EXPECT_EQ(tp.starter.calls.back().arguments, QStringList{"/p20"});

    tp.identity.args = {};
    Form1 bare;
    bare.Form_Load();
    EXPECT_EQ(bare.LastPathIndex, 0);
    EXPECT_TRUE(bare.CommandPaths[0].isEmpty());
    EXPECT_EQ(bare.Text1->currentText(), "");
}

TEST(CommandLine, OptionsOfOurOwnAreNotPaths)
{
    const std::pair<QStringList, QStringList> cases[] = {
        {{"zor"}, {}},
        {{"zor", "/i/a b.ico", "c.dll"}, {"/i/a b.ico", "c.dll"}},
        {{"zor", "--screenshot=/tmp/s.png", "--shot-view", "small", "--shot-dialog=about", "/i/a.ico"}, {"/i/a.ico"}},
        {{"zor", "/i/a.ico", "--", "-b.ico", "--help"}, {"/i/a.ico", "-b.ico", "--help"}},
    };
    auto bytes = [](const QStringList& words) {
        QList<QByteArray> out;
        for (const QString& w : words)
            out << w.toUtf8();
        return out;
    };
    for (const auto& [argv, paths] : cases)
        EXPECT_EQ(commandLinePaths(bytes(argv)), bytes(paths)) << argv.join(' ').toStdString();
}

// The real program, started as a file manager or a terminal starts it.
class RealStart : public ::testing::Test {
protected:
    RealStart()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
        QDir().mkpath(dir.filePath("config/QEL"));
        fx::writeBytes(dir.filePath("config/QEL/QEL.ini"), "[QEL%20Tormelia%20Viewer]\nVer=89\n");
    }
    ~RealStart() override { qputenv("XDG_CONFIG_HOME", before); }
    QString storedEntry()
    {
        QSettings ini(dir.filePath("config/QEL/QEL.ini"), QSettings::IniFormat);
        return ini.value("QEL Tormelia Viewer/RF0").toString();
    }
    QTemporaryDir dir;
    QByteArray before = qgetenv("XDG_CONFIG_HOME");
};

// Names that are not UTF-8 (a Latin-1 and a Shift_JIS one) open from the command line as the
// bytes they are, and are recorded so that they open again.
TEST_F(RealStart, NamesThatAreNotUtf8OpenFromTheCommandLine)
{
    const QByteArray single = fx::readBytes(fx::makeIco(dir.path(), "one.ico", {{32, 32, false, 1}}));
    for (const QByteArray& name : {QByteArray("caf\xe9.ico"), QByteArray("\x83\x41\x83\x43\x83\x52\x83\x93.ico")}) {
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        std::FILE* f = std::fopen(path.constData(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(single.constData(), 1, size_t(single.size()), f);
        std::fclose(f);
        const fx::Ran ran = fx::runBytes({ZOR_EXE, "--screenshot=" + QFile::encodeName(dir.filePath("shot.png")), path});
        EXPECT_EQ(ran.code, 0) << ran.err.constData();
        EXPECT_EQ(StoredPath::fromStoredText(storedEntry()).bytes(), path);
    }
}

// Without any display: wrong options, --help and --version answer at once, and output that
// cannot be written is an error.
TEST_F(RealStart, OptionsAreAnsweredWithoutADisplay)
{
    const QByteArray display = qgetenv("DISPLAY"), platform = qgetenv("QT_QPA_PLATFORM"), wayland = qgetenv("WAYLAND_DISPLAY");
    for (const char* name : {"DISPLAY", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY"})
        qunsetenv(name);
    const struct {
        QList<QByteArray> words;
        QByteArray out;
        int code;
        const char* says;   // on standard error
    } rows[] = {
        {{"--bogus"}, {}, 1, "Unknown option 'bogus'."},
        {{"-x.ico"}, {}, 1, "put -- before it: zor -- -x.ico"},
        {{"--help"}, "/dev/full", 1, "write error"},
        {{"--version"}, "/dev/full", 1, "write error"},
        {{"--version"}, {}, 0, ""},
    };
    for (const auto& row : rows) {
        const fx::Ran ran = fx::runBytes(QList<QByteArray>{ZOR_EXE} + row.words, row.out);
        EXPECT_EQ(ran.code, row.code) << row.words.join(' ').constData() << ran.err.constData();
        EXPECT_TRUE(ran.err.contains(row.says)) << ran.err.constData();
        EXPECT_LE(ran.err.count("Unknown option"), 1);
    }
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", platform);
    if (!wayland.isEmpty())
        qputenv("WAYLAND_DISPLAY", wayland);
}

// Qt's own dialogs speak the program's language once the real facilities are in place.
TEST(QtTexts, TheOpenFileDialogSpeaksJapanese)
{
    RealPlatform real;
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) {
                for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
                    texts << d->findChild<QLabel*>(name)->text();
                for (const QPushButton* b : d->findChildren<QPushButton*>())
                    texts << b->text();
                d->reject();
            }
    });
    EXPECT_EQ(platform().files->openFile(nullptr, IconFileFilter), std::nullopt);
    EXPECT_EQ(texts, (QStringList{"アドレス:", "ファイル名(&N):", "ファイルの種類:", "開く(&O)", "キャンセル"}));
}

// "すべてのﾌｧｲﾙ(*.*)" lists every file, as it does where the filter comes from.
TEST(QtTexts, TheOpenFileDialogsEveryFileFilterListsNamesWithoutADot)
{
    RealPlatform real;
    QTemporaryDir folder;
    for (const char* name : {"README", "a.ico", "b.txt"})
        QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
    QStringList listed;
    QTimer::singleShot(0, [&listed, &folder] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) {
                d->setDirectory(folder.path());
                d->selectNameFilter(d->nameFilters().value(1));
                auto* view = d->findChild<QListView*>(QStringLiteral("listView"));
                (void)QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 3; }, 5000);
                for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
                    listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
                d->reject();
            }
    });
    platform().files->openFile(nullptr, IconFileFilter);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"README", "a.ico", "b.txt"}));
}

TEST_F(AppTest, RestoresANormalWindowOnlyAsTheSwitchesSay)
{
    markStartedBefore();
    store("WindowState", "0");
    store("Left", "1500");
    store("Top", "750");
    store("Width", "9000");
    store("Height", "6000");
    const QPoint before = form->pos();
    const QSize sizeBefore = form->size();
    form->Form_Load();
    EXPECT_EQ(form->pos(), before);
    EXPECT_EQ(form->size(), sizeBefore);

    store("RePos", "True");
    Form1 moved;
    moved.Form_Load();
    EXPECT_EQ(moved.pos(), QPoint(100, 50));
    EXPECT_EQ(moved.size(), sizeBefore);

    store("RePos", "False");
    store("ReSize", "True");
    Form1 sized;
    sized.Form_Load();
    EXPECT_EQ(sized.frameGeometry().size(), QSize(600, 400));

    // Switched on with nothing stored: 100 x 100 twips.
    tp.settings.values.remove("QEL/QEL Tormelia Viewer/Width");
    tp.settings.values.remove("QEL/QEL Tormelia Viewer/Height");
    Form1 tiny;
    tiny.Form_Load();
    EXPECT_EQ(tiny.frameGeometry().size(), QSize(7, 7));
}

TEST_F(AppTest, RestoresMaximisedViewModeSchemeAndTheEightEntries)
{
    markStartedBefore();
    store("WindowState", "2");
    store("RePos", "True");
    store("Left", "3000");
    store("IconSize", "S");
    store("ToolBarColor", "3");
    for (int i = 0; i < 8; ++i)
        store(QStringLiteral("RF%1").arg(i), QStringLiteral("/slot/%1").arg(i));
    form->Form_Load();
    EXPECT_TRUE(form->isMaximized());
    EXPECT_NE(form->pos(), QPoint(200, 0));
    EXPECT_TRUE(form->MHL->isChecked());   // ReIconSize is off: large icons as designed
    EXPECT_EQ(form->hotImageList(), 3);
    ASSERT_EQ(form->Text1->count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(form->Text1->itemText(i), QStringLiteral("/slot/%1").arg(i));
        EXPECT_EQ(form->RF[size_t(i)]->text(), QStringLiteral("/slot/%1").arg(i));
    }

    store("ReIconSize", "True");
    store("ToolBarColor", "9");   // outside the six schemes: scheme 0, start-up goes on
    Form1 small;
    small.Form_Load();
    EXPECT_TRUE(small.MHS->isChecked());
    EXPECT_EQ(small.ListView1->view(), ListView::lvwList);
    EXPECT_EQ(small.hotImageList(), 0);

    tp.settings.failWrites = true;   // a read-only store: the family record cannot be written
    Form1 readOnly;
    readOnly.Form_Load();
    EXPECT_TRUE(readOnly.MHS->isChecked());
    EXPECT_EQ(readOnly.RF[7]->text(), QStringLiteral("/slot/7"));
}

TEST_F(AppTest, EmptyStoreGivesEightEmptyLinesAndCaptions)
{
    markStartedBefore();
    form->Form_Load();
    ASSERT_EQ(form->Text1->count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(form->Text1->itemText(i), "");
        EXPECT_TRUE(form->RF[size_t(i)]->isVisible());
    }
    EXPECT_EQ(form->windowTitle(), "QEL TORMELIA VIEWER - []");
}

TEST_F(AppTest, SavesOnCloseAccordingToTheWindowState)
{
    markStartedBefore();
    form->Form_Load();
    form->move(20, 30);
    form->MHS_Click();
    tp.settings.writes.clear();
    form->MFEnd_Click();
    const QRect outer = form->frameGeometry();
    std::vector<QString> expected = {
        "WindowState=0",
        QStringLiteral("Left=%1").arg(outer.x() * 15),
        QStringLiteral("Top=%1").arg(outer.y() * 15),
        QStringLiteral("Width=%1").arg(outer.width() * 15),
        QStringLiteral("Height=%1").arg(outer.height() * 15),
        "IconSize=S",
    };
    EXPECT_EQ(tp.settings.writes, expected);

    Form1 maximised;
    maximised.setWindowState(Qt::WindowMaximized);
    tp.settings.writes.clear();
    maximised.close();
    EXPECT_EQ(tp.settings.writes, (std::vector<QString>{"WindowState=2", "IconSize=L"}));

    Form1 minimised;
    minimised.setWindowState(Qt::WindowMinimized);
    tp.settings.writes.clear();
    minimised.close();
    EXPECT_EQ(tp.settings.writes, std::vector<QString>{"IconSize=L"});
}

TEST_F(AppTest, ListFillsTheClientBelowTheToolbarAndNeverGoesNegative)
{
    EXPECT_EQ(form->client()->size(), QSize(473, 266));
    EXPECT_EQ(form->ListView1->geometry(), QRect(0, 22, 473, 244));
    EXPECT_EQ(form->Text1->geometry(), QRect(36, 0, 345, 20));
    form->show();
    // Nothing under the list: no status bar, no size grip, the client reaches the bottom.
    EXPECT_FALSE(form->findChild<QStatusBar*>());
    EXPECT_FALSE(form->findChild<QSizeGrip*>());
    EXPECT_EQ(form->client()->geometry().bottom(), form->height() - 1);
    form->resize(200, form->menuBar()->height() + 10);
    QApplication::processEvents();
    ASSERT_EQ(form->client()->height(), 10);
    EXPECT_EQ(form->ListView1->geometry().top(), 22);
    EXPECT_EQ(form->ListView1->height(), 0);
    EXPECT_EQ(form->ListView1->width(), 200);
}

std::vector<std::pair<QString, QString>> entries(QMenu* menu)
{
    std::vector<std::pair<QString, QString>> out;
    for (QAction* a : menu->actions())
        out.emplace_back(a->isSeparator() ? QStringLiteral("—") : a->text(), a->shortcut().toString());
    return out;
}

TEST_F(AppTest, MenusAndToolbarAreAsDesigned)
{
    QStringList top;
    for (QAction* a : form->menuBar()->actions())
        top << a->text();
    EXPECT_EQ(top, (QStringList{"ﾌｧｲﾙ(&F)", "表示(&V)", "ヘルプ(&H)"}));

    using E = std::vector<std::pair<QString, QString>>;
    E file = {{"開く(&O)...", "Ctrl+O"}, {"フォルダを開く(&D)...", "Ctrl+F"}, {"—", ""}};
    for (int i = 0; i < 8; ++i)
        file.push_back({"", ""});
    file.insert(file.end(), {{"—", ""}, {"壁紙に設定(&W)", ""}});
    // Commands added after the designed ones keep their own separator and take no designed key.
    file.insert(file.end(), {{"—", ""}, {"アイコンを保存(&A)...", "Ctrl+E"}, {"すべてのアイコンを保存(&L)...", "Ctrl+Shift+E"},
                             {"コピー(&C)", "Ctrl+C"}, {"アイコンの情報(&I)...", "Alt+Return"},
                             {"アイコンを検索(&E)...", "Ctrl+Shift+F"}, {"アイコンを作成(&N)...", "Ctrl+N"}});
    file.insert(file.end(), {{"—", ""}, {"終了(&X)", "Ctrl+X"}});
    EXPECT_EQ(entries(form->MFILE), file);
    EXPECT_EQ(entries(form->MHyouji), (E{{"大きなｱｲｺﾝ", "Ctrl+L"}, {"小さなｱｲｺﾝ", "Ctrl+S"}, {"—", ""},
                                         {"オプション(&O)...", ""}, {"関連付け(&R)...", ""}, {"便利な機能(&U)...", ""}}));
    EXPECT_EQ(entries(form->MHelp), (E{{"ヘルプ(&H)...", "F1"}, {"—", ""}, {"ﾊﾞｰｼﾞｮﾝ情報...", ""}}));
    EXPECT_EQ(entries(form->pop), (E{{"拡大表示", ""}, {"壁紙に設定", ""}, {"—", ""}, {"大きなｱｲｺﾝ", ""}, {"小さなｱｲｺﾝ", ""},
                                     {"—", ""}, {"アイコンを保存(&A)...", ""}, {"すべてのアイコンを保存(&L)...", ""},
                                     {"コピー(&C)", ""}, {"アイコンの情報(&I)...", ""}, {"このファイルを開く", ""}}));
    EXPECT_FALSE(form->menuBar()->actions().contains(form->pop->menuAction()));
    EXPECT_TRUE(form->MHL->isChecked());
    EXPECT_TRUE(form->icongig->isChecked());
    EXPECT_FALSE(form->MHS->isChecked());

    EXPECT_EQ(form->button(1)->text(), "開く");
    EXPECT_EQ(form->button(1)->toolTip(), "ファイルを開きます");
    QStringList drop;
    for (QAction* a : form->ButtonMenu1->actions())
        drop << a->text();
    EXPECT_EQ(drop, (QStringList{"ファイルを開く", "フォルダを開く"}));
    EXPECT_EQ(form->button(5)->toolTip(), "大きいアイコン");
    EXPECT_EQ(form->button(6)->toolTip(), "小さいアイコン");
    EXPECT_TRUE(form->button(5)->isChecked());
    EXPECT_FALSE(form->button(6)->isChecked());
    EXPECT_FALSE(form->button(3)->isCheckable());
    EXPECT_EQ(form->Toolbar1->height(), 22);
}

TEST_F(AppTest, ViewModeControlsStayInStep)
{
    auto expectMode = [&](bool large) {
        EXPECT_EQ(form->MHL->isChecked(), large);
        EXPECT_EQ(form->MHS->isChecked(), !large);
        EXPECT_EQ(form->icongig->isChecked(), large);
        EXPECT_EQ(form->Iconsama->isChecked(), !large);
        EXPECT_EQ(form->button(5)->isChecked(), large);
        EXPECT_EQ(form->button(6)->isChecked(), !large);
        EXPECT_EQ(form->ListView1->view(), large ? ListView::lvwIcon : ListView::lvwList);
    };
    form->MHS_Click();
    expectMode(false);
    form->icongig_Click();
    expectMode(true);
    form->Toolbar1_ButtonClick(6);
    expectMode(false);
    form->Toolbar1_ButtonClick(5);
    expectMode(true);
    form->Iconsama->trigger();
    expectMode(false);
    form->MHL->trigger();
    expectMode(true);
    form->LorS("l");
    expectMode(false);
    form->LorS("L");
    expectMode(true);
    form->LorS("");
    expectMode(false);
}

TEST_F(AppTest, HoverSchemesDifferAndOutOfRangeUsesTheStandardOne)
{
    for (int a = 0; a < 6; ++a)
        for (int b = a + 1; b < 6; ++b)
            EXPECT_NE(form->HotList[size_t(a)][0].toImage(), form->HotList[size_t(b)][0].toImage()) << a << " " << b;
    form->setHotImageList(4);
    EXPECT_EQ(form->hotImageList(), 4);
    const QImage hover = form->button(1)->icon().pixmap(16, QIcon::Active).toImage();
    EXPECT_EQ(hover.convertToFormat(QImage::Format_ARGB32),
              form->HotList[4][0].toImage().convertToFormat(QImage::Format_ARGB32));
    form->setHotImageList(-1);
    EXPECT_EQ(form->hotImageList(), 0);
}

} // namespace

