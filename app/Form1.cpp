#include "app/Form1.h"
#include "platform/BundledPicture.h"

#include "app/frmSearch.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/IconCommands.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOption.h"
#include "icons/IcoGet.h"
#include "platform/Platform.h"
#include "platform/ToolBar.h"
#include "platform/WindowPlacement.h"
#include "platform/iconsource/Opener.h"
#include "platform/desktop/Shell.h"
#include "settings/ClsZOR.h"
#include "settings/QELREG.h"
#include "settings/RecentEntries.h"
#include "shell/ExeExeExe.h"
#include "shell/Wallpaper.h"
#include "viewer/Form2.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>
#include <QMimeData>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWindow>


namespace zor {

QString ProgramFolder;

namespace {
const char* const NoIconsInFile = QT_TRANSLATE_NOOP("zor::Form1", "このファイルにはアイコンが含まれていませんでした。");
const char* const NoIconsInFolder = QT_TRANSLATE_NOOP("zor::Form1", "このフォルダにはアイコンファイルが含まれていません。");
constexpr int twips = 15;

Message critical(const QString& text)
{
    Message m;
    m.text = text;
    m.icon = MsgIcon::Critical;
    return m;
}

} // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("QEL TORMELIA VIEWER - []"));
    QIcon icon;
    for (const char* size : {"16", "32", "48"})
        icon.addPixmap(bundledPicture(QStringLiteral(":/art/zor%1.png").arg(QLatin1String(size))));
    setWindowIcon(icon);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->installEventFilter(this);
    setCentralWidget(m_client);

    ListView1 = new ListView(m_client);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    connect(ListView1, &ListView::ItemClick, this, &Form1::ListView1_ItemClick);
    connect(ListView1, &ListView::DblClick, this, &Form1::ListView1_DblClick);
    connect(ListView1, &ListView::MouseUp, this, &Form1::ListView1_MouseUp);
    // The keyboard's menu takes the right button's route.
    connect(ListView1, &ListView::ContextMenu, this, [this](QPoint pos) { ListView1_MouseUp(Qt::RightButton, pos); });
    connect(ListView1, &ListView::DragOver, this,
            [this](const QMimeData* d, bool* accept) { *accept = ListView1_OLEDragOver(d); });
    connect(ListView1, &ListView::DragDrop, this, &Form1::ListView1_OLEDragDrop);

    buildMenus();
    buildIconCommands();
    buildToolbar();

    m_client->resize(DesignedClientSize);
    resize(DesignedClientSize.width(), DesignedClientSize.height() + menuBar()->sizeHint().height());
    Form_Resize();
    buildSearchCommand();
}

Form1::~Form1()
{
    // The box still reports, as it loses the focus while the window goes, to handlers
    // whose members are gone by then.
    if (Text1)
        disconnect(Text1, nullptr, this, nullptr);
}

bool Form1::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_client && e->type() == QEvent::Resize) {
        Form_Resize();
    } else if (watched == Text1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Text1_KeyDown(13);
            return true;
        }
    } else if (watched == Text1 && e->type() == QEvent::ShortcutOverride) {
        // Ctrl+X is "終了(&X)"'s key everywhere in the window; the box still cuts with
        // Shift+Delete and its context menu.
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_X)) {
            e->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// ---- start-up -------------------------------------------------------------------

void Form1::SplitCommandLine()
{
    // Each argument is one path, as the bytes it came as; at most 21 are taken; none gives
    // one empty entry.
    const QList<QByteArray> args = platform().identity->arguments();
    for (auto& p : CommandPaths)
        p = StoredPath();
    const int n = std::min<int>(int(args.size()), 21);
    for (int i = 0; i < n; ++i)
        CommandPaths[i] = StoredPath(args[i]);
    LastPathIndex = qint16(std::max(n, 1) - 1);
}

void Form1::startFurtherInstance(const StoredPath& path)
{
    // After "--" a path that begins with '-' is read as a path, not an option.
    QList<QByteArray> args{path.bytes()};
    if (path.bytes().startsWith('-'))
        args.prepend("--");
    platform().starter->start(QFile::encodeName(platform().identity->executablePath()), args);
}

void Form1::Form_Load()
{
    trap([&] {
        ProgramFolder = platform().identity->programFolder();
        SplitCommandLine();
        setPathBox(CommandPaths[0].cleaned());
        for (int k = 1; k <= LastPathIndex; ++k)
            startFurtherInstance(CommandPaths[k]);
        Text1_Click();
        // The keys start where there is something to do: the list when it shows a source, else the path box.
        (ListView1->itemCount() > 0 ? static_cast<QWidget*>(ListView1) : Text1)->setFocus();

        QELREG family;
        if (family.TormeliaViewer_Version() == 0)
            openOptions(1);
        // A store that cannot be written must not keep what it holds from being restored.
        trap([&] {
            family.TormeliaViewer_Path(ProgramFolder);
            family.TormeliaViewer_Version(Identity::Revision);
        });

        RestoreWindowSettings();
    });
}

void Form1::RestoreWindowSettings()
{
    trap([&] {
        ClsZOR z;
        const qint16 state = z.WindowState();
        if (state == 0) {
            std::optional<QPoint> pos;
            std::optional<QSize> size;
            if (z.RePos() && WindowPlacement::canPlaceWindows())
                pos = QPoint(qRound(z.Left() / twips), qRound(z.Top() / twips));
            if (z.ReSize())
                size = QSize(std::max(1, qRound(z.Width() / twips)), std::max(1, qRound(z.Height() / twips)));
            WindowPlacement::restore(*this, pos, size);
        } else if (state == 2) {
            setWindowState(windowState() | Qt::WindowMaximized);
        }
        if (z.ReIconSize())
            LorS(z.IconSize());
        setHotImageList(z.ToolBarColor());
        refreshStoredEntries();
    });
}

void Form1::SaveWindowSettings()
{
    trap([&] {
        ClsZOR z;
        if (isMinimized()) {
            // Nothing of state, position or size.
        } else if (isMaximized()) {
            z.WindowState(2);
        } else {
            const QRect outer = WindowPlacement::outerGeometry(*this);
            z.WindowState(0);
            // Wayland does not tell where a window is: the stored place stays.
            if (WindowPlacement::canPlaceWindows()) {
                z.Left(float(outer.x() * twips));
                z.Top(float(outer.y() * twips));
            }
            z.Width(float(outer.width() * twips));
            z.Height(float(outer.height() * twips));
        }
        z.IconSize(MHL->isChecked() ? QStringLiteral("L") : QStringLiteral("S"));
    });
}

void Form1::Form_Resize()
{
    trap([&] {
        const int th = Toolbar1->height();
        const int w = m_client->width();
        const int h = m_client->height();
        Toolbar1->setGeometry(0, 0, w, ToolbarHeight);
        const float rest = float(h) - float(th);
        ListView1->setGeometry(0, th, w, rest <= 0 ? 0 : int(rest));
    });
}

void Form1::Form_Unload()
{
    if (!m_saved) {
        m_saved = true;
        SaveWindowSettings();
    }
}

void Form1::closeEvent(QCloseEvent* e)
{
    Form_Unload();
    e->accept();
}

void Form1::MFEnd_Click()
{
    trap([&] { close(); });
}

// ---- the stored entries ---------------------------------------------------------

void Form1::refreshStoredEntries()
{
    // The path box's list always holds the eight entries once each, line i = entry i.
    const QString text = Text1->currentText();
    const auto entries = RecentEntries::all();
    for (int h = 0; h < 8; ++h) {
        const StoredPath& entry = entries[size_t(h)];
        if (h < Text1->count()) {
            Text1->setItemText(h, entry.shown());
            Text1->setItemData(h, entry.bytes());
        } else {
            Text1->addItem(entry.shown(), entry.bytes());
        }
        RF[size_t(h)]->setText(entry.shown());
    }
    while (Text1->count() > 8)
        Text1->removeItem(8);
    Text1->setEditText(text);
}

void Form1::setPathBox(const StoredPath& path)
{
    m_boxPath = path;
    Text1->setEditText(path.shown());
}

StoredPath Form1::pathBox() const
{
    return StoredPath::fromEdited(Text1->currentText(), m_boxPath);
}

// ---- opening sources ------------------------------------------------------------

void Form1::Text1_Click()
{
    trap([&] {
        // What the box holds is opened, and recorded, in its one clean spelling.
        const StoredPath path = pastedPath(pathBox()).cleaned();
        if (path.shown() != Text1->currentText() || !(path == m_boxPath))
            setPathBox(path);
        const quint8 kind = iconsource::pathKind(path.bytes());
        if (kind == 1) {
            if (!iconsource::canOpenFile(path.bytes()))
                return;
            FormatList();
            SourceKind = Kind::File;
            if (IcoGet::LoadIconsOfFile(path, ImageList1, ImageList2, *ListView1)) {
                Atoshori();
            } else {
                platform().messages->show(this, critical(tr(NoIconsInFile)));
                setBusy(false);
            }
        } else if (kind == 2) {
            FFopen(path);
        }
    });
}

StoredPath Form1::pastedPath(const StoredPath& typed) const
{
    // What a file manager or a browser puts on the clipboard: a file URL, or a path with
    // the spaces around it; a name that really ends in a space still opens as it is.
    const QString text = Text1->currentText();
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(trimmed);
        if (url.isLocalFile())
            return StoredPath::fromUrl(url);
    }
    if (trimmed != text && !trimmed.isEmpty() && iconsource::pathKind(typed.bytes()) == 0)
        return StoredPath::fromText(trimmed);
    return typed;
}

void Form1::MPOpenItem_Click()
{
    trap([&] {
        const int i = ListView1->selectedIndex();
        if (SourceKind != Kind::Folder || i < 1 || size_t(i) > m_itemPaths.size())
            return;
        setPathBox(m_itemPaths[size_t(i - 1)]);
        Text1_Click();
    });
}

void Form1::Text1_KeyDown(int keyCode)
{
    if (keyCode == 13)
        Text1_Click();
}

void Form1::MFOpen_Click()
{
    trap([&] {
        // A cancelled dialog opens whatever the dialog held before, as a file dialog does.
        if (const auto chosen = platform().files->openFile(this, iconFileFilter()))
            m_dialogFileName = *chosen;
        setPathBox(StoredPath::fromText(m_dialogFileName).cleaned());
        Text1_Click();
    });
}

void Form1::MFFoldOpen_Click()
{
    trap([&] {
        setPathBox(StoredPath::fromText(platform().files->browseFolder(this, tr("フォルダを開く"))).cleaned());
        Text1_Click();
    });
}

void Form1::RF_Click(int index)
{
    trap([&] {
        setPathBox(RecentEntries::entry(index));
        Text1_Click();
    });
}

bool Form1::ListView1_OLEDragOver(const QMimeData* data) const
{
    return data && data->hasUrls();
}

void Form1::ListView1_OLEDragDrop(const QMimeData* data)
{
    trap([&] {
        std::vector<StoredPath> paths;
        if (data && data->hasUrls())
            for (const QUrl& url : data->urls())
                if (StoredPath path = StoredPath::fromUrl(url); !path.isEmpty())
                    paths.push_back(std::move(path));
        if (paths.empty()) {
            platform().messages->show(this, critical(tr(NoIconsInFile)));
            return;
        }
        for (size_t i = 1; i < paths.size(); ++i)
            startFurtherInstance(paths[i]);
        setPathBox(paths[0].cleaned());
        Text1_Click();
    });
}

void Form1::FFopen(const StoredPath& path)
{
    bool listed = false;
    trap([&] {
        if (path.isEmpty())
            return;
        if (!File1.setPath(path))
            return;
        const int count = File1.listCount();
        if (count == 0) {
            platform().messages->show(this, critical(tr(NoIconsInFolder)));
            return;
        }
        FormatList();
        SourceKind = Kind::Folder;
        listed = true;
        std::vector<ListItem> items;
        items.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            items.push_back({File1.list(i), i + 1, i + 1});
            m_itemPaths.push_back(File1.path(i));
        }
        // Each file is read through the name the folder stores, when its icon is drawn.
        IcoGet::AddFirstIcons(m_itemPaths, ImageList1, ImageList2);
        ListView1->setIcons(&ImageList1);
        ListView1->setSmallIcons(&ImageList2);
        ListView1->addItems(std::move(items));
        Atoshori();
        listed = false;
    });
    // A scan that ended early still gives the pointer back.
    if (listed)
        setBusy(false);
}

// ---- the icon list --------------------------------------------------------------

void Form1::setBusy(bool busy)
{
    if (busy) {
        setCursor(Qt::WaitCursor);
        ListView1->setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
        ListView1->unsetCursor();
    }
}

void Form1::FormatList()
{
    trap([&] {
        ListView1->setIcons(nullptr);
        ListView1->setSmallIcons(nullptr);
        ListView1->clearItems();
        ImageList1.clear();
        ImageList2.clear();
        // A screen with more device pixels shows the groups' larger entries.
        ImageList1.setPixelRatio(ListView1->devicePixelRatioF());
        ImageList2.setPixelRatio(ListView1->devicePixelRatioF());
        ClickedItem = 0;
        m_listedPath = pathBox();
        m_itemPaths.clear();
        setBusy(true);
    });
}

void Form1::Atoshori()
{
    trap([&] {
        setBusy(false);
        setWindowTitle(tr("QEL Tormelia Viewer - [アイコン数：%1]").arg(ListView1->itemCount()));
        if (ListView1->selectedIndex() != 0)
            ListView1->deselect();
        const StoredPath t = pathBox();
        RecentEntries::record(t);
        refreshStoredEntries();
        setPathBox(t);
    });
}

void Form1::MHL_Click()
{
    trap([&] {
        MHL->setChecked(true);
        MHS->setChecked(false);
        icongig->setChecked(true);
        Iconsama->setChecked(false);
        m_buttons[5]->setChecked(true);
        ListView1->setView(ListView::lvwIcon);
    });
}

void Form1::MHS_Click()
{
    trap([&] {
        MHL->setChecked(false);
        MHS->setChecked(true);
        icongig->setChecked(false);
        Iconsama->setChecked(true);
        m_buttons[6]->setChecked(true);
        ListView1->setView(ListView::lvwList);
    });
}

void Form1::LorS(const QString& size)
{
    if (size == QLatin1String("L"))
        MHL_Click();
    else
        MHS_Click();
}

void Form1::Toolbar1_ButtonClick(int index)
{
    trap([&] {
        switch (index) {
        case 1: MFOpen_Click(); break;
        case 3: Text1_Click(); break;
        case 5: MHL_Click(); break;
        case 6: MHS_Click(); break;
        default: break;
        }
    });
}

void Form1::Toolbar1_ButtonMenuClick(int index)
{
    trap([&] {
        if (index == 1)
            MFOpen_Click();
        else if (index == 2)
            MFFoldOpen_Click();
    });
}

void Form1::ListView1_ItemClick(int index)
{
    ClickedItem = index;
}

void Form1::ListView1_DblClick()
{
    trap([&] {
        // Only for an item of the current list.
        if (ClickedItem < 1 || ClickedItem > ListView1->itemCount())
            return;
        Form2::Open(this, *this);
    });
}

int Form1::itemCount() const { return ListView1->itemCount(); }
QString Form1::itemText(int index) const { return ListView1->item(index).text; }
int Form1::selectedItem() const { return ListView1->selectedIndex(); }
QString Form1::sourcePath() const { return Text1->currentText(); }

void Form1::ListView1_MouseUp(Qt::MouseButton button, QPoint pos)
{
    trap([&] {
        if (button != Qt::RightButton)
            return;
        MPOpenItem->setVisible(SourceKind == Kind::Folder);
        MPOpenItem->setEnabled(ListView1->selectedIndex() > 0);
        pop->popup(ListView1->viewport()->mapToGlobal(pos));
    });
}

void Form1::MFSetWall_Click()
{
    trap([&] { SetWallpaperFromList(this, *ListView1, ImageList1, ImageList2); });
}

void Form1::openOptions(int tab)
{
    frmOption::Open(this, tab, [this](int code) { setHotImageList(code); });
}

void Form1::MVCustom_Click() { trap([&] { openOptions(0); }); }
void Form1::MVreration_Click() { trap([&] { openOptions(1); }); }
void Form1::MVUseful_Click() { trap([&] { openOptions(2); }); }

void Form1::MHHelp_Click()
{
    trap([&] {
        const QString file = HelpFilePath();
        // Few Linux desktops have a program for compiled help: then our own window shows it.
        if (QFileInfo::exists(file) && !platform().shell->hasProgramFor(file)) {
            if (!m_help)
                m_help = HelpWindow::Open(file, this);
            if (m_help) {
                m_help->raise();
                m_help->activateWindow();
                return;
            }
        }
        // The desktop's program, or "エラーが発生しました。" when there is none or no file.
        ShellOpen(file, SW_RESTORE, this);
    });
}

void Form1::ver_Click()
{
    trap([&] { frmAbout::Open(this); });
}

} // namespace zor
