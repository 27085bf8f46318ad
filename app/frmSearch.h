#pragma once
// The search window: every icon of every icon source in a folder tree, listed while the
// search runs on threads of its own. A found icon opens in the main window.
#include "platform/iconsource/IconSearch.h"
#include "platform/iconsource/StoredPath.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractItemView;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QMimeData;
class QPushButton;
class QToolButton;
class QTreeView;

namespace zor {

class FoundIconModel;
class FoundShown;
class SearchSession;

class frmSearch : public QWidget {
    Q_OBJECT
public:
    explicit frmSearch(QWidget* owner);
    ~frmSearch() override;

    // The folder the next search looks in.
    void setFolder(const StoredPath& folder);

    void cmdSearch_Click();   // starts a search with the choices shown
    void cmdStop_Click();     // "中止": stops at once, keeps what was found
    void cmdBrowse_Click();
    void Results_Activated(int row);   // double-click or Enter on a result (proxy row)
    void Results_ContextMenu(const QPoint& pos);
    void MSOpen_Click();      // as a double-click
    void MSbig_Click();       // the enlarged view over the icons found in the file
    void MSSave_Click();
    void MSCopy_Click();
    void MSInfo_Click();
    void MSFolder_Click();    // the file manager at the selected files
    void MSLibrary_Click();   // the selected icons into one icon library

    enum class View { Large, Small, Details };
    void SetView(View view);
    void SetLarge(bool large) { SetView(large ? View::Large : View::Small); }
    View view() const { return m_view; }
    // The list the view shows: lstResults, or tvwResults in details.
    QAbstractItemView* results() const;

    bool running() const;
    int foundCount() const;   // icons found by the last search, whatever the filter shows
    int shownCount() const;   // of these, the ones the filter keeps

    QLineEdit* txtFolder = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QCheckBox* chkSubFolders = nullptr;
    QCheckBox* chkIconFiles = nullptr;
    QCheckBox* chkLibraries = nullptr;
    QCheckBox* chkPrograms = nullptr;
    QCheckBox* chkAllFiles = nullptr;
    QComboBox* cboMinSize = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdStop = nullptr;
    QLineEdit* txtFilter = nullptr;
    QToolButton* cmdLarge = nullptr;
    QToolButton* cmdSmall = nullptr;
    QToolButton* cmdDetails = nullptr;
    QListView* lstResults = nullptr;
    QTreeView* tvwResults = nullptr;
    QLabel* lblProgress = nullptr;
    QMenu* pop = nullptr;
    QAction* MSOpen = nullptr;
    QAction* MSbig = nullptr;
    QAction* MSSave = nullptr;
    QAction* MSCopy = nullptr;
    QAction* MSInfo = nullptr;
    QAction* MSFolder = nullptr;
    QAction* MSLibrary = nullptr;
    QAction* MSLarge = nullptr;
    QAction* MSSmall = nullptr;
    QAction* MSDetails = nullptr;

    // The found icon behind a row of the list as shown.
    struct Found {
        StoredPath path;
        int index = -1;
    };
    Found foundAt(int row) const;
    // The selected found icons in the order shown, and which of them is the current one
    // (-1 when it is not selected).
    std::vector<Found> selectedFound(int* current = nullptr) const;

Q_SIGNALS:
    // A found icon to open: its file and its number in the file.
    void OpenIcon(const zor::StoredPath& path, int index);

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void searchEnded(bool rootListed);
    void showProgress();
    void showCount();
    void enableControls();
    void widenColumns(const std::vector<iconsource::FoundFile>& files);
    QString endedText() const;
    QString iconCount() const;
    QMimeData* dragData();

    SearchSession* m_session = nullptr;
    FoundIconModel* m_model = nullptr;
    FoundShown* m_shown = nullptr;
    StoredPath m_folder;     // what the folder box shows
    QByteArray m_searched;   // the folder of the last search
    // How the search ended, once it has: whether the folder could be listed, and the counts then.
    struct Ended {
        bool rootListed = true;
        iconsource::SearchProgress progress;
    };
    std::optional<Ended> m_ended;
    bool m_cancelled = false;
    int m_menuRow = -1;   // the row the context menu acts on, -1 for none
    View m_view = View::Large;
};

} // namespace zor
