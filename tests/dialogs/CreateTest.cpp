// Making icons: the create window driven from the File menu, and every icon of a list put
// into one icon library from the save-all dialog.
#include "app/AppFixture.h"
#include "IconFixtures.h"
#include "OpenFile.h"
#include "dialogs/frmCreate.h"
#include "platform/iconsource/IconSource.h"

#include <QDialog>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace zor;
using namespace zor::iconsource;
namespace fx = zor::iconfixtures;

namespace {

const QString Shell32 = QStringLiteral("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll");

// Equal where visible: a clear pixel may carry any colour.
QImage pixels(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32_Premultiplied); }

// What is stored, as the reader sees it: side, bits, PNG or not.
struct Stored {
    int size, bits;
    bool png;
    bool operator==(const Stored&) const = default;
};
std::ostream& operator<<(std::ostream& s, const Stored& e) { return s << e.size << "/" << e.bits << (e.png ? "png" : "bmp"); }

// Root keeps to mode bits, as every other user does, while one of these lives (this thread only).
class ModeBitsHold {
public:
    ModeBitsHold()
    {
        if (geteuid() != 0 || syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_lowered = syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~ModeBitsHold()
    {
        if (m_lowered)
            syscall(SYS_capset, &m_header, m_saved);
    }
    bool holds() const { return geteuid() != 0 || m_lowered; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
};

class CreateTest : public test::AppTest {
protected:
    void SetUp() override { showActive(); }
    // The window, opened with its shortcut from the main window.
    frmCreate* openWindow()
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
        frmCreate* w = form->createWindow();
        if (w)
            EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        return w;
    }
    void add(frmCreate* w, const QString& file)
    {
        tp.files.fileAnswers.push_back(file);
        QTest::mouseClick(w->cmdAdd, Qt::LeftButton);
    }
    void save(frmCreate* w, const QString& file)
    {
        tp.files.saveAnswers.push_back(SavedFile{file, 0});
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
    }
};

TEST_F(CreateTest, MakesTheIcoOfTheChosenSizesAndDepthFromAddedDroppedAndPastedPictures)
{
    const QString big = dir.filePath("big48.png"), small = dir.filePath("small16.bmp");
    const QImage picture48 = fx::drawIcon(48, 32, 1), picture16 = fx::drawIcon(16, 32, 2);
    const QImage picture256 = fx::drawIcon(256, 32, 3);
    ASSERT_TRUE(picture48.save(big));
    // BMP keeps no alpha: what the window gets is the opaque picture.
    ASSERT_TRUE(picture16.save(small));
    const QImage read16(small);

    frmCreate* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "アイコンを作成");
    EXPECT_FALSE(w->cmdSave->isEnabled());
    add(w, big);
    ASSERT_EQ(tp.files.filters.size(), 1u);
    EXPECT_TRUE(tp.files.filters[0].contains("*.svg"));
    // A file dropped on the list, and a picture pasted with the keys.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(small)});
    const QPoint at = w->lstImages->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(w->lstImages->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(w->lstImages->viewport(), &drop);
    QApplication::clipboard()->setImage(picture256);
    w->lstImages->setFocus();
    QTest::keyClick(w->lstImages, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(w->lstImages->count(), 3);
    EXPECT_TRUE(tp.messages.shown.empty());

    struct Row {
        const char* what;
        std::vector<QWidget*> click;   // of the state the row before left
        std::vector<Stored> stored;    // in the file's order
    };
    const Row rows[] = {
        {"the defaults", {}, {{256, 32, true}, {48, 32, false}, {32, 32, false}, {24, 32, false}, {16, 32, false}}},
        {"20 for 24, all PNG", {w->chkSize[20], w->chkSize[24], w->chkPng},
         {{256, 32, true}, {48, 32, true}, {32, 32, true}, {20, 32, true}, {16, 32, true}}},
        {"8-bit", {w->opt8}, {{48, 8, false}, {32, 8, false}, {20, 8, false}, {16, 8, false}, {256, 32, true}}},
        {"4-bit, 128 for 256", {w->opt4, w->chkSize[128], w->chkSize[256]},
         {{128, 4, false}, {48, 4, false}, {32, 4, false}, {20, 4, false}, {16, 4, false}}},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (QWidget* b : row.click)
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
        const QString out = dir.filePath(QStringLiteral("made%1.ico").arg(n++));
        save(w, out);
        EXPECT_TRUE(tp.messages.shown.empty());
        EXPECT_EQ(tp.files.saveRequests.back().name, "big48.ico");
        EXPECT_EQ(tp.files.saveRequests.back().folder, dir.path());
        const IconFile made = openFile(out);
        const std::vector<GroupEntry> entries = made.entries(0);
        std::vector<Stored> got;
        for (const GroupEntry& e : entries)
            got.push_back({entrySize(e).width(), e.bitCount, isPngEntry(e)});
        EXPECT_EQ(got, row.stored);
        // What the previews show is what was stored.
        ASSERT_EQ(w->prepared().size(), entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            EXPECT_EQ(pixels(decodeEntry(entries[i])), pixels(w->prepared()[i].image)) << i;
        // A picture of exactly a size is stored as it is.
        if (!w->opt32->isChecked())
            continue;
        for (size_t i = 0; i < entries.size(); ++i) {
            const int side = entrySize(entries[i]).width();
            const QImage want = side == 16 ? read16 : side == 48 ? picture48 : side == 256 ? picture256 : QImage();
            if (!want.isNull())
                EXPECT_EQ(pixels(decodeEntry(entries[i])), pixels(want)) << side;
        }
    }
    EXPECT_FALSE(w->chkPng->isEnabled()) << "a palette is no PNG";
}

TEST_F(CreateTest, RefusesPicturesItCannotUseAndWritesNothingWhereItCannot)
{
    // A BMP of 0 x 0 pixels, an SVG cut short, a file of words, and a folder.
    QByteArray zero(54, '\0');
    zero[0] = 'B';
    zero[1] = 'M';
    qToLittleEndian<quint32>(54, zero.data() + 2);
    qToLittleEndian<quint32>(54, zero.data() + 10);
    qToLittleEndian<quint32>(40, zero.data() + 14);
    qToLittleEndian<quint16>(1, zero.data() + 26);
    qToLittleEndian<quint16>(32, zero.data() + 28);
    const QString good = dir.filePath("good.png");
    ASSERT_TRUE(fx::drawIcon(32, 32, 4).save(good));
    struct Row {
        QString file;
        QByteArray bytes;
    };
    const Row rows[] = {
        {dir.filePath("zero.bmp"), zero},
        {dir.filePath("broken.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\"><rect width="},
        {dir.filePath("words.png"), "not a picture\n"},
        {dir.filePath("missing.png"), {}},
        {dir.path(), {}},
    };
    frmCreate* w = openWindow();
    ASSERT_NE(w, nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file.toStdString());
        if (!row.bytes.isEmpty())
            ASSERT_TRUE(fx::writeBytes(row.file, row.bytes));
        tp.messages.shown.clear();
        add(w, row.file);
        ASSERT_EQ(tp.messages.shown.size(), 1u);
        EXPECT_TRUE(tp.messages.shown[0].text.startsWith("画像として使えません。\n\n" + row.file + "\n\n"))
            << tp.messages.shown[0].text.toStdString();
        EXPECT_EQ(w->lstImages->count(), 0);
        EXPECT_FALSE(w->cmdSave->isEnabled());
    }

    // A folder that cannot be written, a folder that is not there: a message naming the file,
    // and nothing left behind.
    add(w, good);
    ASSERT_EQ(w->lstImages->count(), 1);
    const QString locked = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    ModeBitsHold hold;
    ASSERT_TRUE(hold.holds());
    for (const QString& target : {locked + "/x.ico", dir.filePath("none/x.ico")}) {
        tp.messages.shown.clear();
        save(w, target);
        ASSERT_EQ(tp.messages.shown.size(), 1u);
        EXPECT_TRUE(tp.messages.shown[0].text.startsWith("ファイルを保存できませんでした。\n\n" + target + "\n\n"))
            << tp.messages.shown[0].text.toStdString();
        EXPECT_EQ(tp.messages.shown[0].icon, MsgIcon::Critical);
    }
    EXPECT_TRUE(QDir(locked).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("none")));
}

TEST_F(CreateTest, SaveAllPutsEveryListedIconIntoOneLibrary)
{
    QTemporaryDir sources;
    fx::makeIco(sources.path(), "mixed.ico", {{16, 4, false, 1}, {32, 32, false, 2}, {256, 32, true, 4}});
    fx::makeIco(sources.path(), "two.ico", {{32, 24, false, 5}, {16, 32, true, 6}});
    const QString dll = fx::makePe(sources.path(), "named.dll", "MYICON ICON \"mixed.ico\"\n7 ICON \"two.ico\"\n", false,
                                   fx::PeKind::Dll);
    const QString folder = sources.filePath("folder");
    QDir().mkpath(folder);
    QFile::copy(sources.filePath("two.ico"), folder + "/a.ico");
    QFile::copy(fx::makeLibrary(sources.path(), 3, true), folder + "/b.icl");
    struct Row {
        QString source;
        QString name;             // proposed
        QStringList groupFiles;   // where each icon comes from, and its group
        std::vector<int> groups;
    };
    std::vector<Row> rows = {{dll, "named.icl", {dll, dll}, {0, 1}},
                             {folder, "folder.icl", {folder + "/a.ico", folder + "/b.icl"}, {0, 0}}};
    if (QFile::exists(Shell32)) {
        const int count = openFile(Shell32).count();
        Row shell{Shell32, "shell32.icl", {}, {}};
        for (int i = 0; i < count; ++i) {
            shell.groupFiles << Shell32;
            shell.groups.push_back(i);
        }
        rows.push_back(shell);
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source.toStdString());
        open(row.source);
        const QString out = dir.filePath(row.name);
        tp.dialogs.script = [&](QDialog& d) {
            EXPECT_EQ(d.objectName(), "frmSaveAll");
            auto* icl = d.findChild<QRadioButton*>("optIcl");
            EXPECT_EQ(icl->text(), "アイコンライブラリ (.icl) 1 つにまとめる");
            d.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
            QTest::mouseClick(icl, Qt::LeftButton, {}, QPoint(6, icl->height() / 2));
            EXPECT_TRUE(icl->isChecked());
            return QDialog::Accepted;
        };
        tp.files.saveAnswers.push_back(SavedFile{out, 0});
        tp.messages.shown.clear();
        showActive();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_EQ(tp.dialogs.opened.back(), "frmSaveAll");
        EXPECT_EQ(tp.files.saveRequests.back().name, row.name);
        ASSERT_EQ(tp.messages.shown.size(), 1u);
        EXPECT_EQ(tp.messages.shown[0].icon, MsgIcon::Information) << tp.messages.shown[0].text.toStdString();
        // Every icon, in the list's order, byte for byte, as zor and wrestool read the library.
        const IconFile library = openFile(out);
        ASSERT_EQ(library.count(), int(row.groups.size()));
        for (int i = 0; i < library.count(); ++i)
            EXPECT_EQ(library.groupAsIco(i), openFile(row.groupFiles[i]).groupAsIco(row.groups[size_t(i)])) << i;
        EXPECT_EQ(fx::wrestoolGroups(out).size(), row.groups.size());
    }
}

} // namespace
