#include "dialogs/IconCommands.h"

#include "dialogs/frmIconInfo.h"
#include "platform/Platform.h"
#include "platform/iconsource/WholeFile.h"

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
#include <QUrl>

namespace zor::IconCommands {

namespace {

using namespace IconExport;

const QString SaveFilter = QStringLiteral("アイコン|*.ico|PNG 画像|*.png");
const QString PngFilter = QStringLiteral("PNG 画像|*.png");
const QString Unreadable = QStringLiteral("このアイコンは読み込めませんでした。");
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
    platform().messages->show(parent, message(QStringLiteral("ファイルを保存できませんでした。\n\n%1\n\n%2").arg(file, reason) + more,
                                              MsgIcon::Critical));
}

QString sizeText(QSize s) { return QStringLiteral("%1 × %2").arg(s.width()).arg(s.height()); }

QString folderOf(const IconOfFile& icon) { return icon.path.folder().shown(); }

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
    dialog.setWindowTitle(QStringLiteral("PNG 画像の大きさ"));
    dialog.setMinimumWidth(280);   // room for the title
    auto* form = new QFormLayout(&dialog);
    auto* cboSize = new QComboBox(&dialog);
    cboSize->setObjectName(QStringLiteral("cboSize"));
    for (QSize s : sizes)
        cboSize->addItem(sizeText(s), s);
    form->addRow(QStringLiteral("大きさ(&S):"), cboSize);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("保存"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
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
        setWindowTitle(QStringLiteral("すべてのアイコンを保存"));
        auto* form = new QFormLayout(this);

        txtFolder = new QLineEdit(folder, this);
        txtFolder->setObjectName(QStringLiteral("txtFolder"));
        txtFolder->setMinimumWidth(320);
        auto* cmdBrowse = new QPushButton(QStringLiteral("参照(&B)..."), this);
        cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
        auto* folderRow = new QHBoxLayout;
        folderRow->addWidget(txtFolder);
        folderRow->addWidget(cmdBrowse);
        auto* folderLabel = new QLabel(QStringLiteral("保存先(&F):"), this);
        folderLabel->setBuddy(txtFolder);
        form->addRow(folderLabel, folderRow);

        optIco = new QRadioButton(QStringLiteral("アイコン (*.ico)(&I)"), this);
        optIco->setObjectName(QStringLiteral("optIco"));
        optPng = new QRadioButton(QStringLiteral("PNG 画像 (*.png)(&P)"), this);
        optPng->setObjectName(QStringLiteral("optPng"));
        optIco->setChecked(true);
        cboSize = new QComboBox(this);
        cboSize->setObjectName(QStringLiteral("cboSize"));
        for (int s : SaveAllSizes)
            cboSize->addItem(sizeText({s, s}), s);
        cboSize->setCurrentIndex(cboSize->findData(32));
        cboSize->setEnabled(false);
        auto* pngRow = new QHBoxLayout;
        pngRow->addWidget(optPng);
        pngRow->addWidget(cboSize);
        pngRow->addStretch();
        form->addRow(QStringLiteral("形式:"), optIco);
        form->addRow(QString(), pngRow);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        ok = buttons->button(QDialogButtonBox::Ok);
        ok->setText(QStringLiteral("保存"));
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
        form->addRow(buttons);

        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(optPng, &QRadioButton::toggled, cboSize, &QWidget::setEnabled);
        connect(txtFolder, &QLineEdit::textChanged, this, [this](const QString& t) { ok->setEnabled(!t.trimmed().isEmpty()); });
        connect(cmdBrowse, &QPushButton::clicked, this, [this] {
            trap([&] {
                const QString chosen = platform().files->browseFolder(this, QStringLiteral("保存先のフォルダ"));
                if (!chosen.isEmpty())
                    txtFolder->setText(chosen);
            });
        });
        ok->setEnabled(!folder.isEmpty());
    }

    QLineEdit* txtFolder;
    QRadioButton* optIco;
    QRadioButton* optPng;
    QComboBox* cboSize;
    QPushButton* ok;
};

} // namespace

void SaveIcon(QWidget* parent, IconOfFile icon)
{
    trap([&] {
        if (GroupBytes(icon).isEmpty()) {
            platform().messages->show(parent, message(Unreadable, MsgIcon::Critical));
            return;
        }
        SaveFileRequest request;
        request.title = QStringLiteral("アイコンを保存");
        request.folder = folderOf(icon);
        request.name = SaveName(icon) + QStringLiteral(".ico");
        request.filter = SaveFilter;
        const auto saved = platform().files->saveFile(parent, request);
        if (!saved)
            return;
        // The name's own extension decides; without one, the filter chosen.
        const QString suffix = QFileInfo(saved->path).suffix().toLower();
        const bool png = suffix == QLatin1String("png") || (suffix != QLatin1String("ico") && saved->filterIndex == 1);
        if (!png) {
            write(parent, saved->path, GroupBytes(icon));
            return;
        }
        const auto size = choosePngSize(parent, GroupSizes(icon));
        if (!size)
            return;
        const QByteArray bytes = PngBytes(ImageAt(icon, *size));
        if (bytes.isEmpty())
            platform().messages->show(parent, message(Unreadable, MsgIcon::Critical));
        else
            write(parent, saved->path, bytes);
    });
}

void SaveImage(QWidget* parent, IconOfFile icon, const iconsource::GroupEntry& entry)
{
    trap([&] {
        const QByteArray bytes = PngBytes(iconsource::decodeEntry(entry));
        if (bytes.isEmpty()) {
            platform().messages->show(parent, message(Unreadable, MsgIcon::Critical));
            return;
        }
        const QSize s = Describe(entry).size;
        SaveFileRequest request;
        request.title = QStringLiteral("画像を保存");
        request.folder = folderOf(icon);
        request.name = SaveName(icon) + QLatin1Char('-')
            + (s.width() == s.height() ? QString::number(s.width()) : QStringLiteral("%1x%2").arg(s.width()).arg(s.height()))
            + QStringLiteral(".png");
        request.filter = PngFilter;
        if (const auto saved = platform().files->saveFile(parent, request))
            write(parent, saved->path, bytes);
    });
}

void SaveAll(QWidget* parent, std::vector<IconOfFile> icons, const StoredPath& folder)
{
    trap([&] {
        if (icons.empty())
            return;
        SaveAllDialog dialog(parent, folder.shown());
        if (platform().dialogs->exec(dialog) != QDialog::Accepted)
            return;
        SaveAllRequest request;
        request.folder = StoredPath::fromEdited(dialog.txtFolder->text().trimmed(), folder).cleaned();
        request.format = dialog.optPng->isChecked() ? Format::Png : Format::Ico;
        request.pngSize = dialog.cboSize->currentData().toInt();
        if (const int error = makeFolders(request.folder.bytes()); error != 0) {
            cannotWrite(parent, request.folder.shown(), QStringLiteral("フォルダを作れません。"), QStringLiteral("\n\n") + Reason(error));
            return;
        }
        // Made only once the question before the export is answered, and put away while a
        // later one is open: a progress dialog shows itself after a while, over any question.
        const int total = int(icons.size());
        std::unique_ptr<QProgressDialog> progress;
        bool cancelled = false;
        request.onExisting = [&](const QString& file, const QString& linkTarget) {
            progress.reset();
            QString text = QStringLiteral("「%1」はすでにあります。\n\n保存先にすでにあるファイルをどうしますか？").arg(file);
            if (!linkTarget.isEmpty())
                text += QStringLiteral("\n\nこのファイルは「%1」へのリンクです。").arg(linkTarget);
            const int answer = platform().messages->ask(
                parent, message(text, MsgIcon::Question),
                {QStringLiteral("すべて上書き"), QStringLiteral("スキップ"), QStringLiteral("キャンセル")}, 1);
            return answer == 0 ? Existing::OverwriteAll : answer == 1 ? Existing::SkipAll : Existing::Cancel;
        };
        QElapsedTimer clock;
        request.onProgress = [&](int done, int) {
            if (!progress) {
                // Shown only when the export runs longer than half a second.
                progress = std::make_unique<QProgressDialog>(QStringLiteral("アイコンを保存しています..."),
                                                             QStringLiteral("キャンセル"), 0, total, parent);
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
            return;
        if (!result.failedFile.isEmpty()) {
            cannotWrite(parent, result.failedFile, result.error,
                        result.written > 0 ? QStringLiteral("\n\nそれまでに %1 個のファイルを保存しました。").arg(result.written) : QString());
            return;
        }
        QString text = result.stopped ? QStringLiteral("保存を中止しました。\n\n") : QString();
        text += QStringLiteral("%1 個のファイルを保存しました。\n\n保存先: %2").arg(result.written).arg(request.folder.shown());
        if (result.skipped > 0)
            text += QStringLiteral("\n\nすでにあった %1 個のファイルはそのままにしました。").arg(result.skipped);
        if (result.unreadable > 0)
            text += QStringLiteral("\n\n読み込めなかったアイコンが %1 個ありました。").arg(result.unreadable);
        platform().messages->show(parent, message(text, MsgIcon::Information));
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
    data->setData(QStringLiteral("image/png"), PngBytes(image));
    data->setData(QStringLiteral("image/vnd.microsoft.icon"), ico);
    return data;
}
} // namespace

void Copy(QWidget* parent, IconOfFile icon)
{
    trap([&] {
        if (QMimeData* data = iconData(icon))
            QGuiApplication::clipboard()->setMimeData(data);
        else
            platform().messages->show(parent, message(Unreadable, MsgIcon::Critical));
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

void ShowInfo(QWidget* parent, IconOfFile icon)
{
    trap([&] { frmIconInfo::Open(parent, std::move(icon)); });
}

} // namespace zor::IconCommands
