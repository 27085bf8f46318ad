#include "app/frmSearch.h"

#include "dialogs/IconCommands.h"

#include "platform/ImageList.h"
#include "platform/Platform.h"
#include "platform/desktop/Shell.h"
#include "icons/FoundIcons.h"
#include "platform/iconsource/Opener.h"
#include "viewer/EnlargedViewSource.h"
#include "viewer/Form2.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QToolButton>
#include <QVBoxLayout>


namespace zor {

using namespace iconsource;

namespace {
QPixmap broken(bool large)
{
    return QPixmap(large ? QStringLiteral(":/art/broken32.png") : QStringLiteral(":/art/broken16.png"));
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

} // namespace

frmSearch::frmSearch(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmSearch"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (owner)
        setWindowIcon(owner->windowIcon());

    txtFolder = new QLineEdit(this);
    txtFolder->setObjectName(QStringLiteral("txtFolder"));
    cmdBrowse = new QPushButton(QStringLiteral("参照(&B)..."), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    auto* folderLabel = new QLabel(QStringLiteral("フォルダ(&D):"), this);
    folderLabel->setBuddy(txtFolder);

    chkSubFolders = new QCheckBox(QStringLiteral("サブフォルダも検索する"), this);
    chkSubFolders->setObjectName(QStringLiteral("chkSubFolders"));
    chkSubFolders->setChecked(true);
    chkIconFiles = new QCheckBox(QStringLiteral("アイコンファイル (.ico .cur)"), this);
    chkIconFiles->setObjectName(QStringLiteral("chkIconFiles"));
    chkLibraries = new QCheckBox(QStringLiteral("アイコンライブラリ (.icl)"), this);
    chkLibraries->setObjectName(QStringLiteral("chkLibraries"));
    chkPrograms = new QCheckBox(QStringLiteral("プログラムとライブラリ (.exe .dll .cpl .ocx .scr .mun .sys)"), this);
    chkPrograms->setObjectName(QStringLiteral("chkPrograms"));
    chkAllFiles = new QCheckBox(QStringLiteral("すべてのファイル (中身で判断)"), this);
    chkAllFiles->setObjectName(QStringLiteral("chkAllFiles"));
    for (QCheckBox* c : {chkIconFiles, chkLibraries, chkPrograms})
        c->setChecked(true);

    cboMinSize = new QComboBox(this);
    cboMinSize->setObjectName(QStringLiteral("cboMinSize"));
    cboMinSize->addItem(QStringLiteral("指定なし"), 0);
    for (int side : {32, 48, 256})
        cboMinSize->addItem(QStringLiteral("%1 × %1 以上").arg(side), side);
    auto* sizeLabel = new QLabel(QStringLiteral("最小サイズ(&M):"), this);
    sizeLabel->setBuddy(cboMinSize);

    cmdSearch = new QPushButton(QStringLiteral("検索(&S)"), this);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdStop = new QPushButton(QStringLiteral("中止"), this);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));

    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setPlaceholderText(QStringLiteral("ファイル名の一部"));
    txtFilter->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("絞り込み(&N):"), this);
    filterLabel->setBuddy(txtFilter);

    auto viewButton = [this](const QString& name, const QString& art, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(QIcon(art));
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);   // the keys have the context menu's entries
        return b;
    };
    cmdLarge = viewButton(QStringLiteral("cmdLarge"), QStringLiteral(":/art/tb2.png"), QStringLiteral("大きいアイコン"));
    cmdSmall = viewButton(QStringLiteral("cmdSmall"), QStringLiteral(":/art/tb3.png"), QStringLiteral("小さいアイコン"));

    m_model = new FoundIconModel(this);
    m_shown = new QSortFilterProxyModel(this);
    m_shown->setSourceModel(m_model);
    m_shown->setFilterRole(FoundIconModel::FileNameRole);
    m_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);

    lstResults = new QListView(this);
    lstResults->setObjectName(QStringLiteral("lstResults"));
    lstResults->setModel(m_shown);
    lstResults->setSelectionMode(QAbstractItemView::SingleSelection);
    lstResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstResults->setContextMenuPolicy(Qt::CustomContextMenu);
    lstResults->setTextElideMode(Qt::ElideMiddle);   // the number at the end stays in sight
    lstResults->setLayoutMode(QListView::Batched);
    lstResults->setBatchSize(2000);

    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    pop = new QMenu(this);
    pop->setObjectName(QStringLiteral("pop"));
    MSbig = pop->addAction(QStringLiteral("拡大表示"));
    MSSave = pop->addAction(QStringLiteral("アイコンを保存..."));
    MSCopy = pop->addAction(QStringLiteral("コピー"));
    MSFolder = pop->addAction(QStringLiteral("フォルダを開く"));
    pop->addSeparator();
    MSLarge = pop->addAction(QStringLiteral("大きなｱｲｺﾝ"));
    MSSmall = pop->addAction(QStringLiteral("小さなｱｲｺﾝ"));
    for (QAction* a : {MSLarge, MSSmall})
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
    choices->addWidget(new QLabel(QStringLiteral("開くファイル:"), this), 2, 0, Qt::AlignTop);
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
    layout->addLayout(listBar);
    layout->addWidget(lstResults, 1);
    layout->addWidget(lblProgress);
    setTabOrder(txtFilter, lstResults);

    m_session = new SearchSession(this);
    connect(m_session, &SearchSession::found, this, [this](const FoundFiles& files) {
        trap([&] {
            m_model->append(files);
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
        trap([&] { m_shown->setFilterFixedString(text); });
    });
    connect(cmdLarge, &QToolButton::clicked, this, [this] { SetLarge(true); });
    connect(cmdSmall, &QToolButton::clicked, this, [this] { SetLarge(false); });
    connect(MSLarge, &QAction::triggered, this, [this] { SetLarge(true); });
    connect(MSSmall, &QAction::triggered, this, [this] { SetLarge(false); });
    connect(MSbig, &QAction::triggered, this, [this] { MSbig_Click(); });
    connect(MSSave, &QAction::triggered, this, [this] { MSSave_Click(); });
    connect(MSCopy, &QAction::triggered, this, [this] { MSCopy_Click(); });
    connect(MSFolder, &QAction::triggered, this, [this] { MSFolder_Click(); });
    connect(lstResults, &QListView::activated, this, [this](const QModelIndex& mi) { Results_Activated(mi.row()); });
    connect(lstResults, &QListView::customContextMenuRequested, this,
            [this](const QPoint& pos) { Results_ContextMenu(pos); });

    SetLarge(true);
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
            lblProgress->setText(QStringLiteral("開くファイルの種類を選んでください。"));
            return;
        }
        options.minSize = cboMinSize->currentData().toInt();

        m_model->clear();
        m_ended.clear();
        m_cancelled = false;
        m_searched = options.root;
        m_session->start(options);
        showCount();
        showProgress();
        enableControls();
        lstResults->setFocus();   // the choices are locked now; the keys go to what is found
    });
}

void frmSearch::cmdStop_Click()
{
    trap([&] {
        if (!running())
            return;
        m_session->stop();
        m_cancelled = true;
        m_ended = endedText(true);
        showCount();
        showProgress();
    });
}

void frmSearch::searchEnded(bool rootListed)
{
    if (!m_cancelled || !rootListed)
        m_ended = endedText(rootListed);
    showProgress();
    enableControls();
}

QString frmSearch::endedText(bool rootListed) const
{
    if (!rootListed)
        return QStringLiteral("フォルダを読めません: %1").arg(shownName(m_searched));
    const SearchProgress p = m_session->progress();
    QString text = (m_cancelled ? QStringLiteral("中止しました: ファイル %1 件、アイコン %2 個")
                                : QStringLiteral("完了: ファイル %1 件、アイコン %2 個"))
                       .arg(p.filesDone)
                       .arg(foundCount());
    if (p.unreadableFiles + p.unreadableFolders > 0)
        text += QStringLiteral("（読めないファイル %1 件、フォルダ %2 件）").arg(p.unreadableFiles).arg(p.unreadableFolders);
    return text;
}

void frmSearch::showCount()
{
    setWindowTitle(QStringLiteral("アイコン検索 - [アイコン数：%1]").arg(foundCount()));
}

void frmSearch::showProgress()
{
    if (!m_ended.isEmpty() || !running()) {
        lblProgress->setText(m_ended);
        return;
    }
    const SearchProgress p = m_session->progress();
    QString text = QStringLiteral("検索中 (ファイル %1 件): ").arg(p.filesDone);
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

void frmSearch::cmdBrowse_Click()
{
    trap([&] {
        const QString folder = platform().files->browseFolder(this, QStringLiteral("フォルダを開く"));
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
        // The item under the pointer, or the current one when the menu key asked.
        QModelIndex mi = lstResults->indexAt(pos);
        QPoint at = pos;
        if (!mi.isValid() && lstResults->currentIndex().isValid() && !lstResults->viewport()->rect().contains(pos)) {
            mi = lstResults->currentIndex();
            at = lstResults->visualRect(mi).center();
        }
        if (mi.isValid())
            lstResults->setCurrentIndex(mi);
        m_menuRow = mi.isValid() ? mi.row() : -1;
        for (QAction* a : {MSbig, MSSave, MSCopy, MSFolder})
            a->setEnabled(mi.isValid());
        MSLarge->setChecked(m_model->large());
        MSSmall->setChecked(!m_model->large());
        pop->popup(lstResults->viewport()->mapToGlobal(at));
    });
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

void frmSearch::MSSave_Click()
{
    trap([&] {
        const Found found = foundAt(m_menuRow);
        if (found.index >= 0)
            IconCommands::SaveIcon(this, IconOfFile{found.path, found.index, false, nullptr});
    });
}

void frmSearch::MSCopy_Click()
{
    trap([&] {
        const Found found = foundAt(m_menuRow);
        if (found.index >= 0)
            IconCommands::Copy(this, IconOfFile{found.path, found.index, false, nullptr});
    });
}

void frmSearch::MSFolder_Click()
{
    trap([&] {
        const Found found = foundAt(m_menuRow);
        if (found.index >= 0)
            platform().shell->showItems({found.path.bytes()});
    });
}

void frmSearch::SetLarge(bool large)
{
    trap([&] {
        (large ? cmdLarge : cmdSmall)->setChecked(true);
        m_model->setLarge(large);
        if (large) {
            lstResults->setViewMode(QListView::IconMode);
            lstResults->setFlow(QListView::LeftToRight);
            lstResults->setIconSize(QSize(32, 32));
            lstResults->setGridSize(QSize(96, 64));
            lstResults->setWordWrap(true);
        } else {
            lstResults->setViewMode(QListView::ListMode);
            lstResults->setFlow(QListView::TopToBottom);
            lstResults->setIconSize(QSize(16, 16));
            lstResults->setGridSize(QSize());
            lstResults->setWordWrap(false);
        }
        // The view modes reset these.
        lstResults->setWrapping(true);
        lstResults->setMovement(QListView::Static);
        lstResults->setResizeMode(QListView::Adjust);
        lstResults->setUniformItemSizes(true);
        lstResults->setDragDropMode(QAbstractItemView::NoDragDrop);
    });
}

void frmSearch::keyPressEvent(QKeyEvent* e)
{
    // Escape stops a running search; the window stays.
    if (e->key() == Qt::Key_Escape && running()) {
        cmdStop_Click();
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
