#include "platform/ListView.h"

#include "platform/ImageList.h"
#include "platform/Platform.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace zor {

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
            return list->image(k);
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
    setUniformItemSizes(true);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setSelectionMode(QAbstractItemView::SingleSelection);
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
    m_model.reset([&] {
        if (m_model.items.empty())
            m_model.items = std::move(items);
        else
            m_model.items.insert(m_model.items.end(), items.begin(), items.end());
    });
}

void ListView::clearItems()
{
    m_model.reset([&] { m_model.items.clear(); });
}

void ListView::setView(int mode)
{
    m_view = mode == lvwList ? lvwList : lvwIcon;
    applyView();
}

void ListView::applyView()
{
    const bool large = m_view == lvwIcon;
    // Only the pictures change: the items and the selection stay.
    m_model.large = large;
    if (itemCount() > 0)
        Q_EMIT m_model.dataChanged(m_model.index(0), m_model.index(itemCount() - 1), {Qt::DecorationRole});
    if (large) {
        setViewMode(QListView::IconMode);
        setFlow(QListView::LeftToRight);
        setWrapping(true);
        setIconSize(QSize(32, 32));
        setGridSize(QSize(75, 64));
        setWordWrap(true);
    } else {
        setViewMode(QListView::ListMode);
        setFlow(QListView::TopToBottom);
        setWrapping(true);
        setIconSize(QSize(16, 16));
        setGridSize(QSize());
        setWordWrap(false);
    }
    // The view modes reset these; they must stay as the control was designed.
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setAcceptDrops(true);
}

int ListView::selectedIndex() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList{};
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
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
    if (e->button() == Qt::LeftButton && mi.isValid() && mi.row() == m_pressedRow && onItemClick)
        onItemClick(mi.row() + 1);
    if (onMouseUp)
        onMouseUp(e->button(), e->position().toPoint());
}

void ListView::mouseDoubleClickEvent(QMouseEvent* e)
{
    QListView::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton && onDblClick)
        onDblClick();
}

void ListView::dragEnterEvent(QDragEnterEvent* e)
{
    dragMoveEvent(e);
}

void ListView::dragMoveEvent(QDragMoveEvent* e)
{
    // Only a copy is offered, and only for what the window accepts; never our own item back.
    if (!m_draggingOut && e->source() != this && onDragOver && onDragOver(e->mimeData())) {
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
    if (onDragDrop)
        onDragDrop(e->mimeData());
}

void ListView::startDrag(Qt::DropActions)
{
    const int row = m_pressedRow >= 0 ? m_pressedRow : currentIndex().row();
    if (row < 0 || row >= itemCount() || !onDragOut)
        return;
    QMimeData* data = onDragOut(row + 1);
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
