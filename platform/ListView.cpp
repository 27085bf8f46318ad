#include "platform/ListView.h"

#include "platform/ImageList.h"
#include "platform/Platform.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QScrollBar>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace zor {

namespace {
// The list control's designed icon spacing, the same in every locale and font: a font whose
// average character is full-width (as Japanese ones are) must not halve the columns.
constexpr int IconCellWidth = 75;
constexpr int IconCellGap = 4;
} // namespace

// Every item has the size the view measured once for the mode; in icon mode the text is
// the label broken over its two lines, which the style then draws as it stands.
class ItemDelegate : public QStyledItemDelegate {
public:
    explicit ItemDelegate(ListView* view) : QStyledItemDelegate(view), m_view(view) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return m_view->itemSize(); }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // In list mode an item is highlighted as far as its own name goes, not the column's width.
        QStyleOptionViewItem own = option;
        if (m_view->view() == ListView::lvwList)
            own.rect.setWidth(std::min(option.rect.width(), naturalSize(option, index).width()));
        QStyledItemDelegate::paint(painter, own, index);
    }
    QSize naturalSize(const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        return QStyledItemDelegate::sizeHint(option, index);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_view->view() == ListView::lvwIcon) {
            option->text = m_view->iconLabel(option->text).replace(QLatin1Char('\n'), QChar::LineSeparator);
            option->features &= ~QStyleOptionViewItem::WrapText;
            option->textElideMode = Qt::ElideNone;
        }
    }

private:
    ListView* m_view;
};

int ListItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(items.size());
}

QVariant ListItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(items.size()))
        return {};
    const ListItem& it = items[size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return it.text;
    if (role == Qt::DecorationRole) {
        const ImageList* list = large ? icons : smallIcons;
        const int k = large ? it.largeImage : it.smallImage;
        if (list && k >= 1 && k <= list->count())
            return list->display(k);
    }
    return {};
}

Qt::ItemFlags ListItemModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}

void ListItemModel::reset(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
}

ListView::ListView(QWidget* parent) : QListView(parent)
{
    setModel(&m_model);
    setItemDelegate(new ItemDelegate(this));
    setUniformItemSizes(true);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    // Shift and Ctrl choose several; a plain click, the keys and a right click one, as ever.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setTextElideMode(Qt::ElideRight);
    applyView();
}

void ListView::setIcons(const ImageList* list)
{
    m_model.reset([&] { m_model.icons = list; });
}

void ListView::setSmallIcons(const ImageList* list)
{
    m_model.reset([&] { m_model.smallIcons = list; });
}

const ListItem& ListView::item(int index) const
{
    if (index < 1 || index > itemCount())
        throw RuntimeError(35600, "index out of bounds");
    return m_model.items[size_t(index - 1)];
}

void ListView::addItems(std::vector<ListItem> items)
{
    if (items.empty())
        return;
    forgetItemSize();
    m_model.reset([&] {
        if (m_model.items.empty())
            m_model.items = std::move(items);
        else
            m_model.items.insert(m_model.items.end(), items.begin(), items.end());
    });
}

void ListView::clearItems()
{
    forgetItemSize();
    m_model.reset([&] { m_model.items.clear(); });
    // Every load starts at the top, wherever the last list was scrolled.
    scrollToTop();
    horizontalScrollBar()->setValue(0);
}

void ListView::setView(int mode)
{
    m_view = mode == lvwList ? lvwList : lvwIcon;
    applyView();
}

void ListView::applyView()
{
    const bool large = m_view == lvwIcon;
    forgetItemSize();
    // Only the pictures change: the items and the selection stay.
    m_model.large = large;
    if (itemCount() > 0)
        Q_EMIT m_model.dataChanged(m_model.index(0), m_model.index(itemCount() - 1), {Qt::DecorationRole});
    if (large) {
        setViewMode(QListView::IconMode);
        setFlow(QListView::LeftToRight);
        setWrapping(true);
        setIconSize(QSize(32, 32));
        setGridSize(itemSize() + QSize(IconCellGap, IconCellGap));
    } else {
        setViewMode(QListView::ListMode);
        setFlow(QListView::TopToBottom);
        setWrapping(true);
        setIconSize(QSize(16, 16));
        setGridSize(QSize());
    }
    setWordWrap(false);   // the icon labels are broken here, not by the style
    // The view modes reset these; they must stay as the control was designed.
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setAcceptDrops(true);
}

void ListView::forgetItemSize()
{
    m_itemSize = QSize();
}

QSize ListView::itemSize() const
{
    if (m_itemSize.isValid())
        return m_itemSize;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    if (m_view == lvwIcon) {
        // A fixed cell, as on the desktop: the icon over two lines of text, as high as the
        // lines are in the fonts that Latin and Japanese names fall back to.
        const QString line = QStringLiteral("Xgアイ漢");
        option.text = line + QChar::LineSeparator + line;
        option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
        option.decorationSize = iconSize();
        const QSize natural = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
        m_itemSize = QSize(IconCellWidth - IconCellGap, natural.height());
    } else {
        // One width for every column, that of the widest name, as the list view control does.
        const QFontMetrics metrics(font());
        int widest = 0;
        int most = -1;
        for (int row = 0; row < itemCount(); ++row) {
            const int advance = metrics.horizontalAdvance(m_model.items[size_t(row)].text);
            if (advance > most) {
                most = advance;
                widest = row;
            }
        }
        const auto* delegate = static_cast<const ItemDelegate*>(itemDelegate());
        m_itemSize = itemCount() > 0 ? delegate->naturalSize(option, m_model.index(widest)) : QSize(1, 1);
    }
    return m_itemSize;
}

namespace {
// Where a label line may end: after "_", "-", "." or a space, or between two characters of
// a script written without spaces.
bool breaksAfter(const QString& text, int at)
{
    const QChar c = text.at(at - 1);
    if (c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char(' '))
        return true;
    const auto wide = [](QChar ch) { return ch.unicode() >= 0x2e80; };
    // Brackets and stops stay with what they open or close.
    static const QString closing = QStringLiteral("）」』】〕、。，．・ー");
    static const QString opening = QStringLiteral("（「『【〔");
    return at < text.size() && wide(c) && wide(text.at(at)) && !closing.contains(text.at(at)) && !opening.contains(c);
}
// The most characters from the start (or, with fromEnd, the end) of text that fit width.
// The width of a part only grows with it, so halving finds it in a few measures: a label is
// made for every item as it comes into view.
int fitting(const QFontMetrics& metrics, const QString& text, int width, bool fromEnd = false)
{
    int fits = 0, over = int(text.size()) + 1;
    while (over - fits > 1) {
        const int mid = (fits + over) / 2;
        if (metrics.horizontalAdvance(fromEnd ? text.right(mid) : text.left(mid)) <= width)
            fits = mid;
        else
            over = mid;
    }
    return fits;
}
} // namespace

// The first line of text that fits width: up to the last place it may break, else as much as
// fits. Never empty while text is not.
int ListView::lineEnd(const QString& text, int width) const
{
    const int fits = fitting(QFontMetrics(font()), text, width);
    if (fits >= text.size())
        return int(text.size());
    for (int at = fits; at > 0; --at)
        if (breaksAfter(text, at))
            return at;
    return std::max(fits, 1);
}

QStringList ListView::wrapped(const QString& text, int width) const
{
    QStringList lines;
    for (QString rest = text; !rest.isEmpty();) {
        const int end = lineEnd(rest, width);
        QString line = rest.left(end);
        rest = rest.mid(end);
        while (line.size() > 1 && line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        lines << line;
    }
    return lines;
}

int ListView::labelWidth() const
{
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return itemSize().width() - 2 * margin;
}

QString ListView::iconLabel(const QString& text) const
{
    // Two lines, broken where a name breaks; beyond them the rest is cut in its middle, so
    // that the end that tells names apart (a number, the extension) stays in sight.
    const int width = labelWidth();
    const QStringList lines = wrapped(text, width);
    if (lines.size() <= 2)
        return lines.join(QLatin1Char('\n'));
    // Two lines still, if the first breaks where the rest then fits, a break of the name's
    // own first; inside a word only when nothing else gives two.
    const QFontMetrics metrics(font());
    const int fits = fitting(metrics, text, width);
    auto restFits = [&](int at) { return metrics.horizontalAdvance(text.mid(at).trimmed()) <= width; };
    for (int at = fits; at > 0; --at)
        if (breaksAfter(text, at) && restFits(at))
            return text.left(at).trimmed() + QLatin1Char('\n') + text.mid(at).trimmed();
    if (fits > 0 && restFits(fits))
        return text.left(fits) + QLatin1Char('\n') + text.mid(fits);
    // Else the second line is the name's end, as much of it as fits; the first its start, cut.
    const int tail = fitting(metrics, text, width, true);
    const QString head = metrics.elidedText(text.left(text.size() - tail) + QStringLiteral("…"), Qt::ElideRight, width);
    QString first = head.endsWith(QStringLiteral("…")) ? head : text.left(text.size() - tail) + QStringLiteral("…");
    return first + QLatin1Char('\n') + text.right(tail);
}

QString ListView::label(int index) const
{
    const QString& text = item(index).text;
    return m_view == lvwIcon ? iconLabel(text) : text;
}

int ListView::selectedIndex() const
{
    if (!selectionModel())
        return 0;
    // Of several, the current one: the one the keys and the last click reached.
    if (currentIndex().isValid() && selectionModel()->isSelected(currentIndex()))
        return currentIndex().row() + 1;
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

std::vector<int> ListView::selectedItems() const
{
    std::vector<int> out;
    if (selectionModel())
        for (const QModelIndex& mi : selectionModel()->selectedIndexes())
            out.push_back(mi.row() + 1);
    std::sort(out.begin(), out.end());
    return out;
}

void ListView::selectItem(int index)
{
    if (!selectionModel())
        return;
    if (index < 1 || index > itemCount()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex mi = m_model.index(index - 1);
    selectionModel()->select(mi, QItemSelectionModel::ClearAndSelect);
    setCurrentIndex(mi);
}

void ListView::chooseCurrent()
{
    const QModelIndex mi = currentIndex();
    if (!mi.isValid())
        return;
    if (!selectionModel()->isSelected(mi))
        selectionModel()->select(mi, QItemSelectionModel::ClearAndSelect);
    Q_EMIT ItemClick(mi.row() + 1);
}

void ListView::contextMenuAtCurrent()
{
    QPoint pos;
    const QModelIndex mi = currentIndex();
    if (mi.isValid()) {
        chooseCurrent();
        scrollTo(mi);
        pos = visualRect(mi).center();
    }
    Q_EMIT ContextMenu(pos);
}

void ListView::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier)) {
        contextMenuAtCurrent();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && currentIndex().isValid()) {
        chooseCurrent();
        Q_EMIT DblClick();
        return;
    }
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(e);
    if (!currentIndex().isValid() || currentIndex() == before)
        return;
    // Ctrl moves the current item past the chosen ones without choosing it alone.
    if (e->modifiers() & Qt::ControlModifier)
        Q_EMIT ItemClick(currentIndex().row() + 1);
    else
        chooseCurrent();
}

void ListView::paintEvent(QPaintEvent* e)
{
    QListView::paintEvent(e);
    // The current item's whole name, over its neighbours, as a desktop's icon view shows it.
    const QModelIndex mi = currentIndex();
    if (m_view != lvwIcon || !mi.isValid() || !hasFocus())
        return;
    const QString& text = m_model.items[size_t(mi.row())].text;
    const QStringList lines = wrapped(text, labelWidth());
    if (lines.size() <= 2)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(mi);
    option.text = iconLabel(text);
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    option.decorationSize = iconSize();
    const QRect textRect = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    const int lineHeight = QFontMetrics(font()).lineSpacing();
    const QRect whole(option.rect.left(), textRect.top(), option.rect.width(), lineHeight * int(lines.size()) + 2);
    QPainter p(viewport());
    const bool selected = selectionModel()->isSelected(mi);
    p.fillRect(whole, palette().brush(selected ? QPalette::Highlight : QPalette::Base));
    p.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    p.setFont(font());
    p.drawText(whole.adjusted(0, 1, 0, 0), Qt::AlignHCenter | Qt::AlignTop, lines.join(QLatin1Char('\n')));
}

QString ListView::shownLabel(int index) const
{
    const QString& text = item(index).text;
    if (m_view == lvwIcon && index == currentIndex().row() + 1 && hasFocus())
        return wrapped(text, labelWidth()).join(QLatin1Char('\n'));
    return label(index);
}

void ListView::contextMenuEvent(QContextMenuEvent* e)
{
    // The Menu key as the window system reports it; the mouse's menu opens on the release.
    if (e->reason() == QContextMenuEvent::Keyboard) {
        e->accept();
        contextMenuAtCurrent();
    } else {
        e->ignore();
    }
}

void ListView::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) {
        forgetItemSize();
        applyView();
    }
    QListView::changeEvent(e);
}

void ListView::mousePressEvent(QMouseEvent* e)
{
    QListView::mousePressEvent(e);
    const QModelIndex mi = indexAt(e->position().toPoint());
    m_pressedRow = mi.isValid() ? mi.row() : -1;
}

void ListView::mouseReleaseEvent(QMouseEvent* e)
{
    QListView::mouseReleaseEvent(e);
    const QModelIndex mi = indexAt(e->position().toPoint());
    // A right click chooses its item too, so that the context menu acts on it.
    const bool chooses = e->button() == Qt::LeftButton || e->button() == Qt::RightButton;
    if (chooses && mi.isValid() && mi.row() == m_pressedRow)
        Q_EMIT ItemClick(mi.row() + 1);
    Q_EMIT MouseUp(e->button(), e->position().toPoint());
}

void ListView::mouseDoubleClickEvent(QMouseEvent* e)
{
    QListView::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton)
        Q_EMIT DblClick();
}

void ListView::dragEnterEvent(QDragEnterEvent* e)
{
    dragMoveEvent(e);
}

void ListView::dragMoveEvent(QDragMoveEvent* e)
{
    // Only a copy is offered, and only for what the window accepts; never our own item back.
    bool accept = false;
    if (!m_draggingOut && e->source() != this)
        Q_EMIT DragOver(e->mimeData(), &accept);
    if (accept) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void ListView::dropEvent(QDropEvent* e)
{
    if (m_draggingOut || e->source() == this) {
        e->ignore();
        return;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    Q_EMIT DragDrop(e->mimeData());
}

void ListView::startDrag(Qt::DropActions)
{
    const int row = m_pressedRow >= 0 ? m_pressedRow : currentIndex().row();
    if (row < 0 || row >= itemCount())
        return;
    QMimeData* data = nullptr;
    Q_EMIT DragOut(row + 1, &data);
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const QPixmap picture = m_model.data(m_model.index(row), Qt::DecorationRole).value<QPixmap>();
    if (!picture.isNull()) {
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2));
    }
    m_draggingOut = true;
    if (runDrag) {
        runDrag(*drag);
        delete drag;
    } else {
        // Qt deletes the drag itself, after a drop target has taken the data it asked for.
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    }
    m_draggingOut = false;
}

} // namespace zor
