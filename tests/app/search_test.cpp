// The search window and `zor-icons search` over one generated folder tree.
#include "AppFixture.h"

#include "app/frmSearch.h"
#include "dialogs/frmIconInfo.h"
#include "icons/FoundIcons.h"
#include "platform/iconsource/IconSearch.h"
#include "platform/iconsource/IconSource.h"
#include "viewer/Form2.h"
#include "IconFixtures.h"
#include "OpenFile.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QPushButton>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionViewItem>
#include <QToolButton>
#include <QTreeView>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>
#include <map>
#include <set>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zor;
using namespace zor::iconsource;
namespace fx = zor::iconfixtures;

namespace {

struct Icon {
    QByteArray path;
    int index;
    int largest;
    bool operator<(const Icon& o) const { return std::tie(path, index) < std::tie(o.path, o.index); }
    bool operator==(const Icon& o) const { return path == o.path && index == o.index && largest == o.largest; }
};

void PrintTo(const Icon& i, std::ostream* os) { *os << i.path.toStdString() << "," << i.index << " " << i.largest; }

bool waitFor(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

class SearchTest : public test::AppTest {
protected:
    // A file of the tree: its name as stored, what its extension makes it, and its bytes.
    struct Planted {
        QByteArray path;   // under the root
        unsigned kind;     // the SearchKind the name stands for, 0 for none
        QByteArray bytes;
    };

    void SetUp() override
    {
        markStartedBefore();
        root = QFile::encodeName(dir.path()) + "/tree";
        const QString src = dir.path() + "/src";
        QDir().mkpath(src);
        const QByteArray small = fx::readBytes(fx::makeIco(src, "small.ico", {{16, 32, false, 1}}));
        const QByteArray two = fx::readBytes(fx::makeIco(src, "two.ico", {{16, 32, false, 2}, {32, 32, false, 3}}));
        const QByteArray mid = fx::readBytes(fx::makeIco(src, "mid.ico", {{48, 32, true, 4}}));
        const QByteArray big = fx::readBytes(fx::makeIco(src, "big.ico", {{48, 32, false, 5}, {256, 32, true, 6}}));
        const QByteArray cursor = fx::readBytes(fx::makeIco(src, "arrow.cur", {{32, 32, false, 7}}, true));
        const QByteArray pe = fx::readBytes(fx::makePe(src, "mixed.dll",
            "1 ICON \"small.ico\"\n2 ICON \"two.ico\"\n3 ICON \"big.ico\"\n4 ICON \"mid.ico\"\n5 ICON \"two.ico\"\n",
            true, fx::PeKind::Dll));
        const QByteArray ne = fx::neLibrary({small, mid, big});
        // 300 images: the directory alone is longer than a page, its largest image last.
        QByteArray manyImages = QByteArray::fromHex("000001002c01");
        for (int i = 0; i < 300; ++i)
            manyImages += QByteArray::fromHex(i == 299 ? "40400000010020000000000000000000" : "10100000010020000000000000000000");
        manyImages += QByteArray(8000, '\0');
        QByteArray junk(5000, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char(i * 7919 % 251);

        planted = {
            {"two.ico", IconFiles, two},
            {"BIG.ICO", IconFiles, big},
            {"arrow.cur", IconFiles, cursor},
            {"lib.icl", IconLibraries, ne},
            {"mixed.dll", Programs, pe},
            {"icon.dat", 0, big},
            {"notes.txt", 0, "just text\n"},
            {"sub/prog.exe", Programs, pe},
            {"sub/\x83\x41\x83\x43\x83\x52\x83\x93.ico", IconFiles, small},   // CP932
            {"sub/caf\xe9.ico", IconFiles, two},                              // Latin-1
            {"sub/\x83\x76\x83\x8d.dll", Programs, pe},                         // CP932, five groups
            {"sub/deep/deeper/last.scr", Programs, pe},
            {"sub/deep/cut.ico", IconFiles, big.left(10)},
            {"sub/deep/many.ico", IconFiles, manyImages},
            {"sub/deep/junk.dll", Programs, junk},
            {"sub/deep/empty.exe", Programs, {}},
            {"sub/deep/half.dll", Programs, pe.left(3000)},
            {"locked/in.ico", IconFiles, two},
        };
        for (const Planted& p : planted)
            plant(p.path, p.bytes);
        // Read through links: a link to a file is that file; a loop of links, a FIFO and a
        // device are never opened.
        ASSERT_EQ(symlink("two.ico", (root + "/linked.ico").constData()), 0);
        planted.push_back({"linked.ico", IconFiles, two});
        ASSERT_EQ(symlink(".", (root + "/sub/loop").constData()), 0);
        ASSERT_EQ(mkfifo((root + "/pipe.ico").constData(), 0644), 0);
        ASSERT_EQ(symlink("/dev/zero", (root + "/zero.ico").constData()), 0);
        ASSERT_EQ(chmod((root + "/locked").constData(), 0), 0);
        lockedReadable = access((root + "/locked").constData(), R_OK) == 0;
    }
    void TearDown() override
    {
        chmod((root + "/locked").constData(), 0755);
        // Qt cannot name these to remove them with the folder.
        for (const Planted& p : planted)
            if (!QByteArrayView(p.path).isValidUtf8())
                unlink((root + "/" + p.path).constData());
    }

    void plant(const QByteArray& path, const QByteArray& bytes)
    {
        const QByteArray full = root + "/" + path;
        QDir().mkpath(QFile::decodeName(full.left(full.lastIndexOf('/'))));
        const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << full.toStdString();
        ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
    }

    // What the reader says the search must find.
    std::vector<Icon> expected(bool recursive, unsigned kinds, int minSize, bool lockedFolder) const
    {
        std::vector<Icon> out;
        for (const Planted& p : planted) {
            if ((!recursive && p.path.contains('/')) || (!lockedFolder && p.path.startsWith("locked/")))
                continue;
            if (!(kinds & EveryFile) && !(p.kind & kinds))
                continue;
            const IconFile file = IconFile::fromData(p.bytes);
            for (int i = 0; i < file.count(); ++i) {
                int largest = 0;
                for (const GroupEntry& e : file.entries(i))
                    largest = std::max({largest, e.width, e.height});
                if (largest >= minSize)
                    out.push_back({root + "/" + p.path, i, largest});
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    std::vector<Icon> commandLine(const QStringList& options, QByteArray* errors = nullptr, const QStringList& asUser = {})
    {
        QProcess p;
        const QStringList args = QStringList{"search", QFile::decodeName(root)} + options;
        if (asUser.isEmpty())
            p.start(QStringLiteral(ZOR_ICONS_EXE), args);
        else
            p.start(asUser.first(), asUser.mid(1) + QStringList{QStringLiteral(ZOR_ICONS_EXE)} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        if (errors)
            *errors = p.readAllStandardError();
        std::vector<Icon> out;
        for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() == 3)
                out.push_back({f[0], f[1].toInt(), f[2].toInt()});
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    frmSearch* openWindow()
    {
        // The window opens on the folder the main window shows.
        open(QFile::decodeName(root));
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        frmSearch* w = form->searchWindow();
        EXPECT_NE(w, nullptr);
        if (w) {
            EXPECT_EQ(w->txtFolder->text(), QFile::decodeName(root));
        }
        return w;
    }

    void check(QCheckBox* box, bool on)
    {
        if (box->isChecked() != on) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
        }
        ASSERT_EQ(box->isChecked(), on);
    }

    void search(frmSearch* w)
    {
        QTest::mouseClick(w->cmdSearch, Qt::LeftButton);
        ASSERT_TRUE(waitFor([w] { return !w->running(); }));
    }

    std::vector<Icon> shown(frmSearch* w)
    {
        std::vector<Icon> out;
        for (int row = 0; row < w->lstResults->model()->rowCount(); ++row) {
            const frmSearch::Found f = w->foundAt(row);
            out.push_back({f.path.bytes(), f.index, 0});
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    // The row of a found icon, and where it shows once scrolled into view.
    QModelIndex rowOf(frmSearch* w, const QByteArray& path, int index)
    {
        for (int row = 0; row < w->lstResults->model()->rowCount(); ++row)
            if (w->foundAt(row).path == path && w->foundAt(row).index == index)
                return w->lstResults->model()->index(row, 0);
        return QModelIndex();
    }
    QPoint centreOf(frmSearch* w, const QModelIndex& mi)
    {
        w->lstResults->scrollTo(mi);
        waitFor([&] { return w->lstResults->indexAt(w->lstResults->visualRect(mi).center()) == mi; });
        return w->lstResults->visualRect(mi).center();
    }

    QByteArray root;
    std::vector<Planted> planted;
    bool lockedReadable = false;
};

std::vector<Icon> withoutSizes(std::vector<Icon> icons)
{
    for (Icon& i : icons)
        i.largest = 0;
    return icons;
}

TEST_F(SearchTest, WindowAndCommandLineFindWhatTheReaderCountsInEveryFile)
{
    struct Row {
        const char* name;
        bool recursive;
        unsigned kinds;
        int minSize;
        QStringList cli;   // empty: the command line has no such choice
    };
    const Row rows[] = {
        {"default choices", true, DefaultKinds, 0, {"--recursive"}},
        {"this folder only", false, DefaultKinds, 0, {"--min-size", "0"}},
        {"icon files only", true, IconFiles, 0, {}},
        {"libraries and programs", true, IconLibraries | Programs, 0, {}},
        {"every file by content", true, EveryFile, 0, {"--all-files", "-r"}},
        {"48 and larger", true, DefaultKinds, 48, {"-r", "--min-size=48"}},
        {"256, every file", true, EveryFile, 256, {"--recursive", "--all-files", "--min-size", "256"}},
    };
    frmSearch* w = openWindow();
    ASSERT_NE(w, nullptr);
    if (lockedReadable)
        std::printf("[   NOTE   ] running as root: the folder without permissions can be read, so the window "
                    "searches it; the command line checks it as an unreadable folder as another user\n");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<Icon> want = expected(row.recursive, row.kinds, row.minSize, lockedReadable);
        ASSERT_FALSE(want.empty());

        check(w->chkSubFolders, row.recursive);
        check(w->chkAllFiles, row.kinds & EveryFile);
        if (!(row.kinds & EveryFile)) {
            check(w->chkIconFiles, row.kinds & IconFiles);
            check(w->chkLibraries, row.kinds & IconLibraries);
            check(w->chkPrograms, row.kinds & Programs);
        }
        w->cboMinSize->setFocus();
        QTest::keyClick(w->cboMinSize, Qt::Key_Home);
        while (w->cboMinSize->currentData().toInt() != row.minSize && w->cboMinSize->currentIndex() < 3)
            QTest::keyClick(w->cboMinSize, Qt::Key_Down);
        search(w);
        EXPECT_EQ(w->windowTitle(), QStringLiteral("アイコン検索 - [アイコン数：%1]").arg(want.size()));
        EXPECT_EQ(shown(w), withoutSizes(want));
        EXPECT_TRUE(w->lblProgress->text().startsWith("完了")) << w->lblProgress->text().toStdString();

        if (!row.cli.isEmpty()) {
            EXPECT_EQ(commandLine(row.cli), want);
        }
    }

    // The same icons as JSON lines, names as text, and as their bytes where they are not UTF-8.
    {
        QProcess p;
        p.start(QStringLiteral(ZOR_ICONS_EXE), {"search", QFile::decodeName(root), "--recursive", "--json"});
        ASSERT_TRUE(p.waitForFinished(60000));
        QStringList lines, want;
        for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                lines << QString::fromUtf8(line);
        for (const Icon& i : expected(true, DefaultKinds, 0, lockedReadable)) {
            QJsonObject line{{"index", i.index}, {"path", shownName(i.path)}, {"size", i.largest}};
            if (!QByteArrayView(i.path).isValidUtf8())
                line.insert("path_bytes", QString::fromLatin1(i.path.toBase64()));
            want << QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact));
        }
        lines.sort();
        want.sort();
        EXPECT_EQ(lines, want);
    }

    // Names that are not UTF-8 are read by their bytes and shown decoded.
    check(w->chkAllFiles, false);
    w->cboMinSize->setFocus();
    QTest::keyClick(w->cboMinSize, Qt::Key_Home);
    search(w);
    QStringList labels;
    for (int row = 0; row < w->lstResults->model()->rowCount(); ++row)
        labels << w->lstResults->model()->index(row, 0).data().toString();
    EXPECT_TRUE(labels.contains("アイコン.ico,0")) << labels.join(' ').toStdString();
    EXPECT_TRUE(labels.contains("café.ico,0"));

    // As another user the folder without permissions is skipped and counted, never an error.
    if (lockedReadable && !QStandardPaths::findExecutable("setpriv").isEmpty()) {
        ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        QByteArray errors;
        EXPECT_EQ(commandLine({"-r"}, &errors, {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"}),
                  expected(true, DefaultKinds, 0, false));
        EXPECT_TRUE(errors.contains("0 files, 1 folders")) << errors.toStdString();
    }

    // A folder that cannot be read at all fails the command and says so in the window.
    QProcess p;
    p.start(QStringLiteral(ZOR_ICONS_EXE), {"search", dir.path() + "/missing"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    w->txtFolder->setText(dir.path() + "/missing");
    search(w);
    EXPECT_EQ(w->lblProgress->text(), "フォルダを読めません: " + dir.path() + "/missing");
    EXPECT_EQ(w->foundCount(), 0);
}

TEST_F(SearchTest, StopEndsTheSearchAtOnceAndKeepsWhatWasFound)
{
    // More one-icon files than the window takes in one go: the search waits for the list.
    const QByteArray tiny = fx::readBytes(fx::makeIco(dir.path(), "tiny.ico", {{16, 32, false, 1}}));
    constexpr int files = 24000;
    for (int i = 0; i < files; ++i)
        plant(QStringLiteral("many/%1/%2.ico").arg(i % 100).arg(i).toUtf8(), tiny);
    frmSearch* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->txtFolder->setText(QFile::decodeName(root) + "/many");

    QTest::mouseClick(w->cmdSearch, Qt::LeftButton);
    ASSERT_TRUE(w->running());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));   // no events: nothing is taken
    QTest::mouseClick(w->cmdStop, Qt::LeftButton);
    const int found = w->foundCount();
    EXPECT_GT(found, 0);
    EXPECT_LT(found, files);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("アイコン検索 - [アイコン数：%1]").arg(found));
    EXPECT_TRUE(w->lblProgress->text().startsWith("中止しました")) << w->lblProgress->text().toStdString();

    ASSERT_TRUE(waitFor([w] { return !w->running(); }, 5000));
    EXPECT_EQ(w->foundCount(), found);
    EXPECT_EQ(w->lstResults->model()->rowCount(), found);
    EXPECT_TRUE(w->cmdSearch->isEnabled());
    EXPECT_FALSE(w->cmdStop->isEnabled());
}

TEST_F(SearchTest, AFoundIconOpensInTheMainWindowAndOffersItsCommands)
{
    frmSearch* w = openWindow();
    ASSERT_NE(w, nullptr);
    search(w);
    const QByteArray dll = root + "/sub/deep/deeper/last.scr";
    auto rowOf = [&](const QByteArray& path, int index) { return SearchTest::rowOf(w, path, index); };
    QWidget* surface = w->lstResults->viewport();
    auto centreOf = [&](const QModelIndex& mi) { return SearchTest::centreOf(w, mi); };

    // Double-click or Enter: the file opens through the path box, the icon selected.
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "double-click" : "Enter");
        const int index = 3 - way;
        const QModelIndex mi = rowOf(dll, index);
        ASSERT_TRUE(mi.isValid());
        if (way == 0) {
            QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {}, surface->mapTo(w, centreOf(mi)));
        } else {
            QTest::mouseClick(surface, Qt::LeftButton, {}, centreOf(mi));
            QTest::keyClick(w->lstResults, Qt::Key_Return);
        }
        EXPECT_EQ(form->Text1->currentText(), QFile::decodeName(dll));
        EXPECT_EQ(form->ListView1->itemCount(), 5);
        EXPECT_EQ(form->ListView1->selectedIndex(), index + 1);
        EXPECT_EQ(form->ClickedItem, index + 1);
    }

    // The context menu: the enlarged view over the icons of that file, and its folder.
    QString location;
    tp.dialogs.script = [&](QDialog& d) {
        if (auto* view = qobject_cast<Form2*>(&d))
            location = view->Text1->text();
        return 0;
    };
    auto choose = [&](const QModelIndex& mi, QAction* entry) {
        // Through the window, as the platform delivers it: the press and release make the context menu event.
        QTest::mouseClick(w->windowHandle(), Qt::RightButton, {}, surface->mapTo(w, centreOf(mi)));
        ASSERT_TRUE(w->pop->isVisible());
        QTest::mouseClick(w->pop, Qt::LeftButton, {}, w->pop->actionGeometry(entry).center());
    };
    choose(rowOf(dll, 2), w->MSbig);
    EXPECT_EQ(location, QFile::decodeName(dll) + ",2");
    choose(rowOf(dll, 2), w->MSFolder);
    ASSERT_EQ(tp.shell.shownItems.size(), 1u);
    EXPECT_EQ(tp.shell.shownItems[0], QList<QByteArray>{dll});
    // Copy is the main window's: the icon's group as .ico bytes on the clipboard.
    QGuiApplication::clipboard()->clear();
    choose(rowOf(dll, 2), w->MSCopy);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->data("image/vnd.microsoft.icon"), openFile(QFile::decodeName(dll)).groupAsIco(2));

    // The filter keeps the icons of the files whose names hold what is typed.
    QTest::keyClicks(w->txtFilter, "PROG");
    std::vector<Icon> kept = shown(w);
    std::vector<Icon> want = withoutSizes(expected(true, DefaultKinds, 0, lockedReadable));
    want.erase(std::remove_if(want.begin(), want.end(), [](const Icon& i) { return !i.path.endsWith("/prog.exe"); }),
               want.end());
    EXPECT_EQ(kept, want);
    EXPECT_EQ(w->foundCount(), int(expected(true, DefaultKinds, 0, lockedReadable).size()));
}

} // namespace

// A file whose name is not UTF-8 opens by its bytes whichever way it comes: a found icon
// double-clicked, a recent entry of the File menu, a drop on the list.
TEST_F(SearchTest, ANameThatIsNotUtf8OpensFromTheResultsARecentEntryAndADrop)
{
    frmSearch* w = openWindow();
    ASSERT_NE(w, nullptr);
    search(w);
    const QByteArray sjis = root + "/sub/\x83\x76\x83\x8d.dll";
    const QString other = QFile::decodeName(root + "/two.ico");
    auto expectOpened = [&](int selected) {
        EXPECT_EQ(form->Text1->currentText(), shownName(sjis));
        EXPECT_EQ(form->ListView1->itemCount(), 5);
        EXPECT_EQ(form->ListView1->selectedIndex(), selected);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("QEL Tormelia Viewer - [アイコン数：5]"));
    };

    const QModelIndex mi = rowOf(w, sjis, 3);
    ASSERT_TRUE(mi.isValid());
    QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {}, w->lstResults->viewport()->mapTo(w, centreOf(w, mi)));
    expectOpened(4);
    EXPECT_EQ(StoredPath::fromStoredText(stored("RF0")).bytes(), sjis);

    open(other);
    ASSERT_EQ(form->ListView1->itemCount(), 1);
    form->MFILE->popup(form->mapToGlobal(QPoint(0, 0)));
    QTest::mouseClick(form->MFILE, Qt::LeftButton, {}, form->MFILE->actionGeometry(form->RF[1]).center());
    expectOpened(0);

    open(other);
    QMimeData files;
    files.setUrls({StoredPath(sjis).url()});
    QWidget* surface = form->ListView1->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(surface, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(surface, &dropped);
    expectOpened(0);
}

namespace {

// The labels as the list draws them, by row.
class DrawnLabels : public QProxyStyle {
public:
    DrawnLabels() : QProxyStyle(QApplication::style()->name()) {}
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const override
    {
        if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option); item && element == CE_ItemViewItem)
            labels[item->index.row()] = QString(item->text).remove(QChar::LineSeparator).remove(QChar('\n'));
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    mutable std::map<int, QString> labels;
};

QAction* entryOf(QMenu* menu, const QString& caption)
{
    for (QAction* a : menu->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

// Where a row of the list as shown is, in the view the window shows, once scrolled into view.
QPoint pointOf(frmSearch* w, int row)
{
    QAbstractItemView* v = w->results();
    const QModelIndex mi = v->model()->index(row, v == w->tvwResults ? int(FoundIconModel::Name) : int(FoundIconModel::Label));
    v->scrollTo(mi);
    waitFor([&] { return v->indexAt(v->visualRect(mi).center()) == mi; });
    return v->visualRect(mi).center();
}

} // namespace

TEST_F(SearchTest, DetailsSortByEachColumnShowWholeNamesAndTheIconViewsKeepTheEndsOfLabels)
{
    // Two long names that differ only at the end.
    const QByteArray twin[] = {"sub/deep/application_settings_compatibility_alpha.ico",
                               "sub/deep/application_settings_compatibility_gamma.ico"};
    for (const QByteArray& name : twin) {
        plant(name, planted[0].bytes);
        planted.push_back({name, IconFiles, planted[0].bytes});
    }
    frmSearch* w = openWindow();
    ASSERT_NE(w, nullptr);
    search(w);

    // What the reader says of each icon, as the details show it.
    struct Record {
        QString name, folder;
        int index, largest, images;
    };
    std::vector<Record> records;
    for (const Icon& i : expected(true, DefaultKinds, 0, lockedReadable)) {
        const auto p = std::find_if(planted.begin(), planted.end(), [&](const Planted& p) { return root + "/" + p.path == i.path; });
        ASSERT_NE(p, planted.end());
        const StoredPath path(i.path);
        records.push_back({path.fileName(), path.folder().shown(), i.index, i.largest,
                           int(IconFile::fromData(p->bytes).entries(i.index).size())});
    }
    const int all = int(records.size());
    ASSERT_EQ(w->foundCount(), all);

    QTest::mouseClick(w->cmdDetails, Qt::LeftButton);
    ASSERT_EQ(w->results(), w->tvwResults);
    ASSERT_TRUE(w->tvwResults->isVisible());
    EXPECT_FALSE(w->lstResults->isVisible());
    QTreeView* tree = w->tvwResults;
    QHeaderView* header = tree->header();
    const QAbstractItemModel* shownModel = tree->model();
    auto column = [&](int c) {
        QStringList texts;
        for (int row = 0; row < shownModel->rowCount(); ++row)
            texts << shownModel->index(row, c).data().toString();
        return texts;
    };
    const QStringList foundOrder = column(FoundIconModel::Name);

    struct Sorted {
        int column;
        QString (*text)(const Record&);
        bool (*less)(const Record&, const Record&);
    };
    const Sorted columns[] = {
        {FoundIconModel::Name, [](const Record& r) { return r.name; },
         [](const Record& a, const Record& b) { return a.name.localeAwareCompare(b.name) < 0; }},
        {FoundIconModel::Folder, [](const Record& r) { return r.folder; },
         [](const Record& a, const Record& b) { return a.folder.localeAwareCompare(b.folder) < 0; }},
        {FoundIconModel::Number, [](const Record& r) { return QString::number(r.index); },
         [](const Record& a, const Record& b) { return a.index < b.index; }},
        {FoundIconModel::Largest, [](const Record& r) { return r.largest > 0 ? QStringLiteral("%1 × %1").arg(r.largest) : QString(); },
         [](const Record& a, const Record& b) { return a.largest < b.largest; }},
        {FoundIconModel::Images, [](const Record& r) { return QString::number(r.images); },
         [](const Record& a, const Record& b) { return a.images < b.images; }},
    };
    for (const Sorted& s : columns) {
        SCOPED_TRACE(header->model()->headerData(s.column, Qt::Horizontal).toString().toStdString());
        std::vector<Record> want = records;
        std::stable_sort(want.begin(), want.end(), s.less);
        QStringList ascending;
        for (const Record& r : want)
            ascending << s.text(r);
        QStringList descending = ascending;
        std::reverse(descending.begin(), descending.end());
        // Clicked on its header once, twice, a third time: up, down, and as found.
        tree->scrollTo(shownModel->index(0, s.column));
        const QPoint at(header->sectionViewportPosition(s.column) + header->sectionSize(s.column) / 2, header->height() / 2);
        ASSERT_EQ(header->logicalIndexAt(at), s.column);
        for (const QStringList& want : {ascending, descending}) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
            EXPECT_EQ(column(s.column), want);
        }
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(column(FoundIconModel::Name), foundOrder);
    }
    // Whole names and folders, however long.
    const QFontMetrics fm(tree->font());
    for (int row = 0; row < all; ++row)
        for (int c : {FoundIconModel::Name, FoundIconModel::Folder}) {
            const QModelIndex mi = shownModel->index(row, c);
            const int icon = c == FoundIconModel::Name ? tree->iconSize().width() : 0;
            EXPECT_GE(tree->visualRect(mi).width(), fm.horizontalAdvance(mi.data().toString()) + icon) << mi.data().toString().toStdString();
        }

    // In the icon views a label too long for its cell loses its middle: the ends of the two
    // long names and their numbers stay, so they read apart.
    DrawnLabels drawn;
    w->lstResults->setStyle(&drawn);
    for (QToolButton* view : {w->cmdLarge, w->cmdSmall}) {
        SCOPED_TRACE(view->toolTip().toStdString());
        QTest::mouseClick(view, Qt::LeftButton);
        ASSERT_EQ(w->results(), w->lstResults);
        QStringList seen;
        for (const QByteArray& name : twin) {
            const QModelIndex mi = rowOf(w, root + "/" + name, 0);
            ASSERT_TRUE(mi.isValid());
            w->lstResults->scrollTo(mi);
            drawn.labels.clear();
            w->lstResults->viewport()->grab();
            const QString label = mi.data().toString();
            const QString shown = drawn.labels[mi.row()];
            ASSERT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
            const QStringList ends = shown.split(QChar(0x2026));
            EXPECT_TRUE(label.startsWith(ends.first())) << shown.toStdString();
            EXPECT_TRUE(label.endsWith(ends.last())) << shown.toStdString();
            EXPECT_GE(ends.last().size(), QStringLiteral("mma.ico,0").size()) << shown.toStdString();
            EXPECT_FALSE(seen.contains(shown)) << shown.toStdString();
            seen << shown;
        }
    }
    w->lstResults->setStyle(nullptr);

    // The filter counts what it keeps of what was found, in the title and the progress line.
    w->txtFilter->setFocus();
    QTest::keyClicks(w->txtFilter, "GAMMA");
    EXPECT_EQ(w->windowTitle(), QStringLiteral("アイコン検索 - [アイコン数：1 / %1]").arg(all));
    EXPECT_TRUE(w->lblProgress->text().contains(QStringLiteral("アイコン 1 / %1 個").arg(all))) << w->lblProgress->text().toStdString();
    QTest::keyClick(w->txtFilter, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->txtFilter, Qt::Key_Backspace);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("アイコン検索 - [アイコン数：%1]").arg(all));
    EXPECT_TRUE(w->lblProgress->text().contains(QStringLiteral("アイコン %1 個").arg(all))) << w->lblProgress->text().toStdString();
}

TEST_F(SearchTest, TheContextMenuOpensShowsTheInformationAndTheFilesLocationOrSaysItCannot)
{
    frmSearch* w = openWindow();
    ASSERT_NE(w, nullptr);
    search(w);
    const QByteArray dll = root + "/sub/deep/deeper/last.scr";
    QWidget* surface = w->lstResults->viewport();
    QString info;
    tp.dialogs.script = [&](QDialog& d) {
        if (auto* dialog = qobject_cast<frmIconInfo*>(&d))
            info = dialog->txtPath->text() + "," + dialog->lblIcon->text();
        return 0;
    };
    struct Row {
        const char* caption;
        bool fileManager;
        std::function<void(int index)> check;
    };
    const Row rows[] = {
        {"開く", true, [&](int index) {
             EXPECT_EQ(form->Text1->currentText(), QFile::decodeName(dll));
             EXPECT_EQ(form->ListView1->selectedIndex(), index + 1);
             EXPECT_EQ(form->ClickedItem, index + 1);
         }},
        {"アイコンの情報...", true, [&](int index) {
             EXPECT_TRUE(info.startsWith(QFile::decodeName(dll) + "," + QString::number(index) + "（")) << info.toStdString();
         }},
        {"ファイルの場所を開く", true, [&](int) {
             ASSERT_FALSE(tp.shell.shownItems.empty());
             EXPECT_EQ(tp.shell.shownItems.back(), QList<QByteArray>{dll});
             EXPECT_TRUE(tp.messages.shown.empty());
         }},
        {"ファイルの場所を開く", false, [&](int) {
             ASSERT_EQ(tp.messages.shown.size(), 1u);
             EXPECT_TRUE(tp.messages.shown[0].text.contains(QFile::decodeName(dll))) << tp.messages.shown[0].text.toStdString();
         }},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        index = (index + 1) % 5;
        tp.shell.fileManager = row.fileManager;
        const QModelIndex mi = rowOf(w, dll, index);
        ASSERT_TRUE(mi.isValid());
        QTest::mouseClick(w->windowHandle(), Qt::RightButton, {}, surface->mapTo(w, centreOf(w, mi)));
        ASSERT_TRUE(w->pop->isVisible());
        QAction* entry = entryOf(w->pop, QString::fromUtf8(row.caption));
        ASSERT_NE(entry, nullptr);
        QTest::mouseClick(w->pop, Qt::LeftButton, {}, w->pop->actionGeometry(entry).center());
        row.check(index);
    }
    EXPECT_EQ(entryOf(w->pop, QStringLiteral("フォルダを開く")), nullptr);
}

TEST_F(SearchTest, EscapeStopsARunningSearchAndClosesAnIdleWindow)
{
    // More icons than the window takes in one go: the search waits for the list.
    const QByteArray tiny = fx::readBytes(fx::makeIco(dir.path(), "tiny.ico", {{16, 32, false, 1}}));
    const QByteArray library = fx::neLibrary(std::vector<QByteArray>(500, tiny));
    for (int i = 0; i < 40; ++i)
        plant(QStringLiteral("many/%1.icl").arg(i).toUtf8(), library);
    frmSearch* w = openWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(waitFor([w] { return QApplication::activeWindow() == w; }));
    w->txtFolder->setText(QFile::decodeName(root) + "/many");
    QTest::mouseClick(w->cmdSearch, Qt::LeftButton);
    ASSERT_TRUE(w->running());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));   // no events: nothing is taken
    ASSERT_EQ(QApplication::focusWidget(), w->results());
    press(Qt::Key_Escape);
    EXPECT_TRUE(w->lblProgress->text().startsWith("中止しました")) << w->lblProgress->text().toStdString();
    EXPECT_TRUE(w->isVisible());
    ASSERT_TRUE(waitFor([w] { return !w->running(); }, 5000));

    // Idle, it closes: after the search from the list, and opened anew from the filter box.
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "after a search" : "opened anew");
        if (way == 1) {
            form->activateWindow();
            ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == form.get(); }));
            QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
            w = form->searchWindow();
            ASSERT_NE(w, nullptr);
            ASSERT_TRUE(waitFor([w] { return QApplication::activeWindow() == w; }));
            w->txtFilter->setFocus();
        }
        QWidget* from = way == 0 ? static_cast<QWidget*>(w->results()) : static_cast<QWidget*>(w->txtFilter);
        ASSERT_EQ(QApplication::focusWidget(), from);
        QPointer<frmSearch> window(w);
        press(Qt::Key_Escape);
        EXPECT_TRUE(window.isNull() || !window->isVisible());
    }
}

TEST_F(SearchTest, ShiftCtrlAndCtrlASelectSeveralIconsWhileAPlainClickOrArrowSelectsOne)
{
    frmSearch* w = openWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    search(w);
    const int all = w->foundCount();
    ASSERT_GT(all, 8);
    auto click = [&](int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(w->results()->viewport(), Qt::LeftButton, modifiers, pointOf(w, row));
    };
    struct Row {
        const char* name;
        QToolButton* view;
        std::function<void()> act;   // after a plain click on row 1
        std::set<int> selected;
        int current;
    };
    const auto range = [](int from, int to) {
        std::set<int> rows;
        for (int r = from; r <= to; ++r)
            rows.insert(r);
        return rows;
    };
    const Row rows[] = {
        {"plain click", w->cmdLarge, [] {}, {1}, 1},
        {"Shift+click", w->cmdLarge, [&] { click(4, Qt::ShiftModifier); }, range(1, 4), 4},
        {"Ctrl+click", w->cmdLarge, [&] { click(3, Qt::ControlModifier); click(6, Qt::ControlModifier); }, {1, 3, 6}, 6},
        {"Ctrl+click off", w->cmdSmall, [&] { click(2, Qt::ControlModifier); click(1, Qt::ControlModifier); }, {2}, 1},
        {"Ctrl+A", w->cmdLarge, [&] { press(Qt::Key_A, Qt::ControlModifier); }, range(0, all - 1), 1},
        {"Shift+Down", w->cmdDetails, [&] { press(Qt::Key_Down, Qt::ShiftModifier); press(Qt::Key_Down, Qt::ShiftModifier); }, range(1, 3), 3},
        {"Shift+click in details", w->cmdDetails, [&] { click(5, Qt::ShiftModifier); }, range(1, 5), 5},
        {"Ctrl+A in details", w->cmdDetails, [&] { press(Qt::Key_A, Qt::ControlModifier); }, range(0, all - 1), 1},
        {"Down", w->cmdDetails, [&] { press(Qt::Key_Down); }, {2}, 2},
        {"Shift+click then a plain click", w->cmdLarge, [&] { click(5, Qt::ShiftModifier); click(3); }, {3}, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTest::mouseClick(row.view, Qt::LeftButton);
        click(1);
        ASSERT_EQ(QApplication::focusWidget(), w->results());
        row.act();
        std::vector<frmSearch::Found> want;
        for (int r : row.selected)
            want.push_back(w->foundAt(r));
        int current = -1;
        const std::vector<frmSearch::Found> got = w->selectedFound(&current);
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_TRUE(got[i].path == want[i].path && got[i].index == want[i].index) << i;
        EXPECT_EQ(w->results()->currentIndex().row(), row.current);

        // Enter opens the current icon, whatever else is selected.
        const frmSearch::Found opened = w->foundAt(row.current);
        press(Qt::Key_Return);
        EXPECT_EQ(form->Text1->currentText(), opened.path.shown());
        EXPECT_EQ(form->ClickedItem, opened.index + 1);
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
}

TEST_F(SearchTest, SeveralChosenAreSavedCopiedDraggedAndPutIntoOneLibrary)
{
    frmSearch* w = openWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    search(w);
    // Just searched, Ctrl+A and the Menu key: no icon is current yet (whether the list made the
    // first one current depends on when the focus came), and the menu offers the commands for
    // all of them.
    w->results()->selectionModel()->clearCurrentIndex();
    QTest::keyClick(w->results(), Qt::Key_A, Qt::ControlModifier);
    {
        // What the window system makes of the Menu key: a menu asked for from the keyboard, at a
        // point of the focused list that need not be on an icon.
        QWidget* focus = QApplication::focusWidget();
        ASSERT_EQ(focus, w->results());
        const QPoint at = w->results()->viewport()->rect().bottomRight() - QPoint(4, 4);
        ASSERT_FALSE(w->results()->indexAt(at).isValid());
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
        QApplication::sendEvent(focus, &menuKey);
    }
    ASSERT_TRUE(waitFor([w] { return w->pop->isVisible(); }, 2000));
    EXPECT_TRUE(entryOf(w->pop, QStringLiteral("選択したアイコンをアイコンライブラリに保存..."))->isEnabled());
    EXPECT_EQ(w->selectedFound().size(), size_t(w->foundCount()));
    w->pop->close();

    // Three icons of three files, chosen with Ctrl+clicks, in the order the list shows them.
    const std::vector<std::pair<QByteArray, int>> picks = {{"two.ico", 0}, {"lib.icl", 2}, {"mixed.dll", 4}};
    std::vector<std::pair<int, QString>> chosen;   // row, the name a save gives it
    std::map<QString, QByteArray> want;            // that name's .ico bytes
    for (const auto& [name, index] : picks) {
        const QModelIndex mi = rowOf(w, root + "/" + name, index);
        ASSERT_TRUE(mi.isValid()) << name.toStdString();
        const QString saved = QStringLiteral("%1_%2.ico").arg(QFileInfo(QString::fromUtf8(name)).completeBaseName()).arg(index);
        chosen.push_back({mi.row(), saved});
        want[saved] = IconFile::fromData(fx::readBytes(QFile::decodeName(root + "/" + name))).groupAsIco(index);
    }
    std::sort(chosen.begin(), chosen.end());
    QStringList names;
    for (const auto& c : chosen)
        names << c.second;
    QWidget* surface = w->lstResults->viewport();
    QTest::mouseClick(surface, Qt::LeftButton, {}, centreOf(w, w->lstResults->model()->index(chosen[0].first, 0)));
    for (size_t i = 1; i < chosen.size(); ++i)
        QTest::mouseClick(surface, Qt::LeftButton, Qt::ControlModifier, centreOf(w, w->lstResults->model()->index(chosen[i].first, 0)));
    ASSERT_EQ(w->selectedFound().size(), chosen.size());
    const QString current = chosen.back().second;
    const QString out = dir.path() + "/out";

    const auto listed = [](const QList<QUrl>& urls) {
        QStringList files;
        for (const QUrl& url : urls)
            files << QFileInfo(url.toLocalFile()).fileName();
        return files;
    };
    struct Row {
        const char* caption;
        std::function<void()> answer;
        std::function<void()> check;
    };
    const Row rows[] = {
        {"アイコンを保存...", [&] { QDir().mkpath(out); tp.files.folderAnswers.push_back(out); },
         [&] {
             QStringList sorted = names;
             sorted.sort();
             EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), sorted);
             for (const QString& n : names)
                 EXPECT_EQ(fx::readBytes(out + "/" + n), want[n]) << n.toStdString();
         }},
        {"コピー", [] { QApplication::clipboard()->clear(); },
         [&] {
             const QMimeData* copied = QApplication::clipboard()->mimeData();
             ASSERT_NE(copied, nullptr);
             EXPECT_EQ(listed(copied->urls()), names);
             for (const QUrl& url : copied->urls())
                 EXPECT_EQ(fx::readBytes(url.toLocalFile()), want[QFileInfo(url.toLocalFile()).fileName()]);
             EXPECT_EQ(copied->data("image/vnd.microsoft.icon"), want[current]);
         }},
        {"選択したアイコンをアイコンライブラリに保存...", [&] { tp.files.saveAnswers.push_back(SavedFile{out + "/chosen.icl", 0}); },
         [&] {
             ASSERT_EQ(tp.files.saveRequests.size(), 1u);
             EXPECT_EQ(tp.files.saveRequests.back().folder, out) << "where the last save went";
             const IconFile library = IconFile::fromData(fx::readBytes(out + "/chosen.icl"));
             ASSERT_EQ(library.count(), int(names.size()));
             for (int i = 0; i < library.count(); ++i)
                 EXPECT_EQ(library.groupAsIco(i), want[names[i]]) << i;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        tp.messages.shown.clear();
        row.answer();
        QTest::mouseClick(w->windowHandle(), Qt::RightButton, {}, surface->mapTo(w, centreOf(w, w->lstResults->model()->index(chosen.back().first, 0))));
        ASSERT_TRUE(w->pop->isVisible());
        QAction* entry = entryOf(w->pop, QString::fromUtf8(row.caption));
        ASSERT_NE(entry, nullptr);
        QTest::mouseClick(w->pop, Qt::LeftButton, {}, w->pop->actionGeometry(entry).center());
        row.check();
        EXPECT_EQ(w->selectedFound().size(), chosen.size()) << "the choice stays";
    }
    // A drag from the list carries every one chosen.
    const QModelIndexList selected = w->lstResults->selectionModel()->selectedIndexes();
    std::unique_ptr<QMimeData> dragged(w->lstResults->model()->mimeData(selected));
    ASSERT_NE(dragged, nullptr);
    EXPECT_EQ(listed(dragged->urls()), names);
}
