#include "dialogs/HelpWindow.h"

#include "platform/Platform.h"
#include "shell/URLexe.h"

#include <QAction>
#include <QKeySequence>
#include <QRegularExpression>
#include <QTextDocument>
#include <QToolBar>

namespace zor {

namespace {
// The charset a page or style sheet declares; help files default to their code page.
QByteArray declaredCharset(const QByteArray& bytes)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_\\-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charset.match(QString::fromLatin1(bytes.left(2048)));
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray("Shift_JIS");
}
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
        return ChmArchive::decode(*bytes, declaredCharset(*bytes));
    return *bytes;
}

HelpWindow* HelpWindow::Open(const QString& helpFile, QWidget* parent)
{
    auto archive = std::make_unique<ChmArchive>(helpFile);
    if (!archive->isOpen() || !archive->read(archive->defaultTopic()))
        return nullptr;
    auto* window = new HelpWindow(std::move(archive), parent);
    window->show();
    return window;
}

HelpWindow::HelpWindow(std::unique_ptr<ChmArchive> archive, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_archive(std::move(archive))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_archive->title().isEmpty() ? ProgramTitle : m_archive->title());
    m_browser = new ChmBrowser(*m_archive, this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    setCentralWidget(m_browser);

    QToolBar* bar = addToolBar(QStringLiteral("help"));
    bar->setMovable(false);
    back = bar->addAction(QStringLiteral("戻る"), m_browser, &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    forward = bar->addAction(QStringLiteral("進む"), m_browser, &QTextBrowser::forward);
    forward->setShortcut(QKeySequence::Forward);
    contents = bar->addAction(QStringLiteral("目次"), this, [this] { showTopic(m_archive->defaultTopic()); });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { followLink(url); });

    resize(640, 560);
    showTopic(m_archive->defaultTopic());
}

void HelpWindow::showTopic(const QString& path)
{
    QUrl url;
    url.setScheme(ChmBrowser::Scheme);
    url.setPath(path);
    m_browser->setSource(url, QTextDocument::HtmlResource);
}

void HelpWindow::followLink(const QUrl& url)
{
    trap([&] {
        const QUrl target = m_browser->source().resolved(url);
        if (target.scheme() == ChmBrowser::Scheme)
            m_browser->setSource(target, QTextDocument::HtmlResource);
        else
            OpenURL(target.toString());   // the web and mail addresses in the pages
    });
}

} // namespace zor
