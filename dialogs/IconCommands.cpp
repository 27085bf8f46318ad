#include "dialogs/IconCommands.h"

#include "dialogs/frmIconInfo.h"
#include "platform/Platform.h"
#include "platform/iconsource/IclWriter.h"
#include "platform/iconsource/IcoWriter.h"
#include "platform/iconsource/WholeFile.h"
#include "settings/ZorSettings.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QUrl>

#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace zor::IconCommands {

namespace {

using namespace IconExport;

//: A save-file dialog's filter, "name|patterns|name|patterns": keep the | and the patterns.
const char* const SaveFilter = QT_TRANSLATE_NOOP("zor::IconCommands", "アイコン|*.ico|PNG 画像|*.png");
//: A save-file dialog's filter, "name|patterns|...": keep the | and the patterns.
const char* const ImageFilter = QT_TRANSLATE_NOOP("zor::IconCommands", "PNG 画像|*.png|アイコン|*.ico|BMP 画像|*.bmp");
const char* const Unreadable = QT_TRANSLATE_NOOP("zor::IconCommands", "このアイコンは読み込めませんでした。");
const int SaveAllSizes[] = {16, 24, 32, 48, 64, 96, 128, 256};

Message message(const QString& text, MsgIcon icon)
{
    Message m;
    m.text = text;
    m.icon = icon;
    return m;
}

void cannotWrite(QWidget* parent, const QString& file, const QString& reason, const QString& more = {})
{
    platform().messages->show(parent, message(QCoreApplication::translate("zor::IconCommands", "ファイルを保存できませんでした。\n\n%1\n\n%2").arg(file, reason) + more,
                                              MsgIcon::Critical));
}

QString sizeText(QSize s) { return QStringLiteral("%1 × %2").arg(s.width()).arg(s.height()); }

// Where save dialogs start: the folder last saved into, else the user's Pictures folder,
// else home; never one the user cannot write into.
StoredPath startFolder()
{
    const auto writable = [](const StoredPath& folder) {
        struct stat st {};
        // By the process's effective rights, which its writes are held to.
        return !folder.isEmpty() && ::stat(folder.bytes().constData(), &st) == 0 && S_ISDIR(st.st_mode)
            && ::faccessat(AT_FDCWD, folder.bytes().constData(), W_OK | X_OK, AT_EACCESS) == 0;
    };
    if (const StoredPath last = ZorSettings::SaveFolder(); writable(last))
        return last;
    if (const StoredPath pictures = StoredPath::fromText(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
        writable(pictures))
        return pictures;
    return StoredPath::fromText(QDir::homePath());
}

// Kept for the next save; a store that cannot be written costs only that.
void remember(const StoredPath& folder)
{
    trap([&] { ZorSettings::SaveFolder(folder.cleaned()); });
}

// The folder a text names, or the nearest one above it that is there.
QString nearestFolder(QString path)
{
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const QString up = QFileInfo(path).path();
        if (up == path)
            break;
        path = up;
    }
    return path;
}

bool write(QWidget* parent, const QString& path, const QByteArray& bytes)
{
    const QString error = WriteWhole(StoredPath::fromText(path), bytes);
    if (!error.isEmpty())
        cannotWrite(parent, path, error);
    return error.isEmpty();
}

// Which of the group's sizes a PNG is made at; the largest is offered first.
std::optional<QSize> choosePngSize(QWidget* parent, const std::vector<QSize>& sizes)
{
    if (sizes.size() <= 1)
        return sizes.empty() ? std::nullopt : std::optional<QSize>(sizes.front());
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmPngSize"));
    dialog.setWindowTitle(QCoreApplication::translate("zor::IconCommands", "PNG 画像の大きさ"));
    dialog.setMinimumWidth(280);   // room for the title
    auto* form = new QFormLayout(&dialog);
    auto* cboSize = new QComboBox(&dialog);
    cboSize->setObjectName(QStringLiteral("cboSize"));
    for (QSize s : sizes)
        cboSize->addItem(sizeText(s), s);
    form->addRow(QCoreApplication::translate("zor::IconCommands", "大きさ(&S):"), cboSize);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QCoreApplication::translate("zor::IconCommands", "保存"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QCoreApplication::translate("zor::IconCommands", "キャンセル"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (platform().dialogs->exec(dialog) != QDialog::Accepted)
        return std::nullopt;
    return cboSize->currentData().toSize();
}

// Where and how every icon is saved.
class SaveAllDialog : public QDialog {
public:
    SaveAllDialog(QWidget* parent, const QString& folder) : QDialog(parent)
    {
        setObjectName(QStringLiteral("frmSaveAll"));
        setWindowTitle(QCoreApplication::translate("zor::IconCommands", "すべてのアイコンを保存"));
        auto* form = new QFormLayout(this);

        txtFolder = new QLineEdit(folder, this);
        txtFolder->setObjectName(QStringLiteral("txtFolder"));
        txtFolder->setMinimumWidth(320);
        auto* cmdBrowse = new QPushButton(QCoreApplication::translate("zor::IconCommands", "参照(&B)..."), this);
        cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
        auto* folderRow = new QHBoxLayout;
        folderRow->addWidget(txtFolder);
        folderRow->addWidget(cmdBrowse);
        auto* folderLabel = new QLabel(QCoreApplication::translate("zor::IconCommands", "保存先(&F):"), this);
        folderLabel->setBuddy(txtFolder);
        form->addRow(folderLabel, folderRow);

        optIco = new QRadioButton(QCoreApplication::translate("zor::IconCommands", "アイコン (*.ico)(&I)"), this);
        optIco->setObjectName(QStringLiteral("optIco"));
        optPng = new QRadioButton(QCoreApplication::translate("zor::IconCommands", "PNG 画像 (*.png)(&P)"), this);
        optPng->setObjectName(QStringLiteral("optPng"));
        optIco->setChecked(true);
        cboSize = new QComboBox(this);
        cboSize->setObjectName(QStringLiteral("cboSize"));
        for (int s : SaveAllSizes)
            cboSize->addItem(sizeText({s, s}), s);
        //: Each icon's largest image, at its own size.
        cboSize->addItem(QCoreApplication::translate("zor::IconCommands", "最大"), 0);   // each group's largest image
        cboSize->setCurrentIndex(cboSize->findData(32));
        cboSize->setEnabled(false);
        auto* pngRow = new QHBoxLayout;
        pngRow->addWidget(optPng);
        pngRow->addWidget(cboSize);
        pngRow->addStretch();
        form->addRow(QCoreApplication::translate("zor::IconCommands", "形式:"), optIco);
        form->addRow(QString(), pngRow);
        optIcl = new QRadioButton(QCoreApplication::translate("zor::IconCommands", "アイコンライブラリ (.icl) 1 つにまとめる"), this);
        optIcl->setObjectName(QStringLiteral("optIcl"));
        form->addRow(QString(), optIcl);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        ok = buttons->button(QDialogButtonBox::Ok);
        ok->setText(QCoreApplication::translate("zor::IconCommands", "保存"));
        buttons->button(QDialogButtonBox::Cancel)->setText(QCoreApplication::translate("zor::IconCommands", "キャンセル"));
        form->addRow(buttons);

        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(optPng, &QRadioButton::toggled, cboSize, &QWidget::setEnabled);
        connect(txtFolder, &QLineEdit::textChanged, this, [this](const QString& t) { ok->setEnabled(!t.trimmed().isEmpty()); });
        connect(cmdBrowse, &QPushButton::clicked, this, [this] {
            trap([&] {
                const QString chosen = platform().files->browseFolder(this, QCoreApplication::translate("zor::IconCommands", "保存先のフォルダ"),
                                                                      nearestFolder(txtFolder->text().trimmed()));
                if (!chosen.isEmpty())
                    txtFolder->setText(chosen);
            });
        });
        ok->setEnabled(!folder.isEmpty());
    }

    QLineEdit* txtFolder;
    QRadioButton* optIco;
    QRadioButton* optPng;
    QRadioButton* optIcl;
    QComboBox* cboSize;
    QPushButton* ok;
};

// Every icon as one group of an icon library, in the order listed; the file is named in a
// save dialog that starts in folder.
void saveLibrary(QWidget* parent, std::vector<IconOfFile>& icons, const StoredPath& folder, const QString& title)
{
    std::vector<iconsource::IclGroup> groups;
    int unreadable = 0;
    OutputBudget budget;
    for (IconOfFile& icon : icons) {
        QByteArray ico = GroupBytes(icon);
        QString why;
        if (!ico.isEmpty() && !budget.spend(icon, ico.size(), &why)) {
            platform().messages->show(parent, message(why, MsgIcon::Critical));
            return;
        }
        if (ico.isEmpty())
            ++unreadable;
        else
            groups.push_back({std::move(ico), {}});
    }
    if (groups.empty()) {
        platform().messages->show(parent, message(QCoreApplication::translate("zor::IconCommands", Unreadable), MsgIcon::Critical));
        return;
    }
    const IconOfFile& first = icons.front();
    SaveFileRequest request;
    request.title = title;
    request.folder = folder.shown();
    request.name = (first.inFolder ? first.path.folder().fileName() : QFileInfo(first.path.fileName()).completeBaseName())
                   + QStringLiteral(".icl");
    //: A save-file dialog's filter, "name|patterns": keep the | and the pattern.
    request.filter = QCoreApplication::translate("zor::IconCommands", "アイコンライブラリ|*.icl");
    const auto saved = platform().files->saveFile(parent, request);
    if (!saved)
        return;
    QString why;
    const QByteArray bytes = iconsource::writeIcl(groups, iconsource::moduleNameFor(QFileInfo(saved->path).fileName().toUtf8()), &why);
    if (bytes.isEmpty()) {
        cannotWrite(parent, saved->path, QCoreApplication::translate("zor::IconCommands", "アイコンライブラリを作れません。"), QStringLiteral("\n\n") + why);
        return;
    }
    if (!write(parent, saved->path, bytes))
        return;
    remember(StoredPath::fromText(saved->path).folder());
    QString text = QCoreApplication::translate("zor::IconCommands", "%1 個のアイコンをアイコンライブラリに保存しました。\n\n%2").arg(groups.size()).arg(saved->path);
    if (unreadable > 0)
        text += QCoreApplication::translate("zor::IconCommands", "\n\n読み込めなかったアイコンが %1 個ありました。").arg(unreadable);
    platform().messages->show(parent, message(text, MsgIcon::Information));
}

} // namespace

void SaveIcon(QWidget* parent, IconOfFile icon)
{
    trap([&] {
        if (GroupBytes(icon).isEmpty()) {
            platform().messages->show(parent, message(QCoreApplication::translate("zor::IconCommands", Unreadable), MsgIcon::Critical));
            return;
        }
        SaveFileRequest request;
        request.title = QCoreApplication::translate("zor::IconCommands", "アイコンを保存");
        request.folder = startFolder().shown();
        request.name = SaveName(icon) + QStringLiteral(".ico");
        request.filter = QCoreApplication::translate("zor::IconCommands", SaveFilter);
        const auto saved = platform().files->saveFile(parent, request);
        if (!saved)
            return;
        // The name's own extension decides; without one, the filter chosen.
        const QString suffix = QFileInfo(saved->path).suffix().toLower();
        const bool png = suffix == QLatin1String("png") || (suffix != QLatin1String("ico") && saved->filterIndex == 1);
        QByteArray bytes;
        if (!png) {
            bytes = GroupBytes(icon);
        } else {
            const auto size = choosePngSize(parent, GroupSizes(icon));
            if (!size)
                return;
            bytes = iconsource::pngBytes(ImageAt(icon, *size));
        }
        if (bytes.isEmpty())
            platform().messages->show(parent, message(QCoreApplication::translate("zor::IconCommands", Unreadable), MsgIcon::Critical));
        else if (write(parent, saved->path, bytes))
            remember(StoredPath::fromText(saved->path).folder());
    });
}

void SaveImage(QWidget* parent, IconOfFile icon, const iconsource::GroupEntry& entry)
{
    trap([&] {
        const QImage image = iconsource::decodeEntry(entry);
        if (image.isNull()) {
            platform().messages->show(parent, message(QCoreApplication::translate("zor::IconCommands", Unreadable), MsgIcon::Critical));
            return;
        }
        SaveFileRequest request;
        request.title = QCoreApplication::translate("zor::IconCommands", "画像を保存");
        request.folder = startFolder().shown();
        request.name = ImageSaveName(icon, Describe(entry)) + QStringLiteral(".png");
        request.filter = QCoreApplication::translate("zor::IconCommands", ImageFilter);
        const auto saved = platform().files->saveFile(parent, request);
        if (!saved)
            return;
        // The name's own extension decides; without one, the filter chosen.
        const QStringList suffixes = {QStringLiteral("png"), QStringLiteral("ico"), QStringLiteral("bmp")};
        qsizetype kind = suffixes.indexOf(QFileInfo(saved->path).suffix().toLower());
        if (kind < 0)
            kind = qBound(0, saved->filterIndex, 2);
        const QByteArray bytes = kind == 0 ? iconsource::pngBytes(image) : kind == 1 ? iconsource::icoFromEntries({entry}) : BmpBytes(image);
        if (bytes.isEmpty())
            platform().messages->show(parent, message(QCoreApplication::translate("zor::IconCommands", Unreadable), MsgIcon::Critical));
        else if (write(parent, saved->path, bytes))
            remember(StoredPath::fromText(saved->path).folder());
    });
}

void CopyImage(QWidget* parent, const iconsource::GroupEntry& entry)
{
    trap([&] {
        const QImage image = iconsource::decodeEntry(entry);
        if (image.isNull()) {
            platform().messages->show(parent, message(QCoreApplication::translate("zor::IconCommands", Unreadable), MsgIcon::Critical));
            return;
        }
        auto* data = new QMimeData;
        data->setImageData(image);
        data->setData(QStringLiteral("image/png"), iconsource::pngBytes(image));
        data->setData(QStringLiteral("image/vnd.microsoft.icon"), iconsource::icoFromEntries({entry}));
        QGuiApplication::clipboard()->setMimeData(data);
    });
}

namespace {

// The icons into request's folder, with one question about existing files, a progress
// dialog when it takes long, and what came of it told. The number of files written.
int exportInto(QWidget* parent, std::vector<IconOfFile> icons, SaveAllRequest request)
{
    if (const int error = makeFolders(request.folder.bytes()); error != 0) {
        cannotWrite(parent, request.folder.shown(), QCoreApplication::translate("zor::IconCommands", "フォルダを作れません。"), QStringLiteral("\n\n") + Reason(error));
        return 0;
    }
    // Made only once the question before the export is answered, and put away while a
    // later one is open: a progress dialog shows itself after a while, over any question.
    const int total = int(icons.size());
    std::unique_ptr<QProgressDialog> progress;
    bool cancelled = false;
    request.onExisting = [&](const QString& file, const QString& linkTarget) {
        progress.reset();
        QString text = QCoreApplication::translate("zor::IconCommands", "「%1」はすでにあります。\n\n保存先にすでにあるファイルをどうしますか？").arg(file);
        if (!linkTarget.isEmpty())
            text += QCoreApplication::translate("zor::IconCommands", "\n\nこのファイルは「%1」へのリンクです。").arg(linkTarget);
        const int answer = platform().messages->ask(
            parent, message(text, MsgIcon::Question),
            {QCoreApplication::translate("zor::IconCommands", "すべて上書き"), QCoreApplication::translate("zor::IconCommands", "スキップ"), QCoreApplication::translate("zor::IconCommands", "キャンセル")}, 1);
        return answer == 0 ? Existing::OverwriteAll : answer == 1 ? Existing::SkipAll : Existing::Cancel;
    };
    QElapsedTimer clock;
    request.onProgress = [&](int done, int) {
        if (!progress) {
            // Shown only when the export runs longer than half a second.
            progress = std::make_unique<QProgressDialog>(QCoreApplication::translate("zor::IconCommands", "アイコンを保存しています..."),
                                                         QCoreApplication::translate("zor::IconCommands", "キャンセル"), 0, total, parent);
            progress->setObjectName(QStringLiteral("SaveAllProgress"));
            progress->setWindowTitle(ProgramTitle);
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumWidth(360);   // room for the title
            progress->setMinimumDuration(500);
            progress->setAutoReset(false);
            progress->setValue(done);
            QObject::connect(progress.get(), &QProgressDialog::canceled, [&] { cancelled = true; });
            clock.start();
        } else if (done == total || clock.elapsed() >= 50) {
            // Asking the dialog costs; a few times a second is enough.
            progress->setValue(done);
            clock.restart();
        }
        return !cancelled;
    };

    const SaveAllResult result = IconExport::SaveAll(std::move(icons), request);
    progress.reset();
    if (result.cancelled)
        return 0;
    if (!result.failedFile.isEmpty()) {
        cannotWrite(parent, result.failedFile, result.error,
                    result.written > 0 ? QCoreApplication::translate("zor::IconCommands", "\n\nそれまでに %1 個のファイルを保存しました。").arg(result.written) : QString());
        return result.written;
    }
    QString text = result.stopped ? QCoreApplication::translate("zor::IconCommands", "保存を中止しました。\n\n") : QString();
    text += QCoreApplication::translate("zor::IconCommands", "%1 個のファイルを保存しました。\n\n保存先: %2").arg(result.written).arg(request.folder.shown());
    if (result.skipped > 0)
        text += QCoreApplication::translate("zor::IconCommands", "\n\nすでにあった %1 個のファイルはそのままにしました。").arg(result.skipped);
    if (result.unreadable > 0)
        text += QCoreApplication::translate("zor::IconCommands", "\n\n読み込めなかったアイコンが %1 個ありました。").arg(result.unreadable);
    platform().messages->show(parent, message(text, MsgIcon::Information));
    return result.written;
}

// Icons of one file chosen together read it once; a folder's files are one icon each.
void shareReads(std::vector<IconOfFile>& icons)
{
    std::map<QByteArray, std::shared_ptr<const iconsource::IconFile>> read;
    for (IconOfFile& icon : icons) {
        if (icon.file || icon.inFolder)
            continue;
        auto& file = read[icon.path.bytes()];
        if (!file)
            file = ReadIconFile(icon.path);
        icon.file = file;
    }
}

} // namespace

void SaveAll(QWidget* parent, std::vector<IconOfFile> icons)
{
    trap([&] {
        if (icons.empty())
            return;
        // A folder of the source's name, so two sources saved side by side never meet.
        const StoredPath start = startFolder();
        const QByteArray name = SourceFolderName(icons.front());
        const StoredPath proposed = name.isEmpty() ? start : start.child(name);
        SaveAllDialog dialog(parent, proposed.shown());
        if (platform().dialogs->exec(dialog) != QDialog::Accepted)
            return;
        SaveAllRequest request;
        request.folder = StoredPath::fromEdited(dialog.txtFolder->text().trimmed(), proposed).cleaned();
        if (dialog.optIcl->isChecked()) {
            saveLibrary(parent, icons, request.folder, QCoreApplication::translate("zor::IconCommands", "すべてのアイコンを保存"));
            return;
        }
        request.format = dialog.optPng->isChecked() ? Format::Png : Format::Ico;
        request.pngSize = dialog.cboSize->currentData().toInt();
        if (exportInto(parent, std::move(icons), request) == 0)
            return;
        // Into the source's own folder: the next source goes beside it.
        const bool own = !name.isEmpty() && request.folder.bytes().endsWith('/' + name);
        remember(own ? request.folder.folder() : request.folder);
    });
}

void SaveLibrary(QWidget* parent, std::vector<IconOfFile> icons, const QString& title)
{
    trap([&] {
        if (icons.empty())
            return;
        shareReads(icons);
        saveLibrary(parent, icons, startFolder(), title);
    });
}

void SaveIcons(QWidget* parent, std::vector<IconOfFile> icons)
{
    if (icons.size() == 1) {
        SaveIcon(parent, std::move(icons.front()));
        return;
    }
    trap([&] {
        if (icons.empty())
            return;
        const QString chosen = platform().files->browseFolder(parent, QCoreApplication::translate("zor::IconCommands", "保存先のフォルダ"), startFolder().shown());
        if (chosen.isEmpty())
            return;
        SaveAllRequest request;
        request.folder = StoredPath::fromText(chosen).cleaned();
        shareReads(icons);
        if (exportInto(parent, std::move(icons), request) > 0)
            remember(request.folder);
    });
}

namespace {
// The icon as pictures and as an .ico file's bytes, for the clipboard and for drags.
QMimeData* iconData(IconOfFile& icon)
{
    const QByteArray ico = GroupBytes(icon);
    const QImage image = LargestImage(icon);
    if (ico.isEmpty() || image.isNull())
        return nullptr;
    auto* data = new QMimeData;
    data->setImageData(image);
    data->setData(QStringLiteral("image/png"), iconsource::pngBytes(image));
    data->setData(QStringLiteral("image/vnd.microsoft.icon"), ico);
    return data;
}

// Several icons: each as an .ico file in the drag folder, the current one as pictures too.
QMimeData* filesData(std::vector<IconOfFile>& icons, int current)
{
    shareReads(icons);
    QList<QUrl> urls;
    // As many as a source's size allows: a crafted file of many groups sharing large images
    // cannot fill the disk through a drag.
    OutputBudget budget;
    for (IconOfFile& icon : icons) {
        const QString file = WriteDragFile(icon, &budget);
        if (!file.isEmpty())
            urls << QUrl::fromLocalFile(file);
    }
    QMimeData* data = current >= 0 && current < int(icons.size()) ? iconData(icons[size_t(current)]) : nullptr;
    if (urls.isEmpty())
        return data;
    if (!data)
        data = new QMimeData;
    data->setUrls(urls);
    return data;
}
} // namespace

void Copy(QWidget* parent, IconOfFile icon)
{
    trap([&] {
        if (QMimeData* data = iconData(icon))
            QGuiApplication::clipboard()->setMimeData(data);
        else
            platform().messages->show(parent, message(QCoreApplication::translate("zor::IconCommands", Unreadable), MsgIcon::Critical));
    });
}

void Copy(QWidget* parent, std::vector<IconOfFile> icons, int current)
{
    if (icons.size() == 1) {
        Copy(parent, std::move(icons.front()));
        return;
    }
    trap([&] {
        QMimeData* data = filesData(icons, current);
        if (!data) {
            platform().messages->show(parent, message(QCoreApplication::translate("zor::IconCommands", Unreadable), MsgIcon::Critical));
            return;
        }
        // What GNOME's file manager pastes; others take the URL list.
        QByteArray copied = "copy";
        for (const QUrl& url : data->urls())
            copied += '\n' + url.toEncoded();
        data->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
        QGuiApplication::clipboard()->setMimeData(data);
    });
}

QMimeData* DragData(IconOfFile icon)
{
    QMimeData* data = nullptr;
    trap([&] {
        const QString file = WriteDragFile(icon);
        if (file.isEmpty())
            return;
        data = iconData(icon);
        if (data)
            data->setUrls({QUrl::fromLocalFile(file)});
    });
    return data;
}

QMimeData* DragData(std::vector<IconOfFile> icons, int current)
{
    if (icons.size() == 1)
        return DragData(std::move(icons.front()));
    QMimeData* data = nullptr;
    trap([&] { data = filesData(icons, current); });
    return data;
}

void ShowInfo(QWidget* parent, IconOfFile icon)
{
    trap([&] { frmIconInfo::Open(parent, std::move(icon)); });
}

} // namespace zor::IconCommands
