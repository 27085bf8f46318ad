#include "dialogs/frmIconInfo.h"

#include "platform/FileList.h"

#include "dialogs/IconCommands.h"
#include "platform/Platform.h"

#include <QAction>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QScreen>
#include <QVBoxLayout>

namespace zor {

namespace {

// The reader's own bound for files it cannot map.

// A cell of the image list: the image at its own size, standing on one line with the
// others, its facts centred below.
class ImageCell : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int imageBand = 0;   // the tallest image

    static QPixmap pictureOf(const QModelIndex& index) { return index.data(Qt::DecorationRole).value<QPixmap>(); }
    static QSize textSize(const QFontMetrics& fm, const QString& text)
    {
        return fm.boundingRect(QRect(0, 0, 4096, 4096), Qt::AlignHCenter, text).size();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize text = textSize(option.fontMetrics, index.data().toString());
        return {std::max(pictureOf(index).width(), text.width()) + 16, imageBand + text.height() + 18};
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const QPixmap picture = pictureOf(index);
        const bool selected = option.state & QStyle::State_Selected;
        if (selected) {
            QColor band = option.palette.highlight().color();
            band.setAlpha(48);
            p->fillRect(r, band);
        }
        p->drawPixmap(r.x() + (r.width() - picture.width()) / 2, r.y() + 6 + imageBand - picture.height(), picture);
        const QString text = index.data().toString();
        const QSize size = textSize(option.fontMetrics, text);
        const QRect textRect(r.x() + (r.width() - size.width()) / 2 - 3, r.y() + imageBand + 10, size.width() + 6, size.height() + 2);
        if (selected)
            p->fillRect(textRect, option.palette.highlight());
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(textRect, Qt::AlignCenter, text);
    }
};

QString languageText(int language)
{
    const QString hex = QStringLiteral("0x%1").arg(language, 4, 16, QLatin1Char('0'));
    return language == 0 ? frmIconInfo::tr("ニュートラル (%1)").arg(hex) : hex;
}

} // namespace

frmIconInfo::frmIconInfo(QWidget* owner, IconOfFile icon) : QDialog(owner), m_icon(std::move(icon))
{
    setObjectName(QStringLiteral("frmIconInfo"));
    setWindowTitle(tr("アイコンの情報"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);

    const iconsource::IconFile& file = IconExport::Source(m_icon);
    m_entries = file.entries(m_icon.index);

    auto* form = new QFormLayout;
    txtPath = new QLineEdit(m_icon.path.shown(), this);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    txtPath->setReadOnly(true);
    txtPath->setCursorPosition(0);
    form->addRow(tr("ファイル:"), txtPath);
    lblIcon = new QLabel(tr("%1（画像 %2 個）").arg(m_icon.index).arg(m_entries.size()), this);
    lblIcon->setObjectName(QStringLiteral("lblIcon"));
    form->addRow(tr("アイコンの番号:"), lblIcon);

    // Programs and libraries name their groups.
    if (const iconsource::GroupName name = file.groupName(m_icon.index); !name.name.isEmpty()) {
        lblResource = new QLabel(name.name, this);
        lblResource->setObjectName(QStringLiteral("lblResource"));
        lblResource->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(tr("リソース名:"), lblResource);
        if (name.language >= 0) {
            lblLanguage = new QLabel(languageText(name.language), this);
            lblLanguage->setObjectName(QStringLiteral("lblLanguage"));
            form->addRow(tr("言語:"), lblLanguage);
        }
    }

    // Every image at its own size; only what the screen cannot hold is scaled down.
    const QRect screen = (owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const int fit = std::max(64, std::min(screen.width() - 120, screen.height() - 260));
    Images = new QListWidget(this);
    Images->setObjectName(QStringLiteral("Images"));
    Images->setViewMode(QListView::IconMode);
    Images->setFlow(QListView::LeftToRight);
    Images->setWrapping(false);
    Images->setResizeMode(QListView::Adjust);
    Images->setMovement(QListView::Static);
    Images->setSpacing(8);
    Images->setSelectionMode(QAbstractItemView::SingleSelection);
    Images->setUniformItemSizes(false);
    Images->setWordWrap(false);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    auto* cells = new ImageCell(Images);
    Images->setItemDelegate(cells);
    int largest = -1;
    qint64 largestArea = -1;
    for (int i = 0; i < int(m_entries.size()); ++i) {
        const iconsource::GroupEntry& e = m_entries[size_t(i)];
        const IconExport::EntryFacts facts = IconExport::Describe(e);
        QImage image = iconsource::decodeEntry(e);
        if (!image.isNull() && (image.width() > fit || image.height() > fit))
            image = image.scaled(fit, fit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QString format = facts.png ? QStringLiteral("PNG") : QStringLiteral("BMP");
        QString text = tr("%1 × %2\n%3 ビット・%4\n%5 バイト")
                           .arg(facts.size.width()).arg(facts.size.height())
                           .arg(facts.depth).arg(format, japanese.toString(qlonglong(facts.bytes)));
        auto* item = new QListWidgetItem(text, Images);
        if (image.isNull())
            item->setText(text + tr("\n（読み込めません）"));
        else
            item->setData(Qt::DecorationRole, QPixmap::fromImage(image));
        item->setData(Qt::UserRole, i);
        cells->imageBand = std::max(cells->imageBand, image.height());
        const qint64 area = qint64(facts.size.width()) * facts.size.height();
        if (area > largestArea) {
            largestArea = area;
            largest = i;
        }
    }

    // One row on one line, as wide as the screen allows; a wider one scrolls.
    const int spacing = Images->spacing();
    int width = 0, height = 0;
    QStyleOptionViewItem option;
    option.initFrom(Images);
    for (int i = 0; i < Images->count(); ++i) {
        const QSize cell = cells->sizeHint(option, Images->model()->index(i, 0));
        width += cell.width() + spacing;
        height = std::max(height, cell.height() + 2 * spacing);
    }
    const int frame = 2 * Images->frameWidth();
    const int bar = Images->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    Images->setMinimumSize(std::min(width + spacing, screen.width() - 120) + frame, height + bar + frame);

    cmdSave = new QPushButton(tr("保存(&S)..."), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setToolTip(tr("選んだ画像を PNG 画像、BMP 画像またはアイコンとして保存します"));
    cmdClose = new QPushButton(tr("閉じる"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addStretch();
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Images, 1);
    layout->addLayout(buttons);

    popImage = new QMenu(this);
    popImage->setObjectName(QStringLiteral("popImage"));
    MICopy = popImage->addAction(tr("コピー(&C)"));
    MICopy->setObjectName(QStringLiteral("MICopy"));
    MICopy->setShortcut(QKeySequence::Copy);
    MICopy->setShortcutContext(Qt::WidgetShortcut);
    Images->addAction(MICopy);   // Ctrl+C where the images have the focus
    MISave = popImage->addAction(tr("保存(&S)..."));
    MISave->setObjectName(QStringLiteral("MISave"));
    Images->setContextMenuPolicy(Qt::CustomContextMenu);

    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(MICopy, &QAction::triggered, this, [this] { MICopy_Click(); });
    connect(MISave, &QAction::triggered, this, [this] { cmdSave_Click(); });
    connect(Images, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        trap([&] {
            if (!Images->itemAt(at))
                return;
            popImage->popup(Images->viewport()->mapToGlobal(at));
        });
    });
    connect(Images, &QListWidget::itemSelectionChanged, this, [this] {
        const bool chosen = !Images->selectedItems().isEmpty();
        cmdSave->setEnabled(chosen);
        MICopy->setEnabled(chosen);
        MISave->setEnabled(chosen);
    });
    connect(Images, &QListWidget::itemDoubleClicked, this, [this] { cmdSave_Click(); });
    if (largest >= 0)
        Images->setCurrentRow(largest);
    for (QAction* a : {MICopy, MISave})
        a->setEnabled(largest >= 0);
    cmdSave->setEnabled(largest >= 0);
    Images->setFocus();   // the images are what Ctrl+C copies
}

void frmIconInfo::Open(QWidget* owner, IconOfFile icon)
{
    frmIconInfo dialog(owner, std::move(icon));
    platform().dialogs->exec(dialog);
}

void frmIconInfo::cmdSave_Click()
{
    trap([&] {
        const auto selected = Images->selectedItems();
        if (selected.isEmpty())
            return;
        const int i = selected.first()->data(Qt::UserRole).toInt();
        IconCommands::SaveImage(this, m_icon, m_entries[size_t(i)]);
    });
}

void frmIconInfo::MICopy_Click()
{
    trap([&] {
        const auto selected = Images->selectedItems();
        if (selected.isEmpty())
            return;
        IconCommands::CopyImage(this, m_entries[size_t(selected.first()->data(Qt::UserRole).toInt())]);
    });
}

} // namespace zor
