#include "app/frmSearch.h"
#include "platform/BundledPicture.h"

#include "dialogs/IconCommands.h"

#include "platform/ImageList.h"
#include "platform/Platform.h"
#include "platform/desktop/Shell.h"
#include "icons/FoundIcons.h"
#include "platform/iconsource/Opener.h"
#include "viewer/EnlargedViewSource.h"
#include "viewer/Form2.h"

#include <algorithm>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QPainter>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <set>


namespace zor {

using namespace iconsource;

namespace {
QPixmap broken(bool large)
{
    return bundledPicture(large ? QStringLiteral(":/art/broken32.png") : QStringLiteral(":/art/broken16.png"));
}
} // namespace

namespace {

// The enlarged view over the icons found in one file, numbered as in the file.
class FoundFileView : public EnlargedViewSource {
public:
    FoundFileView(const FoundIconModel& model, int row)
    {
        const int file = model.row(row).file;
        m_path = model.fileOf(row).path.shown();
        for (const FoundIconModel::Row& r : model.rows()) {
            if (r.file != file)
                continue;
            m_numbers.push_back(r.index);
            if (&r == &model.row(row))
                m_clicked = int(m_numbers.size());
        }
        const auto source = openIconFile(model.fileOf(row).path);
        for (int n : m_numbers) {
            const IconPair pair = source ? source->extract(n) : IconPair();
            m_large.add(pair.large.isNull() ? broken(true) : QPixmap::fromImage(pair.large));
            m_small.add(pair.small.isNull() ? broken(false) : QPixmap::fromImage(pair.small));
        }
    }

    int itemCount() const override { return int(m_numbers.size()); }
    QString itemText(int index) const override
    {
        if (index < 1 || index > itemCount())
            throw RuntimeError(35600, "index out of bounds");
        return QString::number(m_numbers[size_t(index - 1)]);
    }
    int selectedItem() const override { return m_clicked; }
    int clickedItem() const override { return m_clicked; }
    const ImageList& largeImages() const override { return m_large; }
    const ImageList& smallImages() const override { return m_small; }
    QString sourcePath() const override { return m_path; }
    Kind sourceKind() const override { return Kind::File; }

private:
    QString m_path;
    std::vector<int> m_numbers;
    int m_clicked = 0;
    ImageList m_large{QSize(32, 32)};
    ImageList m_small{QSize(16, 16)};
};

// A label cut to its cell in the middle, so that both ends stay in sight: the start of a
// name, and the end that tells it from its neighbours with the icon's number. Over the
// lines the cell holds, as they wrap, the last line ending the text.
QString elidedToLines(const QString& text, const QFont& font, int width, int lines)
{
    const QFontMetrics fm(font);
    if (lines <= 1 || width <= 0)
        return fm.elidedText(text, Qt::ElideMiddle, std::max(width, 0));
    // Broken where the layout breaks it, and given so: the style would not break inside a word.
    QTextLayout layout(text, font);
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    layout.beginLayout();
    QStringList shown;
    qsizetype rest = text.size();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (shown.size() == lines - 1 && line.textStart() + line.textLength() < text.size()) {
            rest = line.textStart();
            break;
        }
        shown << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    if (rest < text.size()) {
        // The last line: as much of the end as fits after the ellipsis.
        const QString ellipsis(QChar(0x2026));
        qsizetype from = rest + 1;
        while (from < text.size() && (text.at(from).isLowSurrogate() || fm.horizontalAdvance(ellipsis + text.mid(from)) > width))
            ++from;
        shown << ellipsis + text.mid(from);
    }
    return shown.join(QChar::LineSeparator);
}

class MiddleElision : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& mi) const override
    {
        QStyledItemDelegate::initStyleOption(option, mi);
        if (option->rect.isEmpty() || option->text.isEmpty())
            return;   // asked for a size
        const QWidget* view = option->widget;
        const QStyle* style = view ? view->style() : QApplication::style();
        const QRect cell = style->subElementRect(QStyle::SE_ItemViewItemText, option, view);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        const bool wraps = option->features & QStyleOptionViewItem::WrapText;
        const int lines = wraps ? std::max(1, cell.height() / QFontMetrics(option->font).lineSpacing()) : 1;
        option->text = elidedToLines(option->text, option->font, cell.width() - 2 * margin, lines);
    }

public:
    // Each label has its whole cell: the list would give every item the first one's size.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& mi) const override
    {
        if (const auto* list = qobject_cast<const QListView*>(option.widget); list && list->gridSize().isValid())
            return list->gridSize() - QSize(4, 2);
        return QStyledItemDelegate::sizeHint(option, mi);
    }
};

} // namespace

// The list as shown: filtered by name, sorted by the column the details were sorted by,
// and dragged out as icon files.
class FoundShown : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    std::function<QMimeData*()> drag;

    Qt::ItemFlags flags(const QModelIndex& mi) const override
    {
        return QSortFilterProxyModel::flags(mi) | (mi.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
    }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    QStringList mimeTypes() const override { return {QStringLiteral("text/uri-list")}; }
    QMimeData* mimeData(const QModelIndexList&) const override { return drag ? drag() : nullptr; }
};

frmSearch::frmSearch(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmSearch"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (owner)
        setWindowIcon(owner->windowIcon());

    txtFolder = new QLineEdit(this);
    txtFolder->setObjectName(QStringLiteral("txtFolder"));
    cmdBrowse = new QPushButton(tr("参照(&B)..."), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    auto* folderLabel = new QLabel(tr("フォルダ(&D):"), this);
    folderLabel->setBuddy(txtFolder);

    chkSubFolders = new QCheckBox(tr("サブフォルダも検索する"), this);
    chkSubFolders->setObjectName(QStringLiteral("chkSubFolders"));
    chkSubFolders->setChecked(true);
    chkIconFiles = new QCheckBox(tr("アイコンファイル (.ico .cur)"), this);
    chkIconFiles->setObjectName(QStringLiteral("chkIconFiles"));
    chkLibraries = new QCheckBox(tr("アイコンライブラリ (.icl)"), this);
    chkLibraries->setObjectName(QStringLiteral("chkLibraries"));
    chkPrograms = new QCheckBox(tr("プログラムとライブラリ (.exe .dll .cpl .ocx .scr .mun .sys)"), this);
    chkPrograms->setObjectName(QStringLiteral("chkPrograms"));
    chkAllFiles = new QCheckBox(tr("すべてのファイル (中身で判断)"), this);
    chkAllFiles->setObjectName(QStringLiteral("chkAllFiles"));
    for (QCheckBox* c : {chkIconFiles, chkLibraries, chkPrograms})
        c->setChecked(true);

    cboMinSize = new QComboBox(this);
    cboMinSize->setObjectName(QStringLiteral("cboMinSize"));
    //: No minimum size: icons of every size are listed.
    cboMinSize->addItem(tr("指定なし"), 0);
    for (int side : {32, 48, 256})
        cboMinSize->addItem(tr("%1 × %1 以上").arg(side), side);
    auto* sizeLabel = new QLabel(tr("最小サイズ(&M):"), this);
    sizeLabel->setBuddy(cboMinSize);

    cmdSearch = new QPushButton(tr("検索(&S)"), this);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    //: Stops the running search.
    cmdStop = new QPushButton(tr("中止"), this);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));

    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setPlaceholderText(tr("ファイル名の一部"));
    txtFilter->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(tr("絞り込み(&N):"), this);
    filterLabel->setBuddy(txtFilter);

    auto viewButton = [this](const QString& name, const QString& art, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(QIcon(bundledPicture(art)));
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);   // the keys have the context menu's entries
        return b;
    };
    cmdLarge = viewButton(QStringLiteral("cmdLarge"), QStringLiteral(":/art/tb2.png"), tr("大きいアイコン"));
    cmdSmall = viewButton(QStringLiteral("cmdSmall"), QStringLiteral(":/art/tb3.png"), tr("小さいアイコン"));
    //: The view of the found icons as a table with columns.
    cmdDetails = viewButton(QStringLiteral("cmdDetails"), QStringLiteral(":/art/view_details.png"), tr("詳細"));

    m_model = new FoundIconModel(this);
    m_shown = new FoundShown(this);
    m_shown->setSourceModel(m_model);
    m_shown->setFilterRole(FoundIconModel::FileNameRole);
    m_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_shown->setSortRole(FoundIconModel::SortRole);
    m_shown->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_shown->setSortLocaleAware(true);
    m_shown->drag = [this] { return dragData(); };

    lstResults = new QListView(this);
    lstResults->setObjectName(QStringLiteral("lstResults"));
    lstResults->setModel(m_shown);
    lstResults->setModelColumn(FoundIconModel::Label);
    lstResults->setItemDelegate(new MiddleElision(lstResults));
    lstResults->setLayoutMode(QListView::Batched);
    lstResults->setBatchSize(2000);

    // The details: every column but the icon views' label, sorted by the one clicked
    // (a third click goes back to the order found).
    tvwResults = new QTreeView(this);
    tvwResults->setObjectName(QStringLiteral("tvwResults"));
    tvwResults->setModel(m_shown);
    tvwResults->setSelectionModel(lstResults->selectionModel());
    tvwResults->setColumnHidden(FoundIconModel::Label, true);
    tvwResults->setRootIsDecorated(false);
    tvwResults->setItemsExpandable(false);
    tvwResults->setUniformRowHeights(true);
    tvwResults->setAllColumnsShowFocus(true);
    tvwResults->setIconSize(QSize(16, 16));
    tvwResults->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* header = tvwResults->header();
    header->setStretchLastSection(false);
    header->setSortIndicatorClearable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    for (int c : {FoundIconModel::Number, FoundIconModel::Largest, FoundIconModel::Images})
        header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    tvwResults->setSortingEnabled(true);
    tvwResults->hide();

    for (QAbstractItemView* v : std::initializer_list<QAbstractItemView*>{lstResults, tvwResults}) {
        v->setSelectionMode(QAbstractItemView::ExtendedSelection);
        v->setSelectionBehavior(QAbstractItemView::SelectRows);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        v->setDragEnabled(true);
        v->setDragDropMode(QAbstractItemView::DragOnly);
        v->setDefaultDropAction(Qt::CopyAction);
    }

    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    pop = new QMenu(this);
    pop->setObjectName(QStringLiteral("pop"));
    //: Opens the file of the chosen icon in the main window.
    MSOpen = pop->addAction(tr("開く"));
    pop->setDefaultAction(MSOpen);
    MSbig = pop->addAction(tr("拡大表示"));
    MSSave = pop->addAction(tr("アイコンを保存..."));
    MSCopy = pop->addAction(tr("コピー"));
    MSInfo = pop->addAction(tr("アイコンの情報..."));
    MSFolder = pop->addAction(tr("ファイルの場所を開く"));
    MSLibrary = pop->addAction(tr("選択したアイコンをアイコンライブラリに保存..."));
    pop->addSeparator();
    MSLarge = pop->addAction(tr("大きなｱｲｺﾝ"));
    MSSmall = pop->addAction(tr("小さなｱｲｺﾝ"));
    MSDetails = pop->addAction(tr("詳細"));
    for (QAction* a : {MSLarge, MSSmall, MSDetails})
        a->setCheckable(true);

    auto* layout = new QVBoxLayout(this);
    auto* choices = new QGridLayout;
    choices->addWidget(folderLabel, 0, 0);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(txtFolder, 1);
    folderRow->addWidget(cmdBrowse);
    choices->addLayout(folderRow, 0, 1);
    choices->addWidget(chkSubFolders, 1, 1);
    auto* kinds = new QGridLayout;
    kinds->addWidget(chkIconFiles, 0, 0);
    kinds->addWidget(chkLibraries, 0, 1);
    kinds->addWidget(chkPrograms, 1, 0, 1, 2);
    kinds->addWidget(chkAllFiles, 2, 0, 1, 2);
    //: Before the check boxes of the kinds of files the search opens.
    choices->addWidget(new QLabel(tr("開くファイル:"), this), 2, 0, Qt::AlignTop);
    choices->addLayout(kinds, 2, 1);
    choices->addWidget(sizeLabel, 3, 0);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(cboMinSize);
    sizeRow->addStretch(1);
    sizeRow->addWidget(cmdSearch);
    sizeRow->addWidget(cmdStop);
    choices->addLayout(sizeRow, 3, 1);
    choices->setColumnStretch(1, 1);
    layout->addLayout(choices);
    auto* listBar = new QHBoxLayout;
    listBar->addWidget(filterLabel);
    listBar->addWidget(txtFilter, 1);
    listBar->addWidget(cmdLarge);
    listBar->addWidget(cmdSmall);
    listBar->addWidget(cmdDetails);
    layout->addLayout(listBar);
    layout->addWidget(lstResults, 1);
    layout->addWidget(tvwResults, 1);
    layout->addWidget(lblProgress);
    setTabOrder(txtFilter, lstResults);
    setTabOrder(lstResults, tvwResults);

    m_session = new SearchSession(this);
    connect(m_session, &SearchSession::found, this, [this](const FoundFiles& files) {
        trap([&] {
            m_model->append(files);
            widenColumns(files);
            showCount();
        });
    });
    connect(m_session, &SearchSession::progressed, this, [this] { trap([&] { showProgress(); }); });
    connect(m_session, &SearchSession::finished, this, [this](bool rootListed) { trap([&] { searchEnded(rootListed); }); });

    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { cmdStop_Click(); });
    connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
    connect(txtFolder, &QLineEdit::returnPressed, this, [this] { cmdSearch_Click(); });
    connect(chkAllFiles, &QCheckBox::toggled, this, [this] { enableControls(); });
    connect(txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        trap([&] {
            m_shown->setFilterFixedString(text);
            showCount();
            showProgress();
        });
    });
    const std::pair<QToolButton*, QAction*> views[] = {{cmdLarge, MSLarge}, {cmdSmall, MSSmall}, {cmdDetails, MSDetails}};
    for (int v = 0; v < 3; ++v) {
        connect(views[v].first, &QToolButton::clicked, this, [this, v] { SetView(View(v)); });
        connect(views[v].second, &QAction::triggered, this, [this, v] { SetView(View(v)); });
    }
    connect(MSOpen, &QAction::triggered, this, [this] { MSOpen_Click(); });
    connect(MSbig, &QAction::triggered, this, [this] { MSbig_Click(); });
    connect(MSSave, &QAction::triggered, this, [this] { MSSave_Click(); });
    connect(MSCopy, &QAction::triggered, this, [this] { MSCopy_Click(); });
    connect(MSInfo, &QAction::triggered, this, [this] { MSInfo_Click(); });
    connect(MSFolder, &QAction::triggered, this, [this] { MSFolder_Click(); });
    connect(MSLibrary, &QAction::triggered, this, [this] { MSLibrary_Click(); });
    for (QAbstractItemView* v : std::initializer_list<QAbstractItemView*>{lstResults, tvwResults}) {
        connect(v, &QAbstractItemView::activated, this, [this](const QModelIndex& mi) { Results_Activated(mi.row()); });
        connect(v, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { Results_ContextMenu(pos); });
    }

    SetView(View::Large);
    showCount();
    enableControls();
    resize(640, 480);
}

frmSearch::~frmSearch() = default;

void frmSearch::setFolder(const StoredPath& folder)
{
    m_folder = folder;
    txtFolder->setText(folder.shown());
}

bool frmSearch::running() const
{
    return m_session->running();
}

int frmSearch::foundCount() const
{
    return m_model->rowCount();
}

int frmSearch::shownCount() const
{
    return m_shown->rowCount();
}

void frmSearch::cmdSearch_Click()
{
    trap([&] {
        if (running())
            return;
        SearchOptions options;
        const QString folder = txtFolder->text().trimmed();
        if (folder.isEmpty())
            return;
        options.root = StoredPath::fromEdited(folder, m_folder).cleaned().bytes();
        options.recursive = chkSubFolders->isChecked();
        if (chkAllFiles->isChecked())
            options.kinds = EveryFile;
        else
            options.kinds = (chkIconFiles->isChecked() ? unsigned(IconFiles) : 0u)
                | (chkLibraries->isChecked() ? unsigned(IconLibraries) : 0u) | (chkPrograms->isChecked() ? unsigned(Programs) : 0u);
        if (options.kinds == 0) {
            lblProgress->setText(tr("開くファイルの種類を選んでください。"));
            return;
        }
        options.minSize = cboMinSize->currentData().toInt();

        m_model->clear();
        m_ended.reset();
        m_cancelled = false;
        m_searched = options.root;
        m_session->start(options);
        for (int c : {FoundIconModel::Name, FoundIconModel::Folder})
            tvwResults->header()->resizeSection(c, tvwResults->header()->sectionSizeHint(c));
        showCount();
        showProgress();
        enableControls();
        results()->setFocus();   // the choices are locked now; the keys go to what is found
    });
}

void frmSearch::cmdStop_Click()
{
    trap([&] {
        if (!running())
            return;
        m_session->stop();
        m_cancelled = true;
        m_ended = Ended{true, m_session->progress()};
        showCount();
        showProgress();
    });
}

void frmSearch::searchEnded(bool rootListed)
{
    if (!m_cancelled || !rootListed)
        m_ended = Ended{rootListed, m_session->progress()};
    showProgress();
    enableControls();
}

// The icons found, and of them the ones shown while the filter keeps some out: "N / M".
QString frmSearch::iconCount() const
{
    if (txtFilter->text().isEmpty())
        return QString::number(foundCount());
    return QStringLiteral("%1 / %2").arg(shownCount()).arg(foundCount());
}

QString frmSearch::endedText() const
{
    if (!m_ended->rootListed)
        return tr("フォルダを読めません: %1").arg(shownName(m_searched));
    const SearchProgress& p = m_ended->progress;
    QString text = (m_cancelled ? tr("中止しました: ファイル %1 件、アイコン %2 個")
                                : tr("完了: ファイル %1 件、アイコン %2 個"))
                       .arg(p.filesDone)
                       .arg(iconCount());
    if (p.unreadableFiles + p.unreadableFolders > 0)
        text += tr("（読めないファイル %1 件、フォルダ %2 件）").arg(p.unreadableFiles).arg(p.unreadableFolders);
    return text;
}

void frmSearch::showCount()
{
    setWindowTitle(tr("アイコン検索 - [アイコン数：%1]").arg(iconCount()));
}

void frmSearch::showProgress()
{
    if (m_ended || !running()) {
        lblProgress->setText(m_ended ? endedText() : QString());
        return;
    }
    const SearchProgress p = m_session->progress();
    QString text = tr("検索中 (ファイル %1 件): ").arg(p.filesDone);
    const QString folder = shownName(p.folder);
    const int room = std::max(40, lblProgress->width() - lblProgress->fontMetrics().horizontalAdvance(text) - 8);
    lblProgress->setText(text + lblProgress->fontMetrics().elidedText(folder, Qt::ElideMiddle, room));
}

void frmSearch::enableControls()
{
    const bool busy = running();
    for (QWidget* w : std::initializer_list<QWidget*>{txtFolder, cmdBrowse, chkSubFolders, chkAllFiles, cboMinSize, cmdSearch})
        w->setEnabled(!busy);
    for (QCheckBox* c : {chkIconFiles, chkLibraries, chkPrograms})
        c->setEnabled(!busy && !chkAllFiles->isChecked());
    cmdStop->setEnabled(busy);
}

// The names and folders of the details in full: their columns grow to the widest found so far.
void frmSearch::widenColumns(const FoundFiles& files)
{
    QHeaderView* header = tvwResults->header();
    const QFontMetrics fm(tvwResults->font());
    const int margins = 4 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tvwResults) + 1);
    int name = header->sectionSize(FoundIconModel::Name);
    int folder = header->sectionSize(FoundIconModel::Folder);
    for (const iconsource::FoundFile& f : files) {
        if (f.icons.empty())
            continue;
        const StoredPath path(f.path);
        name = std::max(name, fm.horizontalAdvance(path.fileName()) + tvwResults->iconSize().width() + 2 * margins);
        folder = std::max(folder, fm.horizontalAdvance(path.folder().shown()) + margins);
    }
    header->resizeSection(FoundIconModel::Name, name);
    header->resizeSection(FoundIconModel::Folder, folder);
}

void frmSearch::cmdBrowse_Click()
{
    trap([&] {
        const QString folder = platform().files->browseFolder(this, tr("フォルダを開く"));
        if (!folder.isEmpty())
            setFolder(StoredPath::fromText(folder));
    });
}

frmSearch::Found frmSearch::foundAt(int row) const
{
    const QModelIndex mi = m_shown->mapToSource(m_shown->index(row, 0));
    if (!mi.isValid())
        return {};
    return {m_model->fileOf(mi.row()).path, m_model->row(mi.row()).index};
}

std::vector<frmSearch::Found> frmSearch::selectedFound(int* current) const
{
    std::set<int> rows;
    for (const QModelIndex& mi : lstResults->selectionModel()->selectedIndexes())
        rows.insert(mi.row());
    std::vector<Found> found;
    if (current)
        *current = -1;
    for (int row : rows) {
        if (current && row == results()->currentIndex().row())
            *current = int(found.size());
        found.push_back(foundAt(row));
    }
    return found;
}

QAbstractItemView* frmSearch::results() const
{
    if (m_view == View::Details)
        return tvwResults;
    return lstResults;
}

void frmSearch::Results_Activated(int row)
{
    trap([&] {
        const Found found = foundAt(row);
        if (found.index >= 0)
            Q_EMIT OpenIcon(found.path, found.index);
    });
}

void frmSearch::Results_ContextMenu(const QPoint& pos)
{
    trap([&] {
        // The item under the pointer; when the menu key asked, the current one, or the first
        // selected (Ctrl+A leaves no current item).
        QAbstractItemView* list = results();
        QModelIndex mi = list->indexAt(pos);
        QPoint at = pos;
        const bool fromKeys = QGuiApplication::mouseButtons() == Qt::NoButton;
        if (!mi.isValid() && (fromKeys || !list->viewport()->rect().contains(pos))) {
            mi = list->currentIndex();
            if (!mi.isValid() && fromKeys) {
                QModelIndexList chosen = list->selectionModel()->selectedRows();
                std::sort(chosen.begin(), chosen.end());
                mi = chosen.value(0);
            }
            if (mi.isValid()) {
                list->scrollTo(mi);
                at = list->visualRect(mi).center();
            }
        }
        // A selected item keeps the others selected with it; any other is chosen alone.
        QItemSelectionModel* selection = list->selectionModel();
        if (mi.isValid())
            selection->setCurrentIndex(mi, selection->isSelected(mi) ? QItemSelectionModel::NoUpdate
                                                                     : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_menuRow = mi.isValid() ? mi.row() : -1;
        for (QAction* a : {MSOpen, MSbig, MSSave, MSCopy, MSInfo, MSFolder, MSLibrary})
            a->setEnabled(mi.isValid());
        MSLarge->setChecked(m_view == View::Large);
        MSSmall->setChecked(m_view == View::Small);
        MSDetails->setChecked(m_view == View::Details);
        pop->popup(list->viewport()->mapToGlobal(at));
    });
}

void frmSearch::MSOpen_Click()
{
    Results_Activated(m_menuRow);
}

void frmSearch::MSbig_Click()
{
    trap([&] {
        const QModelIndex mi = m_shown->mapToSource(m_shown->index(m_menuRow, 0));
        if (!mi.isValid())
            return;
        const FoundFileView view(*m_model, mi.row());
        Form2::Open(this, view);
    });
}

namespace {
std::vector<IconOfFile> iconsOf(const std::vector<frmSearch::Found>& found)
{
    std::vector<IconOfFile> icons;
    for (const frmSearch::Found& f : found)
        icons.push_back(IconOfFile{f.path, f.index, false, nullptr});
    return icons;
}
} // namespace

void frmSearch::MSSave_Click()
{
    trap([&] {
        int current = -1;
        const std::vector<Found> found = selectedFound(&current);
        if (current >= 0)
            IconCommands::SaveIcons(this, iconsOf(found));
    });
}

void frmSearch::MSCopy_Click()
{
    trap([&] {
        int current = -1;
        const std::vector<Found> found = selectedFound(&current);
        if (current >= 0)
            IconCommands::Copy(this, iconsOf(found), current);
    });
}

QMimeData* frmSearch::dragData()
{
    QMimeData* data = nullptr;
    trap([&] {
        int current = -1;
        const std::vector<Found> found = selectedFound(&current);
        if (!found.empty())
            data = IconCommands::DragData(iconsOf(found), std::max(current, 0));
    });
    return data;
}

void frmSearch::MSLibrary_Click()
{
    trap([&] {
        const std::vector<Found> found = selectedFound();
        if (!found.empty())
            IconCommands::SaveLibrary(this, iconsOf(found), tr("選択したアイコンをアイコンライブラリに保存"));
    });
}

void frmSearch::MSInfo_Click()
{
    trap([&] {
        const Found found = foundAt(m_menuRow);
        if (found.index >= 0)
            IconCommands::ShowInfo(this, IconOfFile{found.path, found.index, false, nullptr});
    });
}

void frmSearch::MSFolder_Click()
{
    trap([&] {
        QList<QByteArray> files;
        for (const Found& f : selectedFound())
            if (!files.contains(f.path.bytes()))
                files << f.path.bytes();
        if (files.isEmpty())
            return;
        const QString first = StoredPath(files.first()).shown();
        QPointer<frmSearch> window(this);
        platform().shell->showItems(files, [window, first](bool shown) {
            if (!shown && window)
                trap([&] {
                    platform().messages->show(window, {tr("ファイルの場所を開けませんでした。\n\n%1\n\nファイルマネージャが応答しません。").arg(first),
                                                       MsgIcon::Exclamation});
                });
        });
    });
}

void frmSearch::SetView(View view)
{
    trap([&] {
        QAbstractItemView* was = results();
        const bool focused = was->hasFocus();
        m_view = view;
        const std::pair<QToolButton*, View> buttons[] = {{cmdLarge, View::Large}, {cmdSmall, View::Small}, {cmdDetails, View::Details}};
        for (auto [button, v] : buttons)
            if (v == view)
                button->setChecked(true);
        m_model->setLarge(view == View::Large);
        const QFontMetrics fm(lstResults->font());
        if (view == View::Large) {
            lstResults->setViewMode(QListView::IconMode);
            lstResults->setFlow(QListView::LeftToRight);
            lstResults->setIconSize(QSize(32, 32));
            // Two lines of label under the icon.
            lstResults->setGridSize(QSize(96, 32 + 2 * fm.lineSpacing() + 14));
            lstResults->setWordWrap(true);
        } else if (view == View::Small) {
            lstResults->setViewMode(QListView::ListMode);
            lstResults->setFlow(QListView::TopToBottom);
            lstResults->setIconSize(QSize(16, 16));
            lstResults->setGridSize(QSize(16 + 30 * fm.averageCharWidth(), std::max(16, fm.height()) + 4));
            lstResults->setWordWrap(false);
        }
        if (view != View::Details) {
            // The view modes reset these.
            lstResults->setWrapping(true);
            lstResults->setMovement(QListView::Static);
            lstResults->setResizeMode(QListView::Adjust);
            lstResults->setUniformItemSizes(true);
            lstResults->setDragDropMode(QAbstractItemView::DragOnly);
        }
        QAbstractItemView* now = results();
        // The current item stays current, in the column the list shows.
        const QModelIndex current = was->currentIndex();
        if (current.isValid())
            now->selectionModel()->setCurrentIndex(
                current.siblingAtColumn(now == tvwResults ? int(FoundIconModel::Name) : int(FoundIconModel::Label)),
                QItemSelectionModel::NoUpdate);
        lstResults->setVisible(now == lstResults);
        tvwResults->setVisible(now == tvwResults);
        if (focused)
            now->setFocus();
        if (current.isValid())
            now->scrollTo(now->currentIndex());
    });
}

void frmSearch::keyPressEvent(QKeyEvent* e)
{
    // Escape stops a running search; once it is over, it closes the window.
    if (e->matches(QKeySequence::Cancel)) {
        trap([&] {
            if (running())
                cmdStop_Click();
            else
                close();
        });
        return;
    }
    QWidget::keyPressEvent(e);
}

void frmSearch::closeEvent(QCloseEvent* e)
{
    m_session->stop();
    e->accept();
}

} // namespace zor
