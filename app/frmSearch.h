#pragma once
// The search window: every icon of every icon source in a folder tree, listed while the
// search runs on threads of its own. A found icon opens in the main window.
#include "platform/iconsource/StoredPath.h"

#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QSortFilterProxyModel;
class QToolButton;

namespace zor {

class FoundIconModel;
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
    void MSbig_Click();       // the enlarged view over the icons found in the file
    void MSSave_Click();
    void MSCopy_Click();
    void MSFolder_Click();    // the file manager at the file
    void SetLarge(bool large);

    bool running() const;
    int foundCount() const;   // icons found by the last search, whatever the filter shows

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
    QListView* lstResults = nullptr;
    QLabel* lblProgress = nullptr;
    QMenu* pop = nullptr;
    QAction* MSbig = nullptr;
    QAction* MSSave = nullptr;
    QAction* MSCopy = nullptr;
    QAction* MSFolder = nullptr;
    QAction* MSLarge = nullptr;
    QAction* MSSmall = nullptr;

    // The found icon behind a row of the list as shown.
    struct Found {
        StoredPath path;
        int index = -1;
    };
    Found foundAt(int row) const;

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
    QString endedText(bool rootListed) const;

    SearchSession* m_session = nullptr;
    FoundIconModel* m_model = nullptr;
    QSortFilterProxyModel* m_shown = nullptr;
    StoredPath m_folder;     // what the folder box shows
    QByteArray m_searched;   // the folder of the last search
    QString m_ended;         // what the progress line says once the search is over
    bool m_cancelled = false;
    int m_menuRow = -1;   // the row the context menu acts on, -1 for none
};

} // namespace zor
