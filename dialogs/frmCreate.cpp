#include "dialogs/frmCreate.h"

#include "icons/IconExport.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace zor {

namespace {

using iconsource::IconPicture;
using iconsource::PreparedImage;

//: An open-file dialog's filter, "name|patterns|name|patterns": keep the | and the patterns.
const char* const PictureFilter = QT_TRANSLATE_NOOP("zor::frmCreate",
    "画像|*.png;*.bmp;*.jpg;*.jpeg;*.gif;*.webp;*.svg;*.ico;*.cur;*.icl;*.exe;*.dll;*.cpl|すべてのファイル|*.*");
// Larger files are no pictures anyone makes an icon of; they are not read into memory.
constexpr qint64 MaxPictureFileBytes = 256 << 20;
constexpr int Gap = 8;      // between the previews
constexpr int Square = 8;   // the checkerboard's squares

Message message(const QString& text, MsgIcon icon)
{
    Message m;
    m.text = text;
    m.icon = icon;
    return m;
}

std::optional<QByteArray> readFile(const StoredPath& path, QString& why)
{
    const int fd = ::open(path.bytes().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = errno == ENOENT ? frmCreate::tr("ファイルが見つかりません。") : IconExport::Reason(errno);
        return std::nullopt;
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        why = frmCreate::tr("フォルダです。");
        return std::nullopt;
    }
    if (st.st_size > MaxPictureFileBytes) {
        why = frmCreate::tr("ファイルが大きすぎます。");
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        why = frmCreate::tr("ファイルを読み込めません。");
        return std::nullopt;
    }
    return bytes;
}

QString caption(const PreparedImage& image)
{
    QString text = QStringLiteral("%1 × %1\n").arg(image.size);
    //: An image's colour depth: %1 bits a pixel.
    text += image.png ? QStringLiteral("PNG") : frmCreate::tr("%1 ビット").arg(image.depth);
    if (image.enlarged)
        text += frmCreate::tr(" (拡大)");
    return text;
}

// Every image as it will be stored, side by side at one image pixel a screen pixel, on a
// checkerboard so that what is transparent shows.
class PreviewStrip : public QWidget {
public:
    explicit PreviewStrip(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("picPreview")); }

    void setImages(const std::vector<PreparedImage>& images)
    {
        m_images = images;
        // Smallest first, as the sizes are offered.
        std::stable_sort(m_images.begin(), m_images.end(),
                         [](const PreparedImage& a, const PreparedImage& b) { return a.size < b.size; });
        updateGeometry();
        adjustSize();
        update();
    }

    QSize sizeHint() const override
    {
        int width = Gap, height = 0;
        for (const PreparedImage& image : m_images) {
            const QSize s = shown(image);
            width += qMax(s.width(), captionWidth(image)) + Gap;
            height = qMax(height, s.height());
        }
        return {width, height + 2 * Gap + 2 * fontMetrics().height() + Gap};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        int x = Gap;
        const int top = Gap;
        for (const PreparedImage& image : m_images) {
            const QSize s = shown(image);
            const int column = qMax(s.width(), captionWidth(image));
            const QRect box(x + (column - s.width()) / 2, top, s.width(), s.height());
            for (int y = 0; y < box.height(); y += Square)
                for (int xx = 0; xx < box.width(); xx += Square)
                    p.fillRect(QRect(box.x() + xx, box.y() + y, Square, Square).intersected(box),
                               ((xx + y) / Square) % 2 ? QColor(204, 204, 204) : QColor(255, 255, 255));
            QImage pixels = image.image;
            pixels.setDevicePixelRatio(devicePixelRatioF());
            p.drawImage(box.topLeft(), pixels);
            p.drawText(QRect(x, top + s.height() + Gap, column, 2 * fontMetrics().height()),
                       Qt::AlignHCenter | Qt::AlignTop, caption(image));
            x += column + Gap;
        }
    }

private:
    QSize shown(const PreparedImage& image) const
    {
        const int side = qCeil(image.size / devicePixelRatioF());
        return {side, side};
    }
    // Wide enough for the largest size's caption, and for this image's whole caption.
    int captionWidth(const PreparedImage& image) const
    {
        int widest = fontMetrics().horizontalAdvance(QStringLiteral("256 × 256"));
        for (const QString& line : caption(image).split(QLatin1Char('\n')))
            widest = qMax(widest, fontMetrics().horizontalAdvance(line));
        return widest + 4;
    }

    std::vector<PreparedImage> m_images;
};

} // namespace

frmCreate::frmCreate(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmCreate"));
    setWindowTitle(tr("アイコンを作成"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);

    auto* lblImages = new QLabel(tr("画像(&I):"), this);
    layout->addWidget(lblImages);
    auto* imagesRow = new QHBoxLayout;
    lstImages = new QListWidget(this);
    lstImages->setObjectName(QStringLiteral("lstImages"));
    lstImages->setIconSize({32, 32});
    lstImages->setMinimumHeight(120);
    lblImages->setBuddy(lstImages);
    imagesRow->addWidget(lstImages, 1);
    auto* imageButtons = new QVBoxLayout;
    cmdAdd = new QPushButton(tr("追加(&A)..."), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdPaste = new QPushButton(tr("貼り付け(&P)"), this);
    cmdPaste->setObjectName(QStringLiteral("cmdPaste"));
    cmdRemove = new QPushButton(tr("削除(&R)"), this);
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    cmdRemove->setEnabled(false);
    for (QPushButton* b : {cmdAdd, cmdPaste, cmdRemove})
        imageButtons->addWidget(b);
    imageButtons->addStretch();
    imagesRow->addLayout(imageButtons);
    layout->addLayout(imagesRow);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("大きさ:"), this), 0, 0);
    auto* sizesRow = new QHBoxLayout;
    const auto& defaults = iconsource::defaultIcoSizes();
    for (int s : iconsource::icoSizes()) {
        auto* box = new QCheckBox(QString::number(s), this);
        box->setObjectName(QStringLiteral("chkSize%1").arg(s));
        box->setChecked(std::find(defaults.begin(), defaults.end(), s) != defaults.end());
        chkSize[s] = box;
        sizesRow->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this] { trap([&] { refresh(); }); });
    }
    sizesRow->addStretch();
    grid->addLayout(sizesRow, 0, 1);
    grid->addWidget(new QLabel(tr("色数:"), this), 1, 0);
    auto* depthRow = new QHBoxLayout;
    opt32 = new QRadioButton(tr("32 ビット (アルファ付き)(&3)"), this);
    opt32->setObjectName(QStringLiteral("opt32"));
    opt8 = new QRadioButton(tr("8 ビット (256 色)(&8)"), this);
    opt8->setObjectName(QStringLiteral("opt8"));
    opt4 = new QRadioButton(tr("4 ビット (16 色)(&4)"), this);
    opt4->setObjectName(QStringLiteral("opt4"));
    opt32->setChecked(true);
    auto* depths = new QButtonGroup(this);
    for (QRadioButton* o : {opt32, opt8, opt4}) {
        depths->addButton(o);
        depthRow->addWidget(o);
    }
    depthRow->addStretch();
    grid->addLayout(depthRow, 1, 1);
    chkPng = new QCheckBox(tr("すべての大きさを PNG で保存(&N)"), this);
    chkPng->setObjectName(QStringLiteral("chkPng"));
    grid->addWidget(chkPng, 2, 1);
    layout->addLayout(grid);
    connect(depths, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool on) {
        if (on)
            trap([&] { refresh(); });
    });
    connect(chkPng, &QCheckBox::toggled, this, [this] { trap([&] { refresh(); }); });

    layout->addWidget(new QLabel(tr("プレビュー:"), this));
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrPreview"));
    picPreview = new PreviewStrip(scroll);
    scroll->setWidget(picPreview);
    scroll->setMinimumHeight(256 + 4 * Gap + 2 * fontMetrics().height() + 20);
    layout->addWidget(scroll, 1);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    layout->addWidget(lblStatus);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdSave = new QPushButton(tr("保存(&S)..."), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdClose = new QPushButton(tr("閉じる"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdPaste, &QPushButton::clicked, this, [this] { Paste(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(lstImages, &QListWidget::currentRowChanged, this, [this](int row) { cmdRemove->setEnabled(row >= 0); });
    auto* paste = new QAction(this);
    paste->setShortcut(QKeySequence::Paste);
    paste->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(paste);
    connect(paste, &QAction::triggered, this, [this] { Paste(); });
    auto* remove = new QAction(lstImages);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    lstImages->addAction(remove);
    connect(remove, &QAction::triggered, this, [this] { cmdRemove_Click(); });

    resize(760, 600);
    refresh();
}

iconsource::IcoOptions frmCreate::options() const
{
    iconsource::IcoOptions o;
    o.sizes.clear();
    for (const auto& [size, box] : chkSize)
        if (box->isChecked())
            o.sizes.push_back(size);
    o.depth = opt8->isChecked() ? 8 : opt4->isChecked() ? 4 : 32;
    o.pngForAll = o.depth == 32 && chkPng->isChecked();
    return o;
}

void frmCreate::refresh()
{
    const iconsource::IcoOptions o = options();
    chkPng->setEnabled(o.depth == 32);   // a PNG holds 32 bits
    QString why;
    std::vector<IconPicture> pictures;
    for (const Source& s : m_sources)
        pictures.push_back(s.picture);
    m_prepared.clear();
    if (pictures.empty())
        why = tr("画像を追加してください (ドロップ、貼り付けもできます)。");
    else if (o.sizes.empty())
        why = tr("大きさを 1 つ以上選んでください。");
    else
        m_prepared = iconsource::prepareIcoImages(pictures, o, &why);
    static_cast<PreviewStrip*>(picPreview)->setImages(m_prepared);
    lblStatus->setText(m_prepared.empty() ? why
                                          : tr("%1 個の画像を保存します。").arg(m_prepared.size()));
    cmdSave->setEnabled(!m_prepared.empty());
}

void frmCreate::cannotUse(const QString& file, const QString& why)
{
    platform().messages->show(
        this, message(tr("画像として使えません。\n\n%1\n\n%2").arg(file, why), MsgIcon::Exclamation));
}

void frmCreate::AddPicture(const IconPicture& picture, const QString& name)
{
    if (picture.isNull()) {
        cannotUse(name, tr("画像がありません。"));
        return;
    }
    m_sources.push_back({picture, name});
    const QSize s = picture.size();
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(picture.render(32))),
                                     QStringLiteral("%1  (%2 × %3%4)").arg(name).arg(s.width()).arg(s.height())
                                         .arg(picture.isScalable() ? QStringLiteral(", SVG") : QString()),
                                     lstImages);
    lstImages->setCurrentItem(item);
    refresh();
}

void frmCreate::AddFiles(const std::vector<StoredPath>& paths)
{
    trap([&] {
        for (const StoredPath& path : paths) {
            if (m_firstFile.isEmpty())
                m_firstFile = path;
            QString why;
            const auto bytes = readFile(path, why);
            if (!bytes) {
                cannotUse(path.shown(), why);
                continue;
            }
            IconPicture picture = IconPicture::fromData(*bytes, &why);
            if (!picture.isNull()) {
                AddPicture(picture, path.fileName());
                continue;
            }
            // An icon file or a program: the images of its first group, each a picture.
            const auto file = iconsource::IconFile::fromData(*bytes);
            if (file.count() == 0) {
                cannotUse(path.shown(), why);
                continue;
            }
            for (const iconsource::GroupEntry& entry : file.entries(0)) {
                const QImage image = iconsource::decodeEntry(entry);
                if (!image.isNull())
                    AddPicture(IconPicture(image), QStringLiteral("%1 (%2)").arg(path.fileName()).arg(image.width()));
            }
        }
    });
}

void frmCreate::cmdAdd_Click()
{
    trap([&] {
        if (const auto chosen = platform().files->openFile(this, tr(PictureFilter)))
            AddFiles({StoredPath::fromText(*chosen)});
    });
}

void frmCreate::cmdRemove_Click()
{
    trap([&] {
        const int row = lstImages->currentRow();
        if (row < 0 || row >= int(m_sources.size()))
            return;
        m_sources.erase(m_sources.begin() + row);
        delete lstImages->takeItem(row);
        refresh();
    });
}

void frmCreate::addData(const QMimeData* data)
{
    if (!data)
        return;
    std::vector<StoredPath> files;
    for (const QUrl& url : data->urls())
        if (const StoredPath p = StoredPath::fromUrl(url); !p.isEmpty())
            files.push_back(p);
    if (!files.empty()) {
        AddFiles(files);
        return;
    }
    // A picture's own bytes where they come with it (an SVG keeps its drawing), else the image.
    for (const QString& type : {QStringLiteral("image/svg+xml"), QStringLiteral("image/png")}) {
        if (data->hasFormat(type)) {
            QString why;
            const IconPicture picture = IconPicture::fromData(data->data(type), &why);
            if (picture.isNull())
                cannotUse(tr("クリップボード"), why);
            else
                AddPicture(picture, tr("貼り付けた画像"));
            return;
        }
    }
    if (data->hasImage()) {
        AddPicture(IconPicture(qvariant_cast<QImage>(data->imageData())), tr("貼り付けた画像"));
        return;
    }
    cannotUse(tr("クリップボード"), tr("画像がありません。"));
}

void frmCreate::Paste()
{
    trap([&] { addData(QGuiApplication::clipboard()->mimeData()); });
}

void frmCreate::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls() || e->mimeData()->hasImage())
        e->acceptProposedAction();
}

void frmCreate::dropEvent(QDropEvent* e)
{
    trap([&] {
        e->acceptProposedAction();
        addData(e->mimeData());
    });
}

void frmCreate::cmdSave_Click()
{
    trap([&] {
        if (m_prepared.empty())
            return;
        SaveFileRequest request;
        request.title = tr("アイコンを作成");
        request.folder = m_firstFile.isEmpty() ? QDir::homePath() : m_firstFile.folder().shown();
        request.name = (m_firstFile.isEmpty() ? QStringLiteral("icon") : QFileInfo(m_firstFile.fileName()).completeBaseName())
                       + QStringLiteral(".ico");
        //: A save-file dialog's filter, "name|patterns": keep the | and the pattern.
        request.filter = tr("アイコン|*.ico");
        const auto saved = platform().files->saveFile(this, request);
        if (!saved)
            return;
        QString why;
        const QByteArray bytes = iconsource::writeIco(m_prepared, &why);
        if (bytes.isEmpty())
            why = tr("アイコンを作れません。\n\n") + why;
        else
            why = IconExport::WriteWhole(StoredPath::fromText(saved->path), bytes);
        if (!why.isEmpty()) {
            platform().messages->show(
                this, message(tr("ファイルを保存できませんでした。\n\n%1\n\n%2").arg(saved->path, why), MsgIcon::Critical));
            return;
        }
        lblStatus->setText(tr("保存しました: %1").arg(saved->path));
    });
}

} // namespace zor
