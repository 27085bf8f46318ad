#pragma once
// A list view in the manner of the classic list-view control: items numbered from 1,
// each with a text and an image number into the attached large or small image list.
// Large icons are icon mode (0), small icons list mode (2). Every name is shown whole in
// list mode; in icon mode it wraps over up to two lines under the icon and is cut only after that.
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

    int selectedIndex() const;                   // 1-based, 0 = none; of several, the current one
    std::vector<int> selectedItems() const;      // 1-based, in list order
    void selectItem(int index);                  // 1-based, 0 = none
    void deselect() { selectItem(0); }

    // Item `index` (1-based) as the view shows it: lines joined by '\n', a name beyond two
    // lines cut in its middle with "…"; and as it shows now, the current item's whole.
    QString label(int index) const;
    QString shownLabel(int index) const;

    // Runs a drag out (QDrag::exec); replaceable where no real drag can run.
    std::function<Qt::DropAction(QDrag&)> runDrag;

Q_SIGNALS:
    // The window's handlers hear these. The keyboard takes the mouse's routes: an item reached
    // with the keys or right-clicked is clicked, Enter double-clicks the current item, and
    // the Menu key or Shift+F10 asks for the context menu at the current item.
    void ItemClick(int index);
    void DblClick();
    void MouseUp(Qt::MouseButton button, QPoint pos);
    void ContextMenu(QPoint pos);   // from the keyboard; pos in the viewport
    // Something dragged over the list: set *accept to take a copy of it.
    void DragOver(const QMimeData* data, bool* accept);
    void DragDrop(const QMimeData* data);
    // What dragging item index out of the list carries: set *data; left null, nothing is dragged.
    void DragOut(int index, QMimeData** data);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    friend class ItemDelegate;
    void applyView();
    void chooseCurrent();
    void contextMenuAtCurrent();
    void forgetItemSize();
    QSize itemSize() const;
    QString iconLabel(const QString& text) const;
    int lineEnd(const QString& text, int width) const;
    QStringList wrapped(const QString& text, int width) const;
    int labelWidth() const;

    ListItemModel m_model;
    mutable QSize m_itemSize;   // every item's size in the current mode; invalid = to be measured
    int m_view = lvwIcon;
    int m_pressedRow = -1;
    bool m_draggingOut = false;   // a drop during our own drag is that drag coming back
};

} // namespace zor
