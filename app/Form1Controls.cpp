// Building the main window's controls: its menus, the list's context menu, the toolbar, and
// the entries that follow the designed ones.
#include "app/Form1.h"
#include "platform/BundledPicture.h"

#include "dialogs/IconCommands.h"
#include "platform/Platform.h"
#include "platform/ToolBar.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>
#include <QToolButton>

namespace zor {

namespace {
QAction* addEntry(QMenu* menu, const QString& caption, const QString& name, const QKeySequence& keys = {})
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!keys.isEmpty())
        a->setShortcut(keys);
    return a;
}
} // namespace

void Form1::buildMenus()
{
    MFILE = menuBar()->addMenu(tr("ﾌｧｲﾙ(&F)"));
    MFILE->setObjectName(QStringLiteral("MFILE"));
    MFOpen = addEntry(MFILE, tr("開く(&O)..."), QStringLiteral("MFOpen"), QKeySequence(Qt::CTRL | Qt::Key_O));
    MFFoldOpen = addEntry(MFILE, tr("フォルダを開く(&D)..."), QStringLiteral("MFFoldOpen"),
                          QKeySequence(Qt::CTRL | Qt::Key_F));
    MFILE->addSeparator()->setObjectName(QStringLiteral("BF1"));
    for (int i = 0; i < 8; ++i) {
        RF[size_t(i)] = addEntry(MFILE, QString(), QStringLiteral("RF%1").arg(i));
        connect(RF[size_t(i)], &QAction::triggered, this, [this, i] { RF_Click(i); });
    }
    MFILE->addSeparator()->setObjectName(QStringLiteral("BF2"));
    MFSetWall = addEntry(MFILE, tr("壁紙に設定(&W)"), QStringLiteral("MFSetWall"));
    MFILE->addSeparator()->setObjectName(QStringLiteral("Bar1"));
    MFEnd = addEntry(MFILE, tr("終了(&X)"), QStringLiteral("MFEnd"), QKeySequence(Qt::CTRL | Qt::Key_X));

    MHyouji = menuBar()->addMenu(tr("表示(&V)"));
    MHyouji->setObjectName(QStringLiteral("MHyouji"));
    MHL = addEntry(MHyouji, tr("大きなｱｲｺﾝ"), QStringLiteral("MHL"), QKeySequence(Qt::CTRL | Qt::Key_L));
    MHS = addEntry(MHyouji, tr("小さなｱｲｺﾝ"), QStringLiteral("MHS"), QKeySequence(Qt::CTRL | Qt::Key_S));
    MHyouji->addSeparator()->setObjectName(QStringLiteral("nightoffire"));
    MVCustom = addEntry(MHyouji, tr("オプション(&O)..."), QStringLiteral("MVCustom"));
    MVreration = addEntry(MHyouji, tr("関連付け(&R)..."), QStringLiteral("MVreration"));
    MVUseful = addEntry(MHyouji, tr("便利な機能(&U)..."), QStringLiteral("MVUseful"));

    MHelp = menuBar()->addMenu(tr("ヘルプ(&H)"));
    MHelp->setObjectName(QStringLiteral("MHelp"));
    MHHelp = addEntry(MHelp, tr("ヘルプ(&H)..."), QStringLiteral("MHHelp"), QKeySequence(Qt::Key_F1));
    MHelp->addSeparator()->setObjectName(QStringLiteral("BV"));
    ver = addEntry(MHelp, tr("ﾊﾞｰｼﾞｮﾝ情報..."), QStringLiteral("ver"));

    // The list's context menu: a top-level menu that is never shown in the menu bar.
    pop = new QMenu(QStringLiteral("pop"), this);
    pop->setObjectName(QStringLiteral("pop"));
    //: Shows the clicked icon magnified in a window of its own.
    MPbig = addEntry(pop, tr("拡大表示"), QStringLiteral("MPbig"));
    MPSetWall = addEntry(pop, tr("壁紙に設定"), QStringLiteral("MPSetWall"));
    pop->addSeparator()->setObjectName(QStringLiteral("bar"));
    icongig = addEntry(pop, tr("大きなｱｲｺﾝ"), QStringLiteral("icongig"));
    Iconsama = addEntry(pop, tr("小さなｱｲｺﾝ"), QStringLiteral("Iconsama"));

    for (QAction* a : {MHL, MHS, icongig, Iconsama})
        a->setCheckable(true);
    MHL->setChecked(true);
    icongig->setChecked(true);

    // Check marks follow the handlers, not the click itself.
    auto on = [this](QAction* a, void (Form1::*handler)()) {
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    on(MFOpen, &Form1::MFOpen_Click);
    on(MFFoldOpen, &Form1::MFFoldOpen_Click);
    on(MFSetWall, &Form1::MFSetWall_Click);
    on(MFEnd, &Form1::MFEnd_Click);
    on(MHL, &Form1::MHL_Click);
    on(MHS, &Form1::MHS_Click);
    on(MVCustom, &Form1::MVCustom_Click);
    on(MVreration, &Form1::MVreration_Click);
    on(MVUseful, &Form1::MVUseful_Click);
    on(MHHelp, &Form1::MHHelp_Click);
    on(ver, &Form1::ver_Click);
    on(MPbig, &Form1::MPbig_Click);
    on(MPSetWall, &Form1::MPSetWall_Click);
    on(icongig, &Form1::icongig_Click);
    on(Iconsama, &Form1::Iconsama_Click);
}

void Form1::buildIconCommands()
{
    // After the designed entries: in the File menu before the separator above "終了(&X)",
    // in pop behind a separator of its own.
    QAction* bar1 = MFILE->findChild<QAction*>(QStringLiteral("Bar1"));
    auto entry = [&](const QString& caption, const QString& name, const QKeySequence& keys) {
        auto* a = new QAction(caption, MFILE);
        a->setObjectName(name);
        a->setShortcut(keys);
        MFILE->insertAction(bar1, a);
        return a;
    };
    MFILE->insertSeparator(bar1)->setObjectName(QStringLiteral("BF3"));
    MFSaveIcon = entry(tr("アイコンを保存(&A)..."), QStringLiteral("MFSaveIcon"), QKeySequence(Qt::CTRL | Qt::Key_E));
    MFSaveAll = entry(tr("すべてのアイコンを保存(&L)..."), QStringLiteral("MFSaveAll"),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    MFCopy = entry(tr("コピー(&C)"), QStringLiteral("MFCopy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    MFInfo = entry(tr("アイコンの情報(&I)..."), QStringLiteral("MFInfo"), QKeySequence(Qt::ALT | Qt::Key_Return));
    MFInfo->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});

    pop->addSeparator()->setObjectName(QStringLiteral("bar2"));
    MPSaveIcon = addEntry(pop, tr("アイコンを保存(&A)..."), QStringLiteral("MPSaveIcon"));
    MPSaveAll = addEntry(pop, tr("すべてのアイコンを保存(&L)..."), QStringLiteral("MPSaveAll"));
    MPCopy = addEntry(pop, tr("コピー(&C)"), QStringLiteral("MPCopy"));
    MPInfo = addEntry(pop, tr("アイコンの情報(&I)..."), QStringLiteral("MPInfo"));
    // The folder view's item opened as a source of its own.
    MPOpenItem = addEntry(pop, tr("このファイルを開く"), QStringLiteral("MPOpenItem"));
    connect(MPOpenItem, &QAction::triggered, this, [this] { MPOpenItem_Click(); });

    const std::pair<QAction*, void (Form1::*)()> handlers[] = {
        {MFSaveIcon, &Form1::MFSaveIcon_Click}, {MPSaveIcon, &Form1::MFSaveIcon_Click},
        {MFSaveAll, &Form1::MFSaveAll_Click},   {MPSaveAll, &Form1::MFSaveAll_Click},
        {MFCopy, &Form1::MFCopy_Click},         {MPCopy, &Form1::MFCopy_Click},
        {MFInfo, &Form1::MFInfo_Click},         {MPInfo, &Form1::MFInfo_Click}};
    for (auto [action, handler] : handlers)
        connect(action, &QAction::triggered, this, [this, handler = handler] { (this->*handler)(); });

    // Enabled only while there is something to act on.
    connect(ListView1->model(), &QAbstractItemModel::modelReset, this, [this] { enableIconCommands(); });
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { enableIconCommands(); });
    connect(ListView1, &ListView::DragOut, this, [this](int index, QMimeData** data) {
        trap([&] {
            // Dragging one of the chosen items carries them all; another, itself.
            int at = -1;
            std::vector<IconOfFile> icons = chosenIcons(index, at);
            *data = at >= 0 && icons.size() > 1 ? IconCommands::DragData(std::move(icons), at)
                                                : IconCommands::DragData(iconOfItem(index));
        });
    });
    enableIconCommands();
}

void Form1::enableIconCommands()
{
    const bool selected = ListView1->selectedIndex() > 0;
    for (QAction* a : {MFSaveIcon, MFCopy, MFInfo, MPSaveIcon, MPCopy, MPInfo})
        a->setEnabled(selected);
    for (QAction* a : {MFSaveAll, MPSaveAll})
        a->setEnabled(ListView1->itemCount() > 0);
}

void Form1::buildToolbar()
{
    for (int i = 0; i < 4; ++i)
        Img4TB[size_t(i)] = bundledPicture(QStringLiteral(":/art/tb%1.png").arg(i + 1));

    Toolbar1 = makeFlatToolBar(m_client, QStringLiteral("Toolbar1"));
    Toolbar1->setFixedHeight(ToolbarHeight);

    auto makeButton = [this](int index) {
        auto* b = new QToolButton(Toolbar1);
        b->setObjectName(QStringLiteral("Button%1").arg(index));
        b->setAutoRaise(true);
        b->setFixedHeight(ToolbarHeight);
        // As on the desktop the program comes from, Tab passes toolbars by: it goes between
        // the path box and the list. Every button has its menu entry and keys.
        b->setFocusPolicy(Qt::NoFocus);
        m_buttons[size_t(index)] = b;
        connect(b, &QToolButton::clicked, this, [this, index] { Toolbar1_ButtonClick(index); });
        return b;
    };

    // 1: "開く" with its drop-down menu.
    QToolButton* open = makeButton(1);
    //: The toolbar button with a menu of a file and a folder to open.
    open->setText(tr("開く"));
    open->setToolTip(tr("ファイルを開きます"));
    open->setToolButtonStyle(Qt::ToolButtonIconOnly);
    open->setPopupMode(QToolButton::MenuButtonPopup);
    open->setFixedWidth(36);
    ButtonMenu1 = new QMenu(open);
    QAction* entry1 = ButtonMenu1->addAction(tr("ファイルを開く"));
    QAction* entry2 = ButtonMenu1->addAction(tr("フォルダを開く"));
    connect(entry1, &QAction::triggered, this, [this] { Toolbar1_ButtonMenuClick(1); });
    connect(entry2, &QAction::triggered, this, [this] { Toolbar1_ButtonMenuClick(2); });
    open->setMenu(ButtonMenu1);
    Toolbar1->addWidget(open);

    // 2: the room reserved for the path box, which lies on it.
    auto* placeholder = new QWidget(Toolbar1);
    placeholder->setObjectName(QStringLiteral("Button2"));
    placeholder->setFixedSize(350, ToolbarHeight);
    Toolbar1->addWidget(placeholder);

    // 3: open what the path box holds.
    Toolbar1->addWidget(makeButton(3));
    m_buttons[3]->setFixedWidth(23);

    // 4: separator; 5 and 6: the exclusive pair, 5 pressed.
    Toolbar1->addSeparator();
    for (int i : {5, 6}) {
        QToolButton* b = makeButton(i);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setFixedWidth(23);
        Toolbar1->addWidget(b);
    }
    m_buttons[5]->setToolTip(tr("大きいアイコン"));
    m_buttons[6]->setToolTip(tr("小さいアイコン"));
    m_buttons[5]->setChecked(true);

    Text1 = new QComboBox(Toolbar1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setEditable(true);
    Text1->setInsertPolicy(QComboBox::NoInsert);
    Text1->setMaxVisibleItems(8);
    Text1->setGeometry(36, 0, 345, 20);   // 540, 0, 5175 x 300 twips
    // No completion: a typed folder must not turn into a stored file inside it before Enter.
    Text1->setCompleter(nullptr);
    // The combo box takes the keys for its line edit, so Enter is seen here, and so is its
    // asking for the keys it would edit with, which the window's shortcuts keep.
    Text1->installEventFilter(this);
    connect(Text1, &QComboBox::activated, this, [this](int i) {
        // A line of the list is one of the stored entries, kept as the path it is.
        m_boxPath = StoredPath(Text1->itemData(i).toByteArray());
        Text1_Click();
    });
    Text1->raise();

    // F6 and Alt+D go to the path box, as in a browser or a file manager.
    auto* toPathBox = new QAction(this);
    toPathBox->setObjectName(QStringLiteral("FocusPathBox"));
    toPathBox->setShortcuts({QKeySequence(Qt::Key_F6), QKeySequence(Qt::ALT | Qt::Key_D)});
    addAction(toPathBox);
    connect(toPathBox, &QAction::triggered, this, [this] {
        Text1->setFocus(Qt::ShortcutFocusReason);
        Text1->lineEdit()->selectAll();
    });

    setHotImageList(0);
}

QToolButton* Form1::button(int index) const
{
    return index >= 1 && index <= 6 ? m_buttons[size_t(index)] : nullptr;
}

const std::array<QPixmap, 4>& Form1::HotImages::operator[](size_t scheme) const
{
    std::optional<std::array<QPixmap, 4>>& images = m_schemes.at(scheme);
    if (!images) {
        images.emplace();
        for (size_t i = 0; i < images->size(); ++i)
            (*images)[i] = bundledPicture(QStringLiteral(":/art/hot%1_%2.png").arg(scheme).arg(i + 1));
    }
    return *images;
}

void Form1::setHotImageList(int scheme)
{
    m_hotScheme = scheme >= 0 && scheme <= 5 ? scheme : 0;
    // Buttons 1, 5, 6 and 3 use images 1, 2, 3 and 4.
    const std::pair<int, int> buttonImage[] = {{1, 0}, {5, 1}, {6, 2}, {3, 3}};
    for (auto [index, image] : buttonImage) {
        QIcon icon;
        icon.addPixmap(Img4TB[size_t(image)], QIcon::Normal);
        icon.addPixmap(HotList[size_t(m_hotScheme)][size_t(image)], QIcon::Active);
        m_buttons[size_t(index)]->setIcon(icon);
    }
}

void Form1::buildSearchCommand()
{
    // Last of the File menu's entries, before the separator above "終了(&X)".
    QAction* bar1 = nullptr;
    for (QAction* a : MFILE->actions())
        if (a->objectName() == QLatin1String("Bar1"))
            bar1 = a;
    MFSearch = new QAction(tr("アイコンを検索(&E)..."), MFILE);
    MFSearch->setObjectName(QStringLiteral("MFSearch"));
    MFSearch->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    MFILE->insertAction(bar1, MFSearch);
    connect(MFSearch, &QAction::triggered, this, [this] { MFSearch_Click(); });
    MFCreate = new QAction(tr("アイコンを作成(&N)..."), MFILE);
    MFCreate->setObjectName(QStringLiteral("MFCreate"));
    MFCreate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    MFILE->insertAction(bar1, MFCreate);
    connect(MFCreate, &QAction::triggered, this, [this] { MFCreate_Click(); });
}

} // namespace zor
