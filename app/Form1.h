#pragma once
// The main window: start-up, the path box, the icon list and its view modes, shutdown.
#include "icons/IconExport.h"
#include "platform/FileList.h"
#include "platform/ImageList.h"
#include "platform/ListView.h"
#include "viewer/EnlargedViewSource.h"

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <array>
#include <optional>
#include <vector>

class QAction;
class QActionGroup;
class QComboBox;
class QMenu;
class QMimeData;
class QToolBar;
class QToolButton;

namespace zor {

class HelpWindow;
class frmCreate;
class frmSearch;

// The running program's folder, captured first thing at start-up.
extern QString ProgramFolder;

class Form1 : public QMainWindow, public EnlargedViewSource {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up and shutdown.
    void Form_Load();
    void SplitCommandLine();
    void RestoreWindowSettings();
    void SaveWindowSettings();
    void Form_Resize();
    void Form_Unload();

    // Opening sources.
    void Text1_Click();
    void Text1_KeyDown(int keyCode);
    void MFOpen_Click();
    void MFFoldOpen_Click();
    void RF_Click(int index);
    bool ListView1_OLEDragOver(const QMimeData* data) const;
    void ListView1_OLEDragDrop(const QMimeData* data);
    void FFopen(const StoredPath& path);

    // The path box: its text shows a path; the path itself is kept beside it, so that a
    // name that is not UTF-8 opens as it is stored. A typed text is a path of its own.
    void setPathBox(const StoredPath& path);
    StoredPath pathBox() const;
    StoredPath pastedPath(const StoredPath& typed) const;

    // The icon list and its view modes.
    void FormatList();
    void Atoshori();
    void LorS(const QString& size);
    void MHL_Click();
    void MHS_Click();
    void icongig_Click() { MHL_Click(); }
    void Iconsama_Click() { MHS_Click(); }
    void Toolbar1_ButtonClick(int index);
    void Toolbar1_ButtonMenuClick(int index);
    void ListView1_ItemClick(int index);
    void ListView1_DblClick();
    void ListView1_MouseUp(Qt::MouseButton button, QPoint pos);
    void MPbig_Click() { ListView1_DblClick(); }
    void MFSetWall_Click();
    void MPSetWall_Click() { MFSetWall_Click(); }
    void MFEnd_Click();
    void MVCustom_Click();
    void MVreration_Click();
    void MVUseful_Click();
    void MHHelp_Click();
    void ver_Click();

    // Getting icons out: the selected icon, or every icon of the source.
    void MFSaveIcon_Click();
    void MFSaveAll_Click();
    void MFCopy_Click();
    void MFInfo_Click();
    void MPOpenItem_Click();
    // The icon behind list item index (1-based): its file and number.
    IconOfFile iconOfItem(int index) const;
    // The chosen items' icons, in list order, and where the current one (or index) is among them.
    std::vector<IconOfFile> chosenIcons(int current, int& at) const;
    // Finding icons in a folder tree, in a window of its own.
    void MFSearch_Click();
    // Opens (or raises) the search window on folder; start runs the search at once.
    void OpenSearch(const StoredPath& folder, bool start);
    // Opens path through the path box and selects icon index (from 0) of it.
    void ShowFoundIcon(const StoredPath& path, int index);
    QAction* MFSearch = nullptr;
    frmSearch* searchWindow() const;   // none until first opened, and after it is closed
    // Making an icon file from pictures, in a window of its own, opened (or raised) with images.
    void MFCreate_Click();
    void OpenCreate(const std::vector<StoredPath>& images);
    QAction* MFCreate = nullptr;
    frmCreate* createWindow() const;   // none until first opened, and after it is closed

    // The toolbar's hover images: one of HotList(0..5); others use scheme 0.
    void setHotImageList(int scheme);
    int hotImageList() const { return m_hotScheme; }

    // What the other windows read.
    QComboBox* Text1 = nullptr;
    ListView* ListView1 = nullptr;
    ImageList ImageList1{QSize(32, 32)};
    ImageList ImageList2{QSize(16, 16)};
    int ClickedItem = 0;   // 1-based index of the item last clicked; 0 = none
    Kind SourceKind = Kind::File;   // what the list was last filled from

    // What the enlarged view reads.
    int itemCount() const override;
    QString itemText(int index) const override;
    int selectedItem() const override;
    int clickedItem() const override { return ClickedItem; }
    const ImageList& largeImages() const override { return ImageList1; }
    const ImageList& smallImages() const override { return ImageList2; }
    QString sourcePath() const override;
    Kind sourceKind() const override { return SourceKind; }

    // Commands, named as the menu tree names them.
    QMenu* MFILE = nullptr;
    QAction* MFOpen = nullptr;
    QAction* MFFoldOpen = nullptr;
    std::array<QAction*, 8> RF{};
    QAction* MFSetWall = nullptr;
    QAction* MFEnd = nullptr;
    QMenu* MHyouji = nullptr;
    QAction* MHL = nullptr;
    QAction* MHS = nullptr;
    QAction* MVCustom = nullptr;
    QAction* MVreration = nullptr;
    QAction* MVUseful = nullptr;
    QMenu* MHelp = nullptr;
    QAction* MHHelp = nullptr;
    QAction* ver = nullptr;
    QMenu* pop = nullptr;
    QAction* MPbig = nullptr;
    QAction* MPSetWall = nullptr;
    QAction* icongig = nullptr;
    QAction* Iconsama = nullptr;
    // Entries after the designed ones, in the File menu and in pop.
    QAction* MFSaveIcon = nullptr;
    QAction* MFSaveAll = nullptr;
    QAction* MFCopy = nullptr;
    QAction* MFInfo = nullptr;
    QAction* MPSaveIcon = nullptr;
    QAction* MPSaveAll = nullptr;
    QAction* MPCopy = nullptr;
    QAction* MPInfo = nullptr;
    QAction* MPOpenItem = nullptr;

    QToolBar* Toolbar1 = nullptr;
    // Toolbar buttons by index 1..6 (2 is the path box's placeholder, 4 the separator).
    QToolButton* button(int index) const;
    QMenu* ButtonMenu1 = nullptr;

    std::array<QPixmap, 4> Img4TB;
    // The six hover schemes' images; a scheme's are read when first asked for, as one is in
    // use at a time.
    class HotImages {
    public:
        const std::array<QPixmap, 4>& operator[](size_t scheme) const;

    private:
        mutable std::array<std::optional<std::array<QPixmap, 4>>, 6> m_schemes;
    };
    HotImages HotList;

    FileList File1{QStringLiteral("*.ico;*.cur;*.icl")};   // the folder scan's hidden file list

    StoredPath CommandPaths[21];
    qint16 LastPathIndex = 0;

    QWidget* client() const { return m_client; }
    // The client area's designed size in pixels (7095 x 3990 twips).
    static constexpr QSize DesignedClientSize{473, 266};
    static constexpr int ToolbarHeight = 22;   // 330 twips

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildMenus();
    void buildToolbar();
    void refreshStoredEntries();
    void startFurtherInstance(const StoredPath& path);
    void setBusy(bool busy);
    void openOptions(int tab);
    void buildIconCommands();
    void enableIconCommands();
    void buildSearchCommand();

    QWidget* m_client = nullptr;
    std::array<QToolButton*, 7> m_buttons{};
    QString m_dialogFileName;   // what the open-file dialog holds between openings
    QPointer<HelpWindow> m_help;
    QPointer<frmSearch> m_search;
    QPointer<frmCreate> m_create;
    int m_hotScheme = 0;
    StoredPath m_boxPath;      // what the path box's text shows
    StoredPath m_listedPath;   // what the list was last filled from
    std::vector<StoredPath> m_itemPaths;   // a folder's files, item by item
    bool m_saved = false;
};

} // namespace zor
