#include "AppFixture.h"

#include "icons/IcoGet.h"
#include "platform/iconsource/IconSource.h"
#include "IconFixtures.h"
#include "OpenFile.h"

#include "viewer/Form2.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QToolButton>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zor;
using zor::test::AppTest;
namespace fx = zor::iconfixtures;

namespace {

const QString FileMessage = QStringLiteral("このファイルにはアイコンが含まれていませんでした。");
const QString FolderMessage = QStringLiteral("このフォルダにはアイコンファイルが含まれていません。");

QStringList numbers(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QString::number(i);
    return out;
}

class OpeningTest : public AppTest {
protected:
    QString ico(const QString& name, int seed = 0)
    {
        return fx::makeIco(dir.path(), name, {{32, 32, false, seed}, {16, 32, false, seed + 1}});
    }
    QString text(const QString& name, const QByteArray& content = "just text\n")
    {
        const QString path = dir.path() + "/" + name;
        fx::writeBytes(path, content);
        return path;
    }
    // Item i shows image i of both lists, in both modes.
    void expectItemsShowTheirImages()
    {
        auto* model = form->ListView1->model();
        const int shown = form->ListView1->view();
        for (int mode : {ListView::lvwIcon, ListView::lvwList}) {
            form->ListView1->setView(mode);
            const ImageList& list = mode == ListView::lvwIcon ? form->ImageList1 : form->ImageList2;
            for (int i = 1; i <= form->ListView1->itemCount(); ++i) {
                const auto deco = model->data(model->index(i - 1, 0), Qt::DecorationRole).value<QPixmap>();
                ASSERT_EQ(deco.cacheKey(), list.display(i).cacheKey()) << "item " << i;
            }
        }
        form->ListView1->setView(shown);
    }
    void expectLoaded(int n)
    {
        EXPECT_EQ(itemTexts(), numbers(n));
        EXPECT_EQ(form->ImageList1.count(), n);
        EXPECT_EQ(form->ImageList2.count(), n);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("QEL Tormelia Viewer - [アイコン数：%1]").arg(n));
        EXPECT_EQ(form->ListView1->selectedIndex(), 0);
        EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
        expectItemsShowTheirImages();
    }
};

TEST_F(OpeningTest, SingleFilesListEveryIconInFileOrder)
{
    const QString single = ico("one.ico");
    open(single);
    expectLoaded(1);
    EXPECT_TRUE(tp.messages.shown.empty());
    const QImage expected = openFile(single).image(0, {32, 32}).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(form->ImageList1.image(1).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), expected);

    const QString library = fx::makeLibrary(dir.path(), 150, false);
    open(library);
    expectLoaded(150);

    const QString icl = fx::makeLibrary(dir.path(), 12, true);
    form->MHS_Click();
    open(icl);
    expectLoaded(12);
    // The mode chosen last survives the load.
    EXPECT_TRUE(form->button(6)->isChecked());
    EXPECT_EQ(form->ListView1->view(), ListView::lvwList);

    EXPECT_EQ(stored("RF0"), icl);
    EXPECT_EQ(stored("RF1"), library);
    EXPECT_EQ(stored("RF2"), single);
    EXPECT_EQ(form->Text1->itemText(0), icl);
    EXPECT_EQ(form->RF[1]->text(), library);
    EXPECT_EQ(form->Text1->currentText(), icl);
}

// The list numbers its icons in 16 bits: a program with more groups lists the first 32767.
TEST_F(OpeningTest, FilesWithMoreGroupsThanTheListHoldsListTheFirst)
{
    const QByteArray two = fx::readBytes(fx::makeIco(dir.path(), "two.ico", {{32, 32, false, 7}, {32, 32, false, 8}}));
    fx::HandMadeResources many;
    many.icons = fx::icoImageData(two);
    many.records = {fx::iconGroup(two, {1}), fx::iconGroup(two, {2})};
    many.groups.assign(33000, 0);
    many.groups[32766] = 1;   // the last one listed
    const QString path = dir.path() + "/many.dll";
    fx::writeBytes(path, fx::handMadePe(many));
    open(path);
    EXPECT_TRUE(tp.messages.shown.empty());
    ASSERT_EQ(form->ListView1->itemCount(), 32767);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("QEL Tormelia Viewer - [アイコン数：32767]"));
    auto argb = [](const QImage& i) { return i.convertToFormat(QImage::Format_ARGB32_Premultiplied); };
    const iconsource::IconFile file = openFile(path);
    EXPECT_EQ(argb(form->ImageList1.image(32767).toImage()), argb(file.image(32766, {32, 32})));
    EXPECT_NE(argb(form->ImageList1.image(32766).toImage()), argb(file.image(32766, {32, 32})));
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

// ctest runs this a second time at a device pixel ratio of 2 (QT_SCALE_FACTOR=2).
TEST_F(OpeningTest, ScreensWithMorePixelsShowTheGroupsLargerEntries)
{
    const qreal ratio = form->ListView1->devicePixelRatioF();
    const QString path = fx::makeIco(dir.path(), "sizes.ico", {{16, 32, false, 1}, {32, 32, false, 2}, {64, 32, false, 3}});
    open(path);
    expectLoaded(1);
    const iconsource::IconFile file = openFile(path);
    auto argb = [](const QImage& i) { return i.convertToFormat(QImage::Format_ARGB32_Premultiplied); };
    auto* model = form->ListView1->model();
    for (auto [mode, side] : {std::pair{int(ListView::lvwIcon), 32}, std::pair{int(ListView::lvwList), 16}}) {
        form->ListView1->setView(mode);
        const auto shown = model->data(model->index(0, 0), Qt::DecorationRole).value<QPixmap>();
        const int device = qRound(side * ratio);
        EXPECT_EQ(argb(shown.toImage()), argb(file.image(0, {device, device}))) << side;
        EXPECT_EQ(shown.deviceIndependentSize().toSize(), QSize(side, side));
    }
    // The enlarged view and the wallpaper still take the 32 px entry itself.
    EXPECT_EQ(argb(form->ImageList1.image(1).toImage()), argb(file.image(0, {32, 32})));
}

TEST_F(OpeningTest, FilesWithoutIconsShowTheMessageAndLeaveAnEmptyList)
{
    open(ico("keep.ico"));
    const QString title = form->windowTitle();
    for (const QString& path : {text("notes.txt"), text("empty.dll", QByteArray())}) {
        tp.messages.shown.clear();
        open(path);
        ASSERT_EQ(tp.messages.shown.size(), 1u) << path.toStdString();
        EXPECT_EQ(tp.messages.shown[0].text, FileMessage);
        EXPECT_EQ(tp.messages.shown[0].icon, MsgIcon::Critical);
        EXPECT_EQ(form->ListView1->itemCount(), 0);
        EXPECT_EQ(form->windowTitle(), title);
        EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(stored("RF0"), dir.path() + "/keep.ico");
    }
}

TEST_F(OpeningTest, PathsThatAreNothingLeaveTheListAlone)
{
    open(ico("keep.ico"));
    const QString fifo = dir.path() + "/pipe.ico";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    for (const QString& path : {QString(), dir.path() + "/missing.ico", QStringLiteral("\"") + dir.path() + "/keep.ico\"", fifo}) {
        open(path);
        EXPECT_EQ(itemTexts(), QStringList{"0"}) << path.toStdString();
        EXPECT_TRUE(tp.messages.shown.empty());
    }
    EXPECT_EQ(iconsource::pathKind(""), 0);
    EXPECT_EQ(iconsource::pathKind(QFile::encodeName(dir.path())), 2);
    EXPECT_EQ(iconsource::pathKind(QFile::encodeName(fifo)), 1);
    EXPECT_FALSE(iconsource::canOpenFile(QFile::encodeName(fifo)));
}

TEST_F(OpeningTest, UnreadableFilesAndFoldersAreRefusedQuietly)
{
    // Permissions mean nothing to root, so the check runs as an unprivileged user.
    QDir(dir.path()).mkdir("locked");
    const QString lockedDir = dir.path() + "/locked";
    const QString lockedFile = ico("secret.ico");
    ico("locked/inside.ico");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(lockedFile).constData(), 0000);
    ::chmod(QFile::encodeName(lockedDir).constData(), 0311);   // may be entered, not listed
    open(ico("keep.ico", 3));

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        if (iconsource::canOpenFile(QFile::encodeName(lockedFile)))
            _exit(4);
        open(lockedFile);
        open(lockedDir);
        const bool unchanged = itemTexts() == QStringList{"0"} && tp.messages.shown.empty();
        _exit(unchanged ? 0 : 5);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(OpeningTest, FoldersListTheirIconFilesByNameIgnoringCase)
{
    QDir(dir.path()).mkdir("set");
    const QString set = dir.path() + "/set";
    fx::makeIco(set, "b.ico", {{32, 32, false, 1}});
    fx::makeIco(set, "A.ICO", {{32, 32, false, 2}});
    fx::makeIco(set, "c.cur", {{32, 32, false, 3}}, true);
    fx::writeBytes(set + "/d.icl", fx::neLibrary({fx::readBytes(fx::makeIco(dir.path(), "x.ico", {{32, 32, false, 4}}))}));
    fx::writeBytes(set + "/e.dll", QByteArray("MZ"));
    fx::writeBytes(set + "/.hidden.ico", fx::readBytes(set + "/b.ico"));
    QDir(set).mkdir("sub.ico");
    open(set);
    EXPECT_EQ(itemTexts(), (QStringList{"A.ICO", "b.ico", "c.cur", "d.icl"}));
    EXPECT_EQ(form->windowTitle(), "QEL Tormelia Viewer - [アイコン数：4]");
    expectItemsShowTheirImages();
    EXPECT_EQ(stored("RF0"), set);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(OpeningTest, TypingAPathAndPressingEnterOpensIt)
{
    QDir(dir.path()).mkdir("set");
    const QString set = dir.path() + "/set";
    const QString a = fx::makeIco(set, "a.ico", {{32, 32, false, 1}});
    const QString b = fx::makeIco(set, "b.ico", {{32, 32, false, 2}});
    store("RF0", a);   // a stored entry inside the folder, which the typed folder must not turn into
    markStartedBefore();
    form->Form_Load();
    showActive();
    EXPECT_EQ(QApplication::focusWidget(), form->Text1);   // nothing open: the keys start in the path box
    const struct {
        QString typed;
        Qt::Key enter;
        QStringList items;
    } cases[] = {
        {set, Qt::Key_Return, {"a.ico", "b.ico"}},
        {b, Qt::Key_Enter, {"0"}},
        {set, Qt::Key_Enter, {"a.ico", "b.ico"}},
        {dir.path() + "/missing", Qt::Key_Return, {"a.ico", "b.ico"}},
        {a, Qt::Key_Return, {"0"}},
    };
    for (const auto& c : cases) {
        typeAndEnter(c.typed, c.enter);
        EXPECT_EQ(itemTexts(), c.items) << c.typed.toStdString();
        EXPECT_EQ(form->Text1->currentText(), c.typed);
    }
    EXPECT_EQ(stored("RF0"), b);
    EXPECT_EQ(stored("RF1"), set);
    EXPECT_EQ(stored("RF2"), a);
}

TEST_F(OpeningTest, PathsAreRecordedAbsoluteAndCleanWhicheverWayTheyCome)
{
    markStartedBefore();
    QDir(dir.path()).mkdir("r95");
    const QString r95 = dir.path() + "/r95";
    const QString a = fx::makeIco(r95, "a.ico", {{32, 32, false, 1}});
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    auto drop = [&](const QString& path) {
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(path)});
        QWidget* surface = form->ListView1->viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(surface, &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(surface, &dropped);
    };

    tp.identity.args = {"r95"};
    form->Form_Load();
    EXPECT_EQ(form->Text1->currentText(), r95);
    showActive();
    const struct {
        const char* way;
        std::function<void()> open;
        QString shown;
    } cases[] = {
        {"typed", [&] { typeAndEnter("r95/"); }, r95},
        {"typed", [&] { typeAndEnter("/" + dir.path() + "/./r95"); }, r95},
        {"folder browser", [&] { tp.files.folderAnswers = {"./r95//"}; press(Qt::Key_F, Qt::ControlModifier); }, r95},
        {"dropped", [&] { drop(dir.path() + "/r95/"); }, r95},
        {"open dialog", [&] { tp.files.fileAnswers = {"r95/../r95/a.ico"}; press(Qt::Key_O, Qt::ControlModifier); }, a},
        {"typed", [&] { typeAndEnter("r95//a.ico"); }, a},
    };
    for (const auto& c : cases) {
        c.open();
        EXPECT_EQ(form->Text1->currentText(), c.shown) << c.way;
    }
    QDir::setCurrent(before);
    EXPECT_EQ(stored("RF0"), a);
    EXPECT_EQ(stored("RF1"), r95);
    EXPECT_EQ(stored("RF2"), "");
    EXPECT_EQ(itemTexts(), QStringList{"0"});
}

TEST_F(OpeningTest, NamesThatAreNotUtf8AreListedReadAndShown)
{
    // Names as an old archive leaves them: Shift_JIS and Latin-1 bytes beside UTF-8 and ASCII.
    QDir(dir.path()).mkdir("old");
    const QString old = dir.path() + "/old";
    const QByteArray folder = QFile::encodeName(old) + '/';
    const struct {
        QByteArray stored;
        QString shown;
    } files[] = {
        {"b.ico", "b.ico"},
        {QByteArray::fromHex("8341834383528393") + ".ico", "アイコン.ico"},
        {"caf\xe9.ICO", "café.ICO"},
        {"\xe3\x81\x94\xe3\x81\xbf.cur", "ごみ.cur"},
        {QByteArray::fromHex("83478393835e815b") + ".txt", ""},   // not an icon file
    };
    // The temporary folder cannot remove what it cannot name.
    struct Unlink {
        std::function<void()> run;
        ~Unlink() { run(); }
    } unlink{[&] {
        for (const auto& f : files)
            ::unlink((folder + f.stored).constData());
    }};
    std::map<QString, QImage> icons;
    int seed = 1;
    for (const auto& f : files) {
        const QByteArray bytes = fx::readBytes(fx::makeIco(dir.path(), "src.ico", {{32, 24, false, seed++}}));
        const int fd = ::open((folder + f.stored).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
        icons[f.shown] = iconsource::IconFile::fromData(bytes).image(0, {32, 32});
    }
    showActive();
    typeAndEnter(old);
    const QStringList shown = {"b.ico", "café.ICO", "ごみ.cur", "アイコン.ico"};
    ASSERT_EQ(itemTexts(), shown);
    for (int i = 1; i <= shown.size(); ++i)
        EXPECT_EQ(form->ImageList1.image(i).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  icons[shown[i - 1]].convertToFormat(QImage::Format_ARGB32_Premultiplied)) << i;

    // The enlarged view names the file as the list does; the wallpaper is its icon.
    QString location;
    tp.dialogs.script = [&](QDialog& d) {
        location = static_cast<Form2&>(d).Text1->text();
        return 0;
    };
    tp.desktop.windowsDir = dir.path();
    for (int entry : {1, 2}) {   // 拡大表示, 壁紙に設定
        clickItem(4, Qt::RightButton);
        ASSERT_TRUE(form->pop->isVisible());
        for (int k = 0; k < entry; ++k)
            QTest::keyClick(form->pop, Qt::Key_Down);
        QTest::keyClick(form->pop, Qt::Key_Return);
    }
    EXPECT_EQ(location, old + "/アイコン.ico,0");
    ASSERT_EQ(tp.desktop.wallpapers.size(), 1u);
    QImage tile(32, 32, QImage::Format_RGB32);
    tile.fill(tp.desktop.colour);
    QPainter(&tile).drawImage(0, 0, icons["アイコン.ico"]);
    EXPECT_EQ(QImage(dir.path() + "/kepwall.bmp").convertToFormat(QImage::Format_RGB32), tile);
}

TEST_F(OpeningTest, FolderWithoutIconFilesKeepsTheList)
{
    open(ico("keep.ico"));
    QDir(dir.path()).mkdir("programs");
    fx::writeBytes(dir.path() + "/programs/a.dll", "MZ");
    fx::writeBytes(dir.path() + "/programs/b.exe", "MZ");
    open(dir.path() + "/programs");
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text, FolderMessage);
    EXPECT_EQ(tp.messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(itemTexts(), QStringList{"0"});
}

TEST_F(OpeningTest, DamagedFileInAFolderGetsThePlaceholderAndTheScanGoesOn)
{
    QDir(dir.path()).mkdir("mixed");
    const QString mixed = dir.path() + "/mixed";
    fx::makeIco(mixed, "a.ico", {{32, 32, false, 1}});
    QByteArray broken = fx::readBytes(fx::makeIco(dir.path(), "src.ico", {{32, 32, false, 2}}));
    broken.truncate(30);
    fx::writeBytes(mixed + "/b.ico", broken);
    fx::writeBytes(mixed + "/c.ico", "not an icon at all");
    fx::makeIco(mixed, "d.ico", {{32, 32, false, 3}});
    open(mixed);
    EXPECT_EQ(itemTexts(), (QStringList{"a.ico", "b.ico", "c.ico", "d.ico"}));
    const QImage placeholder = IcoGet::BrokenIcon(32).toImage();
    EXPECT_EQ(form->ImageList1.image(2).toImage(), placeholder);
    EXPECT_EQ(form->ImageList1.image(3).toImage(), placeholder);
    EXPECT_NE(form->ImageList1.image(4).toImage(), placeholder);
    EXPECT_EQ(form->ImageList2.image(2).toImage(), IcoGet::BrokenIcon(16).toImage());
}

TEST_F(OpeningTest, RecentEntriesRotateOnlyForNewPathsAndNeverTouchFavourites)
{
    for (int i = 4; i < 8; ++i)
        store(QStringLiteral("RF%1").arg(i), QStringLiteral("/fav/%1").arg(i));
    const QString a = ico("a.ico"), b = ico("b.ico"), c = ico("c.ico"), d = ico("d.ico"), e = ico("e.ico");
    for (const QString& p : {a, b, c, d})
        open(p);
    open(b);   // opened again: keeps its place
    EXPECT_EQ(stored("RF0"), d);
    EXPECT_EQ(stored("RF2"), b);
    open(e);
    EXPECT_EQ(stored("RF0"), e);
    EXPECT_EQ(stored("RF3"), b);   // a fell out
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(stored(QStringLiteral("RF%1").arg(i)), QStringLiteral("/fav/%1").arg(i));
    EXPECT_EQ(form->Text1->count(), 8);
    EXPECT_EQ(form->RF[7]->text(), "/fav/7");

    // Names that would be patterns are compared as they are.
    QDir(dir.path()).mkdir("*");
    const QString bracket = ico("[1].ico");
    const QString star = fx::makeIco(dir.path() + "/*", "x?.ico", {{32, 32, false, 5}});
    open(bracket);
    open(bracket);
    open(star);
    open(b);
    EXPECT_EQ(stored("RF0"), b);
    EXPECT_EQ(stored("RF1"), star);
    EXPECT_EQ(stored("RF2"), bracket);
    EXPECT_EQ(stored("RF3"), e);
}

TEST_F(OpeningTest, EveryWayInEndsInThePathBox)
{
    const QString a = ico("a.ico");
    const QString b = ico("b.ico");

    tp.files.fileAnswers = {a};
    form->MFOpen->trigger();
    EXPECT_EQ(form->Text1->currentText(), a);
    EXPECT_EQ(itemTexts(), QStringList{"0"});
    ASSERT_EQ(tp.files.filters.size(), 1u);
    EXPECT_EQ(tp.files.filters[0],
              "含ｱｲｺﾝﾌｧｲﾙ(*.icl,*.ico,*.exe,*.dll)|*.ico;*.icl;*.exe;*.dll|すべてのﾌｧｲﾙ(*.*)|*.*");

    // Cancelled: the dialog's previous file is opened again.
    form->FormatList();
    form->Toolbar1_ButtonClick(1);
    EXPECT_EQ(itemTexts(), QStringList{"0"});

    tp.files.folderAnswers = {dir.path()};
    form->Toolbar1_ButtonMenuClick(2);
    EXPECT_EQ(tp.files.titles, std::vector<QString>{"フォルダを開く"});
    EXPECT_EQ(itemTexts(), (QStringList{"a.ico", "b.ico"}));

    // Cancelling the folder browser empties the path box and keeps the list.
    form->MFFoldOpen->trigger();
    EXPECT_EQ(form->Text1->currentText(), "");
    EXPECT_EQ(form->ListView1->itemCount(), 2);

    // A stored slot, not its caption; an empty slot does nothing.
    store("RF6", b);
    form->RF[6]->setText("something else");
    form->RF[6]->trigger();
    EXPECT_EQ(form->Text1->currentText(), b);
    EXPECT_EQ(itemTexts(), QStringList{"0"});
    form->RF_Click(5);
    EXPECT_EQ(itemTexts(), QStringList{"0"});

    // Typing and Enter; button 3.
    form->Text1->setEditText(dir.path());
    form->Text1_KeyDown(13);
    EXPECT_EQ(form->ListView1->itemCount(), 2);
    form->Text1->setEditText(a);
    form->Text1_KeyDown(65);
    EXPECT_EQ(form->ListView1->itemCount(), 2);
    form->Toolbar1_ButtonClick(3);
    EXPECT_EQ(itemTexts(), QStringList{"0"});
}

TEST_F(OpeningTest, DropsOpenTheFirstPathAndStartOneInstancePerFurtherPath)
{
    const QString a = ico("a.ico"), b = ico("b b.ico"), c = ico("c.ico");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(c)});
    EXPECT_TRUE(form->ListView1_OLEDragOver(&files));
    form->ListView1_OLEDragDrop(&files);
    EXPECT_EQ(form->Text1->currentText(), a);
    EXPECT_EQ(itemTexts(), QStringList{"0"});
    ASSERT_EQ(tp.starter.calls.size(), 2u);
    EXPECT_EQ(tp.starter.calls[0].program, "/opt/zor/zor");
    EXPECT_EQ(tp.starter.calls[0].arguments, QStringList{b});
    EXPECT_EQ(tp.starter.calls[1].arguments, QStringList{c});

    QMimeData words;
    words.setText("hello");
    EXPECT_FALSE(form->ListView1_OLEDragOver(&words));
    form->ListView1_OLEDragDrop(&words);
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text, FileMessage);
    EXPECT_EQ(itemTexts(), QStringList{"0"});
}

TEST_F(OpeningTest, FormatListEmptiesEverythingAndShowsTheBusyPointer)
{
    open(ico("a.ico"));
    form->ListView1_ItemClick(1);
    EXPECT_EQ(form->ClickedItem, 1);
    form->ListView1->selectItem(1);
    form->FormatList();
    EXPECT_EQ(form->ListView1->itemCount(), 0);
    EXPECT_EQ(form->ImageList1.count(), 0);
    EXPECT_EQ(form->ImageList2.count(), 0);
    EXPECT_EQ(form->ClickedItem, 0);
    EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(form->ListView1->cursor().shape(), Qt::WaitCursor);
    form->Atoshori();
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(form->windowTitle(), "QEL Tormelia Viewer - [アイコン数：0]");
}

TEST_F(OpeningTest, StartUpOpensTheCommandLinePathAndKeepsEightLines)
{
    markStartedBefore();
    const QString a = ico("a.ico");
    store("RF5", "/fav/5");
    tp.identity.args = {a};
    form->Form_Load();
    EXPECT_EQ(itemTexts(), QStringList{"0"});
    ASSERT_EQ(form->Text1->count(), 8);
    EXPECT_EQ(form->Text1->itemText(0), a);
    EXPECT_EQ(form->Text1->itemText(5), "/fav/5");
    EXPECT_EQ(form->Text1->currentText(), a);
}

} // namespace
