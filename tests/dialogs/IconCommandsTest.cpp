// Getting icons out of the main window: save, save all, copy, drag out and the information
// window, driven with the keys, the File menu and the list's context menu.
#include "app/AppFixture.h"
#include "IconFixtures.h"
#include "OpenFile.h"
#include "dialogs/frmIconInfo.h"
#include "platform/iconsource/IconSource.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QPainter>
#include <QProgressDialog>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <unistd.h>
#include <sys/resource.h>

using namespace zor;
using namespace zor::iconsource;
namespace fx = zor::iconfixtures;

namespace {

const QString Shell32 = QStringLiteral("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll");

enum class Way { Keys, Menu, Pop };

struct Command {
    QAction* Form1::*entry;
    QAction* Form1::*popEntry;
    QKeySequence keys;
};
const Command Save{&Form1::MFSaveIcon, &Form1::MPSaveIcon, QKeySequence(QStringLiteral("Ctrl+E"))};
const Command SaveAll{&Form1::MFSaveAll, &Form1::MPSaveAll, QKeySequence(QStringLiteral("Ctrl+Shift+E"))};
const Command Copy{&Form1::MFCopy, &Form1::MPCopy, QKeySequence(QStringLiteral("Ctrl+C"))};
const Command Info{&Form1::MFInfo, &Form1::MPInfo, QKeySequence(QStringLiteral("Alt+Return"))};

// The sources, made once: an icon file of BMP and PNG images, a program with a named and a
// numbered group in Japanese, an NE library, and a folder of an icon file and a library.
struct Sources {
    QTemporaryDir dir;
    QString ico, dll, icl, folder;
    Sources()
    {
        ico = fx::makeIco(dir.path(), "mixed.ico", {{16, 4, false, 1}, {32, 32, false, 2}, {48, 8, false, 3}, {256, 32, true, 4}});
        fx::makeIco(dir.path(), "two.ico", {{32, 24, false, 5}, {16, 32, true, 6}});
        dll = fx::makePe(dir.path(), "named.dll", "LANGUAGE 0x11, 0x01\nMYICON ICON \"mixed.ico\"\n7 ICON \"two.ico\"\n", false, fx::PeKind::Dll);
        icl = fx::makeLibrary(dir.path(), 3, true);
        folder = dir.path() + "/folder";
        QDir().mkpath(folder);
        QFile::copy(dir.path() + "/two.ico", folder + "/a.ico");
        QFile::copy(icl, folder + "/b.icl");
    }
};

Sources& sources()
{
    static Sources s;
    return s;
}

QImage pixels(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); }

// The group as an independent tool sees it.
QString reference(const QString& path, int group, const QString& out)
{
    if (path.endsWith(".ico"))
        return path;
    QString name = fx::wrestoolGroups(path).value(group);
    name.remove('\'');
    fx::writeBytes(out, fx::runTool("wrestool", {"-x", "--type=group_icon", "--name=" + name, path}));
    return out;
}

void expectSameEntries(const std::vector<GroupEntry>& got, const std::vector<GroupEntry>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].width, want[i].width) << i;
        EXPECT_EQ(got[i].height, want[i].height) << i;
        EXPECT_EQ(got[i].bitCount, want[i].bitCount) << i;
        EXPECT_EQ(got[i].colorCount, want[i].colorCount) << i;
        EXPECT_TRUE(got[i].data == want[i].data) << "image " << i << " differs";
    }
}

class ExportTest : public test::AppTest {
protected:
    void SetUp() override
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        out = dir.path() + "/out";
        QDir().mkpath(out);
        lastSavedInto(out);
    }
    void lastSavedInto(const QString& folder) { tp.settings.values.insert(QStringLiteral("QEL/zor/SaveFolder"), folder); }
    QWidget* surface() const { return form->ListView1->viewport(); }
    QPoint itemAt(int i) const
    {
        const QModelIndex index = form->ListView1->model()->index(i - 1, 0);
        form->ListView1->scrollTo(index);
        return form->ListView1->visualRect(index).center();
    }
    void select(int i) { QTest::mouseClick(surface(), Qt::LeftButton, {}, itemAt(i)); }
    void click(QMenu* menu, QAction* entry)
    {
        ASSERT_TRUE(menu->isVisible());
        ASSERT_TRUE(entry->isEnabled());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    }
    // The command on item i (0: none is chosen), as the user gives it.
    void run(Way way, const Command& command, int i)
    {
        // A dialog shown before may have taken the activation with it.
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        if (way == Way::Pop) {
            QTest::mouseClick(surface(), Qt::RightButton, {}, itemAt(i));
            click(form->pop, form.get()->*command.popEntry);
            return;
        }
        if (i > 0)
            select(i);
        if (way == Way::Keys) {
            QTest::keySequence(QApplication::focusWidget(), command.keys);
        } else {
            QTest::mouseClick(form->menuBar(), Qt::LeftButton, {}, form->menuBar()->actionGeometry(form->MFILE->menuAction()).center());
            click(form->MFILE, form.get()->*command.entry);
        }
    }
    QStringList files(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString out;
};

TEST_F(ExportTest, SavesTheGroupAsStoredAndEachSizeAsPng)
{
    const Sources& s = sources();
    struct Row {
        const char* what;
        QString source;   // what is opened
        int item;
        QString file;     // the file behind the item, and its group
        int group;
        QString name;     // proposed
        Way way;
        bool small;
    };
    std::vector<Row> rows = {
        {"icon file", s.ico, 1, s.ico, 0, "mixed_0.ico", Way::Keys, false},
        {"named group", s.dll, 1, s.dll, 0, "named_0.ico", Way::Pop, true},
        {"numbered group", s.dll, 2, s.dll, 1, "named_1.ico", Way::Menu, false},
        {"NE library", s.icl, 3, s.icl, 2, "lib3_2.ico", Way::Keys, true},
        {"folder", s.folder, 2, s.folder + "/b.icl", 0, "b.ico", Way::Menu, true},
    };
    if (QFile::exists(Shell32))
        rows.push_back({"wine's shell32", Shell32, 1, Shell32, 0, "shell32_0.ico", Way::Pop, false});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        open(row.source);
        QTest::keyClick(form.get(), row.small ? Qt::Key_S : Qt::Key_L, Qt::ControlModifier);
        const IconFile source = openFile(row.file);
        const QString ico = out + "/" + row.what + ".ico";
        tp.files.saveAnswers.push_back(SavedFile{ico, 0});
        run(row.way, Save, row.item);
        ASSERT_FALSE(tp.files.saveRequests.empty());
        const SaveFileRequest request = tp.files.saveRequests.back();
        EXPECT_EQ(request.folder, out);
        EXPECT_EQ(request.name, row.name);
        EXPECT_EQ(request.filter, "アイコン|*.ico|PNG 画像|*.png");
        expectSameEntries(openFile(ico).entries(0), source.entries(row.group));
        EXPECT_EQ(fx::runTool("icotool", {"-l", ico}),
                  fx::runTool("icotool", {"-l", reference(row.file, row.group, out + "/reference.ico")}));

        // Every size the group holds, the largest offered first; 32 and 16 as zor-icons makes them.
        const QString cli = out + "/cli";
        fx::runTool(ZOR_ICONS_EXE, {"export", row.file, cli});
        std::vector<QSize> sizes;
        for (const GroupEntry& e : source.entries(row.group))
            if (std::find(sizes.begin(), sizes.end(), QSize(e.width, e.height)) == sizes.end())
                sizes.push_back({e.width, e.height});
        for (QSize size : sizes) {
            QVariant offered;
            tp.dialogs.script = [&](QDialog& d) {
                auto* box = d.findChild<QComboBox*>("cboSize");
                offered = box->currentData();
                box->setCurrentIndex(box->findData(size));
                return QDialog::Accepted;
            };
            const QString png = out + QStringLiteral("/%1-%2.png").arg(row.what).arg(size.width());
            tp.files.saveAnswers.push_back(SavedFile{png, 1});
            run(row.way, Save, row.item);
            EXPECT_EQ(offered.toSize().width(), std::max_element(sizes.begin(), sizes.end(), [](QSize a, QSize b) {
                          return a.width() < b.width(); })->width());
            const QImage want = size.width() == 32 || size.width() == 16
                ? QImage(QStringLiteral("%1/%2-%3.png").arg(cli).arg(row.group).arg(size.width()))
                : source.image(row.group, size);
            EXPECT_EQ(pixels(QImage(png)), pixels(want)) << size.width();
        }
        EXPECT_TRUE(tp.messages.shown.empty());
    }
}

TEST_F(ExportTest, CopyAndDragCarryThePictureAndTheIcoFile)
{
    const Sources& s = sources();
    struct Row {
        QString source;
        int item;
        QString file;
        int group;
        QString dragName;
        Way way;
    };
    for (const Row& row : {Row{s.dll, 1, s.dll, 0, "named_0.ico", Way::Keys}, Row{s.folder, 1, s.folder + "/a.ico", 0, "a.ico", Way::Pop},
                           Row{s.ico, 1, s.ico, 0, "mixed_0.ico", Way::Menu}}) {
        SCOPED_TRACE(row.dragName.toStdString());
        open(row.source);
        const IconFile source = openFile(row.file);
        const QByteArray ico = source.groupAsIco(row.group);
        QImage largest;
        for (const GroupEntry& e : source.entries(row.group))
            if (largest.isNull() || e.width > largest.width())
                largest = source.image(row.group, {e.width, e.height});

        QApplication::clipboard()->clear();
        run(row.way, Copy, row.item);
        const QMimeData* copied = QApplication::clipboard()->mimeData();
        ASSERT_NE(copied, nullptr);
        EXPECT_EQ(copied->data("image/vnd.microsoft.icon"), ico);
        EXPECT_EQ(pixels(QImage::fromData(copied->data("image/png"), "PNG")), pixels(largest));
        EXPECT_TRUE(QApplication::clipboard()->image().hasAlphaChannel());

        // No real drag runs offscreen: the drag's exec is replaced, and drops the item on its own list.
        const QString before = form->Text1->currentText();
        QString dragged;
        QByteArray png;
        form->ListView1->runDrag = [&](QDrag& drag) {
            const QMimeData* data = drag.mimeData();
            dragged = data->urls().value(0).toLocalFile();
            png = data->data("image/png");
            const QPoint at = itemAt(1);
            QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(surface(), &enter);
            QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(surface(), &drop);
            EXPECT_FALSE(enter.isAccepted());
            return Qt::CopyAction;
        };
        const QPoint at = itemAt(row.item);
        QTest::mousePress(surface(), Qt::LeftButton, {}, at);
        QTest::mouseMove(surface(), at + QPoint(3, 0));
        QTest::mouseMove(surface(), at + QPoint(40, 10));
        QTest::mouseRelease(surface(), Qt::LeftButton, {}, at + QPoint(40, 10));
        form->ListView1->runDrag = nullptr;
        ASSERT_FALSE(dragged.isEmpty());
        EXPECT_EQ(QFileInfo(dragged).fileName(), row.dragName);
        expectSameEntries(openFile(dragged).entries(0), source.entries(row.group));
        EXPECT_EQ(pixels(QImage::fromData(png, "PNG")), pixels(largest));
        EXPECT_EQ(form->Text1->currentText(), before) << "dropped on its own list";
        EXPECT_TRUE(tp.messages.shown.empty());
        EXPECT_TRUE(tp.starter.calls.empty());
    }

    // Files dropped from outside still open, the first here and the others in further instances.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(s.icl), QUrl::fromLocalFile(s.ico)});
    QDropEvent drop(itemAt(1), Qt::CopyAction, &files, Qt::LeftButton, {});
    QDragEnterEvent enter(itemAt(1), Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(surface(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QApplication::sendEvent(surface(), &drop);
    EXPECT_EQ(form->Text1->currentText(), s.icl);
    EXPECT_EQ(form->ListView1->itemCount(), 3);
    ASSERT_EQ(tp.starter.calls.size(), 1u);
    EXPECT_EQ(tp.starter.calls[0].arguments, QStringList{s.ico});
}

TEST_F(ExportTest, InformationShowsEveryImageAndSavesTheOneChosen)
{
    const Sources& s = sources();
    struct Row {
        QString source;
        int item;
        QString file;
        int group;
        QString resource;   // empty: not a program
        QString language;
        Way way;
    };
    std::vector<Row> rows = {{s.dll, 1, s.dll, 0, "MYICON", "0x0411", Way::Keys},
                             {s.dll, 2, s.dll, 1, "#7", "0x0411", Way::Menu},
                             {s.icl, 2, s.icl, 1, "#2", "", Way::Pop},
                             {s.folder, 1, s.folder + "/a.ico", 0, "", "", Way::Pop}};
    if (QFile::exists(Shell32))
        rows.push_back({Shell32, 1, Shell32, 0, "IDI_SHELL_OPTIONS", "ニュートラル (0x0000)", Way::Keys});
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);

    for (const Row& row : rows) {
        SCOPED_TRACE(row.resource.toStdString() + " " + row.file.toStdString());
        open(row.source);
        const IconFile source = openFile(row.file);
        const auto entries = source.entries(row.group);
        const QString png = out + "/chosen.png";
        QFile::remove(png);
        tp.files.saveAnswers.push_back(SavedFile{png, 0});
        int largest = -1;
        tp.dialogs.script = [&](QDialog& d) {
            auto& info = static_cast<frmIconInfo&>(d);
            EXPECT_EQ(d.objectName(), "frmIconInfo");
            EXPECT_EQ(d.windowTitle(), "アイコンの情報");
            EXPECT_EQ(info.txtPath->text(), row.file);
            EXPECT_EQ(info.lblResource ? info.lblResource->text() : QString(), row.resource);
            EXPECT_EQ(info.lblLanguage ? info.lblLanguage->text() : QString(), row.language);
            EXPECT_EQ(info.Images->count(), int(entries.size()));
            for (int i = 0; i < info.Images->count() && i < int(entries.size()); ++i) {
                const QImage image = decodeEntry(entries[size_t(i)]);
                const bool isPng = entries[size_t(i)].data.startsWith("\x89PNG");
                const QString text = QStringLiteral("%1 × %2\n%3 ビット・%4\n%5 バイト")
                                         .arg(image.width()).arg(image.height()).arg(entries[size_t(i)].bitCount)
                                         .arg(isPng ? "PNG" : "BMP", japanese.toString(qlonglong(entries[size_t(i)].data.size())));
                EXPECT_EQ(info.Images->item(i)->text(), text);
                // At its own size, 256 px included.
                EXPECT_EQ(info.Images->item(i)->data(Qt::DecorationRole).value<QPixmap>().size(), image.size());
            }
            largest = info.Images->currentRow();
            d.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
            QTest::mouseClick(info.cmdSave, Qt::LeftButton);
            return QDialog::Accepted;
        };
        run(row.way, Info, row.item);
        ASSERT_EQ(tp.dialogs.opened.back(), "frmIconInfo");
        ASSERT_GE(largest, 0);
        for (const GroupEntry& e : entries)
            EXPECT_LE(e.width, entries[size_t(largest)].width) << "the largest image is chosen first";
        EXPECT_EQ(pixels(QImage(png)), pixels(decodeEntry(entries[size_t(largest)])));
        const GroupEntry& chosen = entries[size_t(largest)];
        EXPECT_TRUE(tp.files.saveRequests.back().name.endsWith(
            QStringLiteral("-%1x%2-%3bit.png").arg(chosen.width).arg(chosen.height).arg(chosen.bitCount)));
    }
    EXPECT_TRUE(tp.messages.shown.empty());
}

TEST_F(ExportTest, SaveAllAsksOnceAboutExistingFilesAndFollowsTheAnswer)
{
    const Sources& s = sources();
    const QString library = fx::makeLibrary(dir.path(), 6, false);
    const QString cli = dir.path() + "/cli";
    fx::runTool(ZOR_ICONS_EXE, {"export", library, cli});
    struct Row {
        QString source;
        bool png;
        QStringList existing;   // made before, holding "old"
        int answer;             // 0 すべて上書き, 1 スキップ, 2 キャンセル
        QStringList written;    // what the export writes
        Way way;
        int size = 32;          // 0: 最大
        QString link;           // the first existing is a link to this file beside the folder
    };
    const QStringList icos = {"lib6_0.ico", "lib6_1.ico", "lib6_2.ico", "lib6_3.ico", "lib6_4.ico", "lib6_5.ico"};
    const std::vector<Row> rows = {
        {library, false, {"lib6_2.ico", "lib6_4.ico"}, 0, icos, Way::Keys},
        {library, false, {"lib6_2.ico", "lib6_4.ico"}, 1, {"lib6_0.ico", "lib6_1.ico", "lib6_3.ico", "lib6_5.ico"}, Way::Menu},
        {library, false, {"lib6_2.ico", "lib6_4.ico"}, 2, {}, Way::Pop},
        {s.folder, true, {"a-32.png"}, 1, {"b-32.png"}, Way::Keys},
        {s.folder, true, {"a-32.png"}, 0, {"a-32.png", "b-32.png"}, Way::Pop},
        {library, true, {}, -1, {"lib6_0-32.png", "lib6_1-32.png", "lib6_2-32.png", "lib6_3-32.png", "lib6_4-32.png", "lib6_5-32.png"}, Way::Menu},
        // Each group's largest, named after its own size.
        {library, true, {"lib6_1-256.png"}, 0, {"lib6_0-256.png", "lib6_1-256.png", "lib6_2-256.png", "lib6_3-256.png", "lib6_4-256.png", "lib6_5-256.png"}, Way::Keys, 0},
        {s.folder, true, {}, -1, {"a-32.png", "b-256.png"}, Way::Pop, 0},
        {library, false, {"lib6_3.ico"}, 0, icos, Way::Pop, 32, "linked.txt"},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(n);
        const QString target = QStringLiteral("%1/all%2").arg(dir.path()).arg(n++);
        QDir().mkpath(target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QString& name : row.existing)
            fx::writeBytes(target + "/" + name, "old");
        QString linked;
        if (!row.link.isEmpty()) {
            fx::writeBytes(dir.path() + "/" + row.link, "old");
            linked = QFileInfo(dir.path() + "/" + row.link).canonicalFilePath();
            QFile::remove(target + "/" + row.existing[0]);
            ASSERT_TRUE(QFile::link(dir.path() + "/" + row.link, target + "/" + row.existing[0]));
        }
        open(row.source);
        lastSavedInto(out);
        tp.messages.shown.clear();
        tp.messages.asked.clear();
        tp.messages.answers = {row.answer};
        // A progress dialog that exists shows itself after a while, over the question.
        tp.messages.onAsk = [&](const Message&) { EXPECT_TRUE(form->findChildren<QProgressDialog*>().isEmpty()); };
        tp.dialogs.script = [&](QDialog& d) {
            EXPECT_EQ(d.objectName(), "frmSaveAll");
            auto* folder = d.findChild<QLineEdit*>("txtFolder");
            // A folder of the source's name where the last save went.
            EXPECT_EQ(folder->text(), out + (row.source == library ? "/lib6" : "/folder"));
            folder->setText(target);
            d.findChild<QRadioButton*>(row.png ? "optPng" : "optIco")->setChecked(true);
            auto* size = d.findChild<QComboBox*>("cboSize");
            EXPECT_EQ(size->currentData().toInt(), 32);
            EXPECT_EQ(size->itemText(size->count() - 1), "最大");
            size->setCurrentIndex(size->findData(row.size));
            return QDialog::Accepted;
        };
        run(row.way, SaveAll, 0);
        ASSERT_EQ(tp.dialogs.opened.back(), "frmSaveAll");

        EXPECT_EQ(tp.messages.asked.size(), row.existing.isEmpty() ? 0u : 1u) << "one question, whatever the number";
        if (!tp.messages.asked.empty()) {
            EXPECT_EQ(tp.messages.asked[0].buttons, (QStringList{"すべて上書き", "スキップ", "キャンセル"}));
            QString text = QStringLiteral("「%1/%2」はすでにあります。\n\n保存先にすでにあるファイルをどうしますか？").arg(target, row.existing[0]);
            if (!linked.isEmpty())
                text += QStringLiteral("\n\nこのファイルは「%1」へのリンクです。").arg(linked);
            EXPECT_EQ(tp.messages.asked[0].message.text, text) << "a link is named with what it leads to";
        }
        if (!linked.isEmpty()) {
            EXPECT_TRUE(QFileInfo(target + "/" + row.existing[0]).isSymLink()) << "the link stays";
            EXPECT_EQ(fx::readBytes(linked), openFile(library).groupAsIco(3)) << "my own link in my own folder is written through";
        }
        for (const QString& name : row.written) {
            if (!row.png) {
                EXPECT_EQ(fx::readBytes(target + "/" + name), openFile(library).groupAsIco(name.section('.', 0, 0).section('_', 1).toInt())) << name.toStdString();
                continue;
            }
            const QString stem = name.section('-', 0, 0);
            const int px = name.section('-', 1).section('.', 0, 0).toInt();
            const QString made = row.source == library && px == 32 ? QStringLiteral("%1/%2-32.png").arg(cli, stem.section('_', 1)) : QString();
            const QImage want = !made.isEmpty() ? QImage(made)
                : row.source == library          ? openFile(library).image(stem.section('_', 1).toInt(), {px, px})
                                                 : openFile(s.folder + "/" + (stem == "a" ? "a.ico" : "b.icl")).image(0, {px, px});
            EXPECT_EQ(pixels(QImage(target + "/" + name)), pixels(want)) << name.toStdString();
        }
        QStringList all = row.written + row.existing;
        all.removeDuplicates();
        all.sort();
        EXPECT_EQ(files(target), all) << "no other files, no temporary ones";
        for (const QString& name : row.existing) {
            if (!row.written.contains(name)) {
                EXPECT_EQ(fx::readBytes(target + "/" + name), "old");
            }
        }
        if (row.answer == 2) {
            EXPECT_TRUE(tp.messages.shown.empty());
            continue;
        }
        ASSERT_EQ(tp.messages.shown.size(), 1u);
        EXPECT_EQ(tp.messages.shown[0].icon, MsgIcon::Information);
        QString text = QStringLiteral("%1 個のファイルを保存しました。\n\n保存先: %2").arg(row.written.size()).arg(target);
        if (row.answer == 1)
            text += QStringLiteral("\n\nすでにあった %1 個のファイルはそのままにしました。").arg(row.existing.size());
        EXPECT_EQ(tp.messages.shown[0].text, text);
    }
}

TEST_F(ExportTest, TargetsThatCannotBeWrittenAreNamedAndLeaveNothing)
{
    const Sources& s = sources();
    fx::writeBytes(out + "/plain", "a file");
    QDir().mkpath(out + "/taken.png");
    QDir().mkpath(out + "/all/lib3_1.ico");
    struct Row {
        const char* what;
        std::function<void()> give;   // the answers
        Command command;
        QString named;                // the file the message names
        qint64 sizeLimit;             // RLIMIT_FSIZE while it runs; 0 none
    };
    const std::vector<Row> rows = {
        {"a file where a folder is needed", [&] { tp.files.saveAnswers.push_back(SavedFile{out + "/plain/x.ico", 0}); },
         Save, out + "/plain/x.ico", 0},
        {"a name that is a folder", [&] {
             tp.files.saveAnswers.push_back(SavedFile{out + "/taken.png", 1});
             tp.dialogs.script = [](QDialog&) { return QDialog::Accepted; };
         }, Save, out + "/taken.png", 0},
        {"a full disk", [&] { tp.files.saveAnswers.push_back(SavedFile{out + "/full.ico", 0}); }, Save, out + "/full.ico", 2000},
        {"save all over a folder", [&] {
             tp.messages.answers = {0};
             tp.dialogs.script = [&](QDialog& d) {
                 d.findChild<QLineEdit*>("txtFolder")->setText(out + "/all");
                 return QDialog::Accepted;
             };
         }, SaveAll, out + "/all/lib3_1.ico", 0},
        {"save all into a file", [&] {
             tp.dialogs.script = [&](QDialog& d) {
                 d.findChild<QLineEdit*>("txtFolder")->setText(out + "/plain/inside");
                 return QDialog::Accepted;
             };
         }, SaveAll, out + "/plain/inside", 0},
    };
    open(s.icl);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QStringList before = files(out);
        tp.messages.shown.clear();
        row.give();
        rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        if (row.sizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = rlim_t(row.sizeLimit);
            setrlimit(RLIMIT_FSIZE, &small);
        }
        run(Way::Keys, row.command, 1);
        setrlimit(RLIMIT_FSIZE, &old);
        ASSERT_EQ(tp.messages.shown.size(), 1u);
        EXPECT_EQ(tp.messages.shown[0].icon, MsgIcon::Critical);
        EXPECT_TRUE(tp.messages.shown[0].text.startsWith("ファイルを保存できませんでした。\n\n" + row.named + "\n\n"))
            << tp.messages.shown[0].text.toStdString();
        EXPECT_EQ(files(out), before) << "nothing left behind";
    }
    // Save all stopped at the folder in its way: the one before it is there, none after it.
    EXPECT_EQ(files(out + "/all"), (QStringList{"lib3_0.ico", "lib3_1.ico"}));
    EXPECT_TRUE(QFileInfo(out + "/all/lib3_1.ico").isDir());
}

TEST_F(ExportTest, SaveAllOfASmallFileWhoseGroupsRepeatOneLargeGroupStopsAtItsLimit)
{
    // 400 groups naming one record of 256 images: 5 KB that would make 440 MB of icons.
    const QByteArray ico = fx::readBytes(fx::makeIco(dir.path(), "one32.ico", {{32, 32, false, 5}}));
    fx::HandMadeResources r;
    r.icons = {fx::icoImageData(ico).front()};
    r.records = {fx::iconGroup(ico, std::vector<int>(256, 1))};
    r.groups.assign(400, 0);
    const QString source = dir.path() + "/repeats.dll";
    ASSERT_TRUE(fx::writeBytes(source, fx::handMadePe(r)));
    open(source);
    const qint64 each = openFile(source).groupAsIco(0).size();
    const auto saveAll = [&](bool library) {
        tp.dialogs.script = [&, library](QDialog& d) {
            d.findChild<QLineEdit*>("txtFolder")->setText(out + "/repeats");
            if (library)
                d.findChild<QRadioButton*>("optIcl")->setChecked(true);
            return QDialog::Accepted;
        };
        run(Way::Keys, SaveAll, 0);
    };
    struct Row {
        const char* route;
        std::function<void()> act;
        std::function<void()> check;
        bool says;   // a message naming the limit
    };
    const Row rows[] = {
        {"save all into a folder", [&] { saveAll(false); },
         [&] {
             const QStringList written = files(out + "/repeats");
             EXPECT_GT(written.size(), 0);
             EXPECT_LE(written.size() * each, qint64(16) << 20) << "the 16 MiB floor, as zor-icons keeps";
             for (const QString& name : written)
                 EXPECT_EQ(QFileInfo(out + "/repeats/" + name).size(), each) << "whole files only";
         }, true},
        {"save all into one library", [&] { saveAll(true); },
         [&] { EXPECT_TRUE(tp.files.saveRequests.empty()) << "stopped before a library is named"; }, true},
        {"copy them all", [&] {
             QApplication::clipboard()->clear();
             form->ListView1->setFocus();
             QTest::keyClick(form->ListView1, Qt::Key_A, Qt::ControlModifier);
             QTest::keySequence(QApplication::focusWidget(), Copy.keys);
         },
         [&] {
             const QMimeData* copied = QApplication::clipboard()->mimeData();
             ASSERT_NE(copied, nullptr);
             EXPECT_GT(copied->urls().size(), 0);
             EXPECT_LE(copied->urls().size() * each, qint64(16) << 20);
         }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.route);
        tp.messages.shown.clear();
        tp.files.saveRequests.clear();
        row.act();
        row.check();
        if (row.says) {
            ASSERT_EQ(tp.messages.shown.size(), 1u);
            EXPECT_EQ(tp.messages.shown[0].icon, MsgIcon::Critical);
            EXPECT_TRUE(tp.messages.shown[0].text.contains("上限")) << tp.messages.shown[0].text.toStdString();
        }
    }
}

TEST_F(ExportTest, SavesStartWhereTheLastSaveWentElsePicturesElseHome)
{
    // A home of its own, with no desktop settings naming a Pictures folder elsewhere.
    const QString home = dir.path() + "/home";
    const QString pictures = home + "/Pictures";
    QDir().mkpath(home);
    struct Env {
        QByteArray name, before;
        Env(const char* n, const QString& value) : name(n), before(qgetenv(n)) { qputenv(n, QFile::encodeName(value)); }
        ~Env() { qputenv(name.constData(), before); }
    } h("HOME", home), c("XDG_CONFIG_HOME", home + "/.config");
    const QString readOnly = out + "/read-only";
    QDir().mkpath(readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    fx::writeBytes(out + "/plain", "a file");
    struct Row {
        const char* what;
        QString stored;   // the key's value before; empty: none
        bool pictures;    // a Pictures folder there
        QString start;    // where the dialog starts
    };
    std::vector<Row> rows = {
        {"nothing saved yet", "", true, pictures},
        {"the last folder", out, true, out},
        {"the last folder gone", out + "/gone", true, pictures},
        {"a file where the folder was, and no Pictures", out + "/plain", false, home},
    };
    if (geteuid() != 0)   // root writes anywhere
        rows.push_back({"a folder the user cannot write", readOnly, false, home});
    open(sources().icl);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        tp.settings.values.remove("QEL/zor/SaveFolder");
        if (!row.stored.isEmpty())
            lastSavedInto(row.stored);
        if (row.pictures)
            QDir().mkpath(pictures);
        else
            QDir(pictures).removeRecursively();
        run(Way::Keys, Save, 1);   // cancelled
        ASSERT_FALSE(tp.files.saveRequests.empty());
        EXPECT_EQ(tp.files.saveRequests.back().folder, row.start);
    }

    // Every save remembers its folder, and every save dialog starts there.
    const QString into = out + "/saved";
    QDir().mkpath(into);
    tp.files.saveAnswers.push_back(SavedFile{into + "/x.ico", 0});
    run(Way::Menu, Save, 2);
    EXPECT_TRUE(QFile::exists(into + "/x.ico"));
    EXPECT_EQ(tp.settings.values.value("QEL/zor/SaveFolder"), into);
    run(Way::Pop, Save, 3);
    EXPECT_EQ(tp.files.saveRequests.back().folder, into);
    tp.dialogs.script = [&](QDialog& d) {
        if (d.objectName() == "frmSaveAll")
            EXPECT_EQ(d.findChild<QLineEdit*>("txtFolder")->text(), into + "/lib3");
        else {
            d.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
            QTest::mouseClick(static_cast<frmIconInfo&>(d).cmdSave, Qt::LeftButton);
        }
        return QDialog::Rejected;
    };
    run(Way::Keys, Info, 1);
    EXPECT_EQ(tp.files.saveRequests.back().folder, into);
    run(Way::Keys, SaveAll, 0);
    EXPECT_EQ(tp.dialogs.opened, (std::vector<QString>{"frmIconInfo", "frmSaveAll"}));
    EXPECT_TRUE(tp.messages.shown.empty());
}

TEST_F(ExportTest, InformationCopiesAndSavesEachImageUnderItsOwnName)
{
    // Three sizes at three depths, as shell32's groups have them.
    std::vector<fx::IcoImage> images;
    int seed = 20;
    for (int size : {48, 32, 16})
        for (int bits : {4, 8, 32})
            images.push_back({size, bits, false, seed++});
    const QString ico = fx::makeIco(dir.path(), "depths.ico", images);
    const auto entries = openFile(ico).entries(0);
    ASSERT_EQ(entries.size(), 9u);
    open(ico);

    enum class How { CtrlC, PopCopy, PopSave, Button, DoubleClick };
    struct Row {
        int image;
        How how;
        QString answer;     // the file given to the save dialog
        int filter;         // 0 PNG, 1 ICO, 2 BMP
    };
    const std::vector<Row> rows = {
        {0, How::CtrlC, "", 0},
        {4, How::PopCopy, "", 0},
        {0, How::PopSave, "a.png", 0},
        {1, How::Button, "b", 1},          // no extension: the filter chosen
        {2, How::PopSave, "c.bmp", 0},     // the extension decides
        {8, How::DoubleClick, "d.ico", 2},
        {7, How::Button, "e", 2},
    };
    QSet<QString> names;
    tp.dialogs.script = [&](QDialog& d) {
        auto& info = static_cast<frmIconInfo&>(d);
        d.show();
        d.activateWindow();
        // Activation comes through the window system, later than the window shows.
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.isActiveWindow(); }));
        QWidget* images = info.Images->viewport();
        // As it opens, the first image and its caption stand whole at the left, and so does
        // every other one scrolled to.
        const QFontMetrics metrics(info.Images->font());
        EXPECT_EQ(info.Images->horizontalScrollBar()->value(), 0);
        for (int i = 0; i < info.Images->count(); ++i) {
            if (i > 0)
                info.Images->scrollToItem(info.Images->item(i));
            const QRect cell = info.Images->visualItemRect(info.Images->item(i));
            const QRect caption = metrics.boundingRect(QRect(0, 0, 4096, 4096), Qt::AlignHCenter, info.Images->item(i)->text());
            EXPECT_GE(cell.width(), caption.width()) << i;
            EXPECT_GE(cell.left(), 0) << i;
            EXPECT_LE(cell.right(), images->width()) << i;
        }
        for (const Row& row : rows) {
            SCOPED_TRACE(row.image);
            const GroupEntry& entry = entries[size_t(row.image)];
            const QImage want = decodeEntry(entry);
            info.Images->scrollToItem(info.Images->item(row.image));
            const QPoint at = info.Images->visualItemRect(info.Images->item(row.image)).center();
            QTest::mouseClick(images, Qt::LeftButton, {}, at);
            EXPECT_EQ(info.Images->currentRow(), row.image);
            QApplication::clipboard()->clear();
            if (!row.answer.isEmpty())
                tp.files.saveAnswers.push_back(SavedFile{out + "/" + row.answer, row.filter});
            const size_t asked = tp.files.saveRequests.size();
            switch (row.how) {
            case How::CtrlC:
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
                break;
            case How::PopCopy:
            case How::PopSave:
                // Through the window, which turns a right click into a context menu request.
                QTest::mouseClick(d.windowHandle(), Qt::RightButton, {}, images->mapTo(&d, at));
                click(info.popImage, row.how == How::PopCopy ? info.MICopy : info.MISave);
                break;
            case How::Button:
                QTest::mouseClick(info.cmdSave, Qt::LeftButton);
                break;
            case How::DoubleClick:
                QTest::mouseDClick(images, Qt::LeftButton, {}, at);
                break;
            }
            if (row.answer.isEmpty()) {
                EXPECT_EQ(pixels(QApplication::clipboard()->image()), pixels(want));
                EXPECT_EQ(QApplication::clipboard()->mimeData()->data("image/vnd.microsoft.icon"), icoFromEntries({entry}));
                continue;
            }
            if (tp.files.saveRequests.size() != asked + 1) {
                ADD_FAILURE() << "no save dialog";
                continue;
            }
            const SaveFileRequest& request = tp.files.saveRequests.back();
            EXPECT_EQ(request.name, QStringLiteral("depths_0-%1x%1-%2bit.png").arg(entry.width).arg(entry.bitCount));
            EXPECT_EQ(request.filter, "PNG 画像|*.png|アイコン|*.ico|BMP 画像|*.bmp");
            names.insert(request.name);
            const QString file = out + "/" + row.answer;
            const QString suffix = QFileInfo(file).suffix();
            const QString kind = suffix.isEmpty() ? QStringList{"png", "ico", "bmp"}[row.filter] : suffix;
            if (kind == "ico") {
                expectSameEntries(openFile(file).entries(0), {entry});
            } else {
                QImage flat(want.size(), QImage::Format_RGB888);
                flat.fill(Qt::white);
                QPainter(&flat).drawImage(0, 0, want);
                EXPECT_EQ(pixels(QImage(file, kind.toLatin1())), pixels(kind == "png" ? want : flat));
            }
        }
        return QDialog::Accepted;
    };
    run(Way::Keys, Info, 1);
    ASSERT_EQ(tp.dialogs.opened.back(), "frmIconInfo");
    EXPECT_EQ(names.size(), 5u) << "each image a name of its own";
    EXPECT_TRUE(tp.messages.shown.empty());
}

TEST_F(ExportTest, SeveralChosenAreSavedCopiedAndDraggedTogether)
{
    const QString library = fx::makeLibrary(dir.path(), 5, false);
    const IconFile source = openFile(library);
    open(library);
    struct Row {
        const char* what;
        std::function<void()> choose;
        std::vector<int> chosen;   // 1-based
        int current;
    };
    auto ctrlClick = [&](int i) { QTest::mouseClick(surface(), Qt::LeftButton, Qt::ControlModifier, itemAt(i)); };
    auto shiftClick = [&](int i) { QTest::mouseClick(surface(), Qt::LeftButton, Qt::ShiftModifier, itemAt(i)); };
    const std::vector<Row> rows = {
        {"Ctrl+clicks", [&] { select(1); ctrlClick(3); ctrlClick(5); }, {1, 3, 5}, 5},
        {"Shift+click", [&] { select(2); shiftClick(4); }, {2, 3, 4}, 4},
        {"Shift+End", [&] { select(4); QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ShiftModifier); }, {4, 5}, 5},
    };
    int n = 0;
    QString lastTarget = out;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        row.choose();
        ASSERT_EQ(form->ListView1->selectedItems(), row.chosen);
        EXPECT_EQ(form->ListView1->selectedIndex(), row.current);
        QStringList names;
        for (int i : row.chosen)
            names << QStringLiteral("lib5_%1.ico").arg(i - 1);

        // Saved into a folder asked for, each as its icon file.
        const QString target = QStringLiteral("%1/several%2").arg(out).arg(n++);
        QDir().mkpath(target);
        tp.files.folderAnswers.push_back(target);
        tp.messages.shown.clear();
        QTest::keySequence(QApplication::focusWidget(), Save.keys);
        EXPECT_EQ(tp.files.browseStarts.back(), lastTarget) << "where the last save went";
        lastTarget = target;
        EXPECT_EQ(files(target), names);
        for (int i : row.chosen)
            EXPECT_EQ(fx::readBytes(QStringLiteral("%1/lib5_%2.ico").arg(target).arg(i - 1)), source.groupAsIco(i - 1)) << i;
        ASSERT_EQ(tp.messages.shown.size(), 1u);
        EXPECT_TRUE(tp.messages.shown[0].text.startsWith(QStringLiteral("%1 個のファイルを保存しました。").arg(row.chosen.size())));
        EXPECT_TRUE(tp.files.saveRequests.empty()) << "no file dialog for one of them";

        // Copied as files, the current one as its picture too.
        QApplication::clipboard()->clear();
        QTest::keySequence(QApplication::focusWidget(), Copy.keys);
        const QMimeData* copied = QApplication::clipboard()->mimeData();
        ASSERT_NE(copied, nullptr);
        QStringList copiedNames;
        for (const QUrl& url : copied->urls()) {
            copiedNames << QFileInfo(url.toLocalFile()).fileName();
            EXPECT_EQ(fx::readBytes(url.toLocalFile()), source.groupAsIco(copiedNames.back().section('_', 1).section('.', 0, 0).toInt()));
        }
        EXPECT_EQ(copiedNames, names);
        EXPECT_EQ(copied->data("image/vnd.microsoft.icon"), source.groupAsIco(row.current - 1));
        EXPECT_EQ(pixels(QApplication::clipboard()->image()), pixels(source.image(row.current - 1, {256, 256})));

        // Dragged out from one of them, all of them.
        QStringList dragged;
        form->ListView1->runDrag = [&](QDrag& drag) {
            for (const QUrl& url : drag.mimeData()->urls())
                dragged << QFileInfo(url.toLocalFile()).fileName();
            return Qt::CopyAction;
        };
        const QPoint at = itemAt(row.chosen.front());
        QTest::mousePress(surface(), Qt::LeftButton, {}, at);
        QTest::mouseMove(surface(), at + QPoint(3, 0));
        QTest::mouseMove(surface(), at + QPoint(40, 10));
        QTest::mouseRelease(surface(), Qt::LeftButton, {}, at + QPoint(40, 10));
        form->ListView1->runDrag = nullptr;
        EXPECT_EQ(dragged, names);
        EXPECT_EQ(form->ListView1->selectedItems(), row.chosen) << "the drag keeps the choice";
    }

    // A plain click chooses one again, and the commands act on it alone.
    select(2);
    EXPECT_EQ(form->ListView1->selectedItems(), std::vector<int>{2});
    EXPECT_EQ(form->ClickedItem, 2);
    tp.files.saveAnswers.push_back(SavedFile{out + "/one.ico", 0});
    QTest::keySequence(QApplication::focusWidget(), Save.keys);
    ASSERT_EQ(tp.files.saveRequests.size(), 1u);
    EXPECT_EQ(tp.files.saveRequests.back().name, "lib5_1.ico");
    EXPECT_EQ(fx::readBytes(out + "/one.ico"), source.groupAsIco(1));
}

TEST_F(ExportTest, CommandsWaitForSomethingToActOn)
{
    const std::vector<QAction*> onIcon = {form->MFSaveIcon, form->MFCopy, form->MFInfo, form->MPSaveIcon, form->MPCopy, form->MPInfo};
    const std::vector<QAction*> onAll = {form->MFSaveAll, form->MPSaveAll};
    auto enabled = [](const std::vector<QAction*>& actions) {
        int n = 0;
        for (QAction* a : actions)
            n += a->isEnabled();
        return n;
    };
    EXPECT_EQ(enabled(onIcon) + enabled(onAll), 0);
    QTest::keySequence(form.get(), SaveAll.keys);
    EXPECT_TRUE(tp.dialogs.opened.empty());

    open(sources().ico);
    EXPECT_EQ(enabled(onIcon), 0);
    EXPECT_EQ(enabled(onAll), 2);
    for (const Command& c : {Save, Copy, Info})
        QTest::keySequence(form.get(), c.keys);
    EXPECT_TRUE(tp.files.saveRequests.empty());
    EXPECT_TRUE(tp.dialogs.opened.empty());

    select(1);
    EXPECT_EQ(enabled(onIcon), 6);
    open(dir.path() + "/none.txt");   // not there: the list stays, and so does the selection
    EXPECT_EQ(enabled(onIcon), 6);
    fx::writeBytes(dir.path() + "/text.ico", "no icons");
    open(dir.path() + "/text.ico");
    EXPECT_EQ(enabled(onIcon) + enabled(onAll), 0);
}

} // namespace
