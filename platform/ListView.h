#pragma once
// A list view in the manner of the classic list-view control: items numbered from 1,
// each with a text and an image number into the attached large or small image list.
// Large icons are icon mode (0), small icons list mode (2).
#include <QAbstractListModel>
#include <QListView>
#include <functional>
#include <vector>

class QDrag;
class QMimeData;

namespace zor {

class ImageList;

struct ListItem {
    QString text;
    int largeImage = 0;
    int smallImage = 0;
};

class ListItemModel : public QAbstractListModel {
    Q_OBJECT
public:
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    std::vector<ListItem> items;
    const ImageList* icons = nullptr;
    const ImageList* smallIcons = nullptr;
    bool large = true;
    void reset(const std::function<void()>& change);
};

class ListView : public QListView {
    Q_OBJECT
public:
    enum ViewMode { lvwIcon = 0, lvwList = 2 };

    explicit ListView(QWidget* parent = nullptr);

    void setIcons(const ImageList* list);        // large image list, or nullptr to detach
    void setSmallIcons(const ImageList* list);   // small image list, or nullptr to detach
    const ImageList* icons() const { return m_model.icons; }
    const ImageList* smallIcons() const { return m_model.smallIcons; }

    int itemCount() const { return int(m_model.items.size()); }
    const ListItem& item(int index) const;       // 1-based; outside the list raises error 35600
    void addItems(std::vector<ListItem> items);  // one batch, one layout
    void clearItems();

    int view() const { return m_view; }
    void setView(int mode);

    int selectedIndex() const;                   // 1-based, 0 = none
    void selectItem(int index);                  // 1-based, 0 = none
    void deselect() { selectItem(0); }

    // Hooks for the window's handlers.
    std::function<void(int index)> onItemClick;
    std::function<void()> onDblClick;
    std::function<void(Qt::MouseButton button, QPoint pos)> onMouseUp;
    std::function<bool(const QMimeData*)> onDragOver;   // true: accept a copy
    std::function<void(const QMimeData*)> onDragDrop;
    // What dragging item index out of the list carries; null: nothing is dragged.
    std::function<QMimeData*(int index)> onDragOut;
    // Runs a drag out (QDrag::exec); replaceable where no real drag can run.
    std::function<Qt::DropAction(QDrag&)> runDrag;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void applyView();
    ListItemModel m_model;
    int m_view = lvwIcon;
    int m_pressedRow = -1;
    bool m_draggingOut = false;   // a drop during our own drag is that drag coming back
};

} // namespace zor
