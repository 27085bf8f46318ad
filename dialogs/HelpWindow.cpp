#include "dialogs/HelpWindow.h"

#include "platform/Platform.h"
#include "platform/help/Sitemap.h"
#include "shell/URLexe.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <functional>

namespace zor {

namespace {
// The window's inside when the screen has room for it: the pane and a page beside it.
constexpr QSize PreferredSize(900, 620);
constexpr int PaneWidth = 280;
// What a search reads at most, so a huge or hostile help file cannot stall it.
constexpr size_t MaxSearchedPages = 2000;
constexpr qint64 MaxSearchedBytes = 64 * 1024 * 1024;
constexpr int MaxMarkedWords = 1000;
constexpr int TopicRole = Qt::UserRole;      // the entry's page, a QUrl
constexpr int NameRole = Qt::UserRole + 1;   // the keyword as written

// A page's text for the search: no style sheets or pictures are fetched for it.
class PageText : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

bool isPage(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) && !path.startsWith(QLatin1String("/#")) && !path.startsWith(QLatin1String("/$"))
           && (path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) || path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive));
}

QUrl withoutFragment(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveFragment);
}

// Runs a step once, the first time the window is exposed: by then the window manager
// has framed it and the frame's size is known.
class OnFirstExpose : public QObject {
public:
    OnFirstExpose(QWindow* window, std::function<void()> step) : QObject(window), m_step(std::move(step))
    {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            deleteLater();
            trap(m_step);
        }
        return false;
    }

private:
    std::function<void()> m_step;
};
} // namespace

ChmBrowser::ChmBrowser(const ChmArchive& archive, QWidget* parent) : QTextBrowser(parent), m_archive(archive)
{
    setOpenLinks(false);
}

QVariant ChmBrowser::loadResource(int type, const QUrl& name)
{
    if (name.scheme() != Scheme)
        return {};
    const std::optional<QByteArray> bytes = m_archive.read(name.path());
    if (!bytes)
        return {};
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return ChmArchive::decode(*bytes, ChmArchive::declaredCharset(*bytes));
    return *bytes;
}

HelpWindow* HelpWindow::Open(const QString& helpFile, QWidget* parent)
{
    auto archive = std::make_unique<ChmArchive>(helpFile);
    if (!archive->isOpen() || !archive->read(archive->defaultTopic()))
        return nullptr;
    auto* window = new HelpWindow(std::move(archive), parent);
    window->placeOnOwnersScreen();
    window->show();
    // The frame drawn, placed again if it reaches past the screen.
    new OnFirstExpose(window->windowHandle(), [window] { window->placeOnOwnersScreen(); });
    return window;
}

HelpWindow::HelpWindow(std::unique_ptr<ChmArchive> archive, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_archive(std::move(archive)), m_owner(parent)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_archive->title().isEmpty() ? ProgramTitle : m_archive->title());
    m_browser = new ChmBrowser(*m_archive, this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));

    pane = new QTabWidget(this);
    pane->setObjectName(QStringLiteral("HelpPane"));
    pane->addTab(makeContentsTab(), tr("目次(&C)"));
    pane->addTab(makeIndexTab(), tr("キーワード(&N)"));
    pane->addTab(makeSearchTab(), tr("検索(&S)"));
    // A tab chosen is ready for typing, as in a help viewer.
    connect(pane, &QTabWidget::currentChanged, this, [this](int tab) {
        trap([&] {
            QWidget* first[] = {contentsTree, keyword, searchText};
            if (tab >= 0 && tab < 3)
                first[tab]->setFocus(Qt::TabFocusReason);
        });
    });
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(pane);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 1);
    split->setSizes({PaneWidth, PreferredSize.width() - PaneWidth});
    setCentralWidget(split);

    QToolBar* bar = addToolBar(QStringLiteral("help"));
    bar->setMovable(false);
    back = bar->addAction(tr("戻る"), m_browser, &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    forward = bar->addAction(tr("進む"), m_browser, &QTextBrowser::forward);
    forward->setShortcut(QKeySequence::Forward);
    //: Goes to the help file's first page.
    contents = bar->addAction(tr("目次"), this, [this] { trap([&] { showTopic(m_archive->defaultTopic()); }); });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { followLink(url); });
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        trap([&] {
            m_browser->setExtraSelections({});   // marks of a search belong to the page they were found on
            markContentsEntry(url);
        });
    });

    // Closed as a help viewer closes, from wherever the focus is in it.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { trap([&] { close(); }); });

    resize(PreferredSize);
    showTopic(m_archive->defaultTopic());
}

QWidget* HelpWindow::makeContentsTab()
{
    contentsTree = new QTreeWidget(this);
    contentsTree->setObjectName(QStringLiteral("HelpContents"));
    contentsTree->setHeaderHidden(true);
    contentsTree->setColumnCount(1);
    const QString file = m_archive->contentsFile();
    const std::optional<QString> text = file.isEmpty() ? std::nullopt : m_archive->readText(file);
    // Each entry under the last one a level up; a damaged file that skips levels goes one down at most.
    std::vector<QTreeWidgetItem*> parents;
    for (const SitemapEntry& e : parseSitemap(text.value_or(QString()))) {
        const size_t depth = std::min(size_t(e.depth), parents.size());
        parents.resize(depth);
        auto* item = depth == 0 ? new QTreeWidgetItem(contentsTree) : new QTreeWidgetItem(parents.back());
        item->setText(0, e.name);
        if (!e.local.isEmpty())
            item->setData(0, TopicRole, topicUrl(file, e.local));
        parents.push_back(item);
    }
    contentsTree->expandToDepth(0);
    auto show = [this](QTreeWidgetItem* item) {
        trap([&] {
            if (item && item->data(0, TopicRole).isValid())
                showUrl(item->data(0, TopicRole).toUrl());
        });
    };
    connect(contentsTree, &QTreeWidget::itemClicked, this, show);
    connect(contentsTree, &QTreeWidget::itemActivated, this, show);
    return contentsTree;
}

QWidget* HelpWindow::makeIndexTab()
{
    auto* tab = new QWidget(this);
    auto* label = new QLabel(tr("検索するキーワードを入力してください(&W):"), tab);
    label->setWordWrap(true);   // the pane may be narrower than the caption
    keyword = new QLineEdit(tab);
    keyword->setObjectName(QStringLiteral("HelpKeyword"));
    label->setBuddy(keyword);
    keywords = new QListWidget(tab);
    keywords->setObjectName(QStringLiteral("HelpKeywords"));
    //: Shows the chosen topic.
    showKeyword = new QPushButton(tr("表示(&D)"), tab);
    showKeyword->setObjectName(QStringLiteral("HelpShowKeyword"));
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(label);
    layout->addWidget(keyword);
    layout->addWidget(keywords, 1);
    layout->addWidget(showKeyword, 0, Qt::AlignRight);

    const QString file = m_archive->indexFile();
    const std::optional<QString> text = file.isEmpty() ? std::nullopt : m_archive->readText(file);
    for (const SitemapEntry& e : parseSitemap(text.value_or(QString()))) {
        // Second-level keywords indented under their first-level one.
        auto* item = new QListWidgetItem(QString(e.depth * 2, QLatin1Char(' ')) + e.name, keywords);
        item->setData(NameRole, e.name);
        if (!e.local.isEmpty())
            item->setData(TopicRole, topicUrl(file, e.local));
    }
    auto show = [this](QListWidgetItem* item) {
        trap([&] {
            if (item && item->data(TopicRole).isValid())
                showUrl(item->data(TopicRole).toUrl());
        });
    };
    connect(keywords, &QListWidget::itemClicked, this, show);
    connect(keywords, &QListWidget::itemActivated, this, show);
    connect(showKeyword, &QPushButton::clicked, this, [this, show] { show(keywords->currentItem()); });
    connect(keyword, &QLineEdit::returnPressed, this, [this, show] { show(keywords->currentItem()); });
    connect(keyword, &QLineEdit::textEdited, this, [this](const QString& t) { trap([&] { selectKeyword(t); }); });
    return tab;
}

QWidget* HelpWindow::makeSearchTab()
{
    auto* tab = new QWidget(this);
    auto* label = new QLabel(tr("検索する語句を入力してください(&W):"), tab);
    label->setWordWrap(true);
    searchText = new QLineEdit(tab);
    searchText->setObjectName(QStringLiteral("HelpSearchText"));
    label->setBuddy(searchText);
    startSearch = new QPushButton(tr("検索開始(&L)"), tab);
    startSearch->setObjectName(QStringLiteral("HelpStartSearch"));
    auto* topics = new QLabel(tr("トピックの選択(&T):"), tab);
    foundCount = new QLabel(tab);
    foundCount->setObjectName(QStringLiteral("HelpFoundCount"));
    found = new QListWidget(tab);
    found->setObjectName(QStringLiteral("HelpFound"));
    topics->setBuddy(found);
    showFound = new QPushButton(tr("表示(&D)"), tab);
    showFound->setObjectName(QStringLiteral("HelpShowFound"));

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(label);
    layout->addWidget(searchText);
    layout->addWidget(startSearch, 0, Qt::AlignRight);
    auto* heading = new QHBoxLayout;
    heading->addWidget(topics);
    heading->addStretch(1);
    heading->addWidget(foundCount);
    layout->addLayout(heading);
    layout->addWidget(found, 1);
    layout->addWidget(showFound, 0, Qt::AlignRight);

    auto run = [this] { trap([&] { search(); }); };
    connect(startSearch, &QPushButton::clicked, this, run);
    connect(searchText, &QLineEdit::returnPressed, this, run);
    auto show = [this](QListWidgetItem* item) { trap([&] { showFoundPage(item); }); };
    connect(found, &QListWidget::itemClicked, this, show);
    connect(found, &QListWidget::itemActivated, this, show);
    connect(showFound, &QPushButton::clicked, this, [this, show] { show(found->currentItem()); });
    return tab;
}

QUrl HelpWindow::topicUrl(const QString& sitemapFile, const QString& local) const
{
    QString target = local;
    target.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // "ms-its:zor.chm::/page.html" and "mk:@MSITStore:zor.chm::/page.html" name a page of this file.
    if (const qsizetype inFile = target.indexOf(QLatin1String("::")); inFile >= 0)
        target = target.mid(inFile + 2);
    QUrl base;
    base.setScheme(ChmBrowser::Scheme);
    base.setPath(sitemapFile);
    return base.resolved(QUrl(target));
}

void HelpWindow::showTopic(const QString& path)
{
    QUrl root;
    root.setScheme(ChmBrowser::Scheme);
    root.setPath(QStringLiteral("/"));
    showUrl(root.resolved(QUrl(path)));
}

void HelpWindow::showUrl(const QUrl& url)
{
    if (url.scheme() == ChmBrowser::Scheme)
        m_browser->setSource(url, QTextDocument::HtmlResource);
    else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")
             || url.scheme() == QLatin1String("mailto"))
        OpenURL(url.toString());   // the web and mail addresses in the pages
}

void HelpWindow::followLink(const QUrl& url)
{
    trap([&] { showUrl(m_browser->source().resolved(url)); });
}

void HelpWindow::markContentsEntry(const QUrl& url)
{
    // The contents entry of the page shown, as a help viewer follows the reader.
    const QUrl page = withoutFragment(url);
    for (QTreeWidgetItemIterator it(contentsTree); *it; ++it) {
        if (withoutFragment((*it)->data(0, TopicRole).toUrl()) == page) {
            contentsTree->setCurrentItem(*it);
            contentsTree->scrollToItem(*it);
            return;
        }
    }
}

void HelpWindow::selectKeyword(const QString& typed)
{
    // The first keyword that begins with what was typed, else the first that holds it.
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return;
    for (Qt::MatchFlag match : {Qt::MatchStartsWith, Qt::MatchContains}) {
        for (int i = 0; i < keywords->count(); ++i) {
            const QString name = keywords->item(i)->data(NameRole).toString();
            if (match == Qt::MatchStartsWith ? name.startsWith(text, Qt::CaseInsensitive) : name.contains(text, Qt::CaseInsensitive)) {
                keywords->setCurrentRow(i);
                keywords->scrollToItem(keywords->item(i), QAbstractItemView::PositionAtTop);
                return;
            }
        }
    }
}

void HelpWindow::readPages()
{
    m_pagesRead = true;
    // The pages in the order of the contents, then those the contents leave out.
    QStringList paths;
    QHash<QString, QString> contentsNames;
    for (QTreeWidgetItemIterator it(contentsTree); *it; ++it) {
        const QUrl url = (*it)->data(0, TopicRole).toUrl();
        if (url.scheme() == ChmBrowser::Scheme && isPage(url.path())) {
            paths << url.path();
            contentsNames.insert(url.path().toLower(), (*it)->text(0));
        }
    }
    for (const QString& f : m_archive->files())
        if (isPage(f))
            paths << f;
    QSet<QString> seen;
    qint64 budget = MaxSearchedBytes;
    for (const QString& path : std::as_const(paths)) {
        if (m_pages.size() >= MaxSearchedPages)
            break;
        if (seen.contains(path.toLower()))
            continue;
        seen.insert(path.toLower());
        const std::optional<QByteArray> bytes = m_archive->read(path);
        if (!bytes)
            continue;
        if (bytes->size() > budget)
            break;
        budget -= bytes->size();
        PageText page;
        page.setHtml(ChmArchive::decode(*bytes, ChmArchive::declaredCharset(*bytes)));
        QString title = page.metaInformation(QTextDocument::DocumentTitle).simplified();
        if (title.isEmpty())
            title = contentsNames.value(path.toLower(), path.mid(1));
        m_pages.push_back({path, title, page.toPlainText()});
    }
}

void HelpWindow::search()
{
    // Pages that hold every word, in the order of the contents.
    // Words between spaces of any width, the ideographic one too.
    m_foundWords = searchText->text().simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    found->clear();
    foundCount->clear();
    if (m_foundWords.isEmpty())
        return;
    if (!m_pagesRead)
        readPages();
    for (const Page& page : m_pages) {
        const bool all = std::all_of(m_foundWords.cbegin(), m_foundWords.cend(),
                                     [&](const QString& w) { return page.text.contains(w, Qt::CaseInsensitive); });
        if (all) {
            auto* item = new QListWidgetItem(page.title, found);
            item->setData(TopicRole, page.path);
        }
    }
    foundCount->setText(tr("見つかった数: %1").arg(found->count()));
    if (found->count() > 0)
        found->setCurrentRow(0);
}

void HelpWindow::showFoundPage(QListWidgetItem* item)
{
    if (!item)
        return;
    const QStringList words = m_foundWords;
    showTopic(item->data(TopicRole).toString());
    markWords(words);
}

void HelpWindow::markWords(const QStringList& words)
{
    // Every place the words are found, marked as a selection is, the first one in view.
    QTextCharFormat mark;
    mark.setBackground(palette().brush(QPalette::Highlight));
    mark.setForeground(palette().brush(QPalette::HighlightedText));
    QList<QTextEdit::ExtraSelection> marks;
    QTextDocument* doc = m_browser->document();
    for (const QString& word : words) {
        for (QTextCursor at = doc->find(word); !at.isNull() && marks.size() < MaxMarkedWords; at = doc->find(word, at))
            marks.push_back({at, mark});
    }
    m_browser->setExtraSelections(marks);
    if (marks.isEmpty())
        return;
    const auto first = std::min_element(marks.cbegin(), marks.cend(), [](const auto& a, const auto& b) {
        return a.cursor.selectionStart() < b.cursor.selectionStart();
    });
    QTextCursor at(doc);
    at.setPosition(first->cursor.selectionStart());
    m_browser->setTextCursor(at);
    m_browser->ensureCursorVisible();
}

void HelpWindow::placeOnOwnersScreen()
{
    // Whole on the screen of the window that opened it, centred over that window.
    QWidget* owner = m_owner ? m_owner->window() : nullptr;
    const QRect ownerFrame = owner && owner->isVisible() ? owner->frameGeometry() : QRect();
    QScreen* screen = ownerFrame.isValid() ? QGuiApplication::screenAt(ownerFrame.center()) : nullptr;
    if (!screen && owner)
        screen = owner->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // Our own frame once the window manager has drawn it; until then the owner's is the best guess.
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull() && owner && owner->windowHandle())
        frame = owner->windowHandle()->frameMargins();
    if (isVisible() && area.contains(frameGeometry()))
        return;

    const QSize outerSize = PreferredSize.grownBy(frame).boundedTo(area.size());
    QRect outer(QPoint(), outerSize);
    outer.moveCenter(ownerFrame.isValid() ? ownerFrame.center() : area.center());
    outer.moveLeft(std::clamp(outer.left(), area.left(), area.right() + 1 - outer.width()));
    outer.moveTop(std::clamp(outer.top(), area.top(), area.bottom() + 1 - outer.height()));
    const QSize inner = outer.size().shrunkBy(frame).expandedTo(QSize(1, 1));
    if (!testAttribute(Qt::WA_WState_Created)) {
        // Before the window exists Qt places its frame at the point given.
        move(outer.topLeft());
        resize(inner);
    } else {
        setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), inner));
    }
}

} // namespace zor
