#pragma once
// The help file's pages in a window of our own, for desktops that have no program for
// compiled HTML help: the file's contents, index and a search of its pages beside the page,
// links, back and forward, and the contents page first.
#include "platform/help/ChmArchive.h"

#include <QMainWindow>
#include <QPointer>
#include <QTextBrowser>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zor {

// A browser whose pages, style sheets and pictures come out of the help file.
class ChmBrowser : public QTextBrowser {
    Q_OBJECT
public:
    ChmBrowser(const ChmArchive& archive, QWidget* parent);
    QVariant loadResource(int type, const QUrl& name) override;
    static inline const QString Scheme = QStringLiteral("zor-help");

private:
    const ChmArchive& m_archive;
};

class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    // Shows the help file's contents page on the screen that holds `parent`;
    // nullptr when the file is not a help file we can read.
    static HelpWindow* Open(const QString& helpFile, QWidget* parent);

    ChmBrowser* browser() const { return m_browser; }
    void showTopic(const QString& path);   // "/index.html", "/options.html#assoc"
    QAction* back = nullptr;
    QAction* forward = nullptr;
    QAction* contents = nullptr;

    // The pane beside the page: the contents, the index and the search.
    QTabWidget* pane = nullptr;
    QTreeWidget* contentsTree = nullptr;
    QLineEdit* keyword = nullptr;
    QListWidget* keywords = nullptr;
    QPushButton* showKeyword = nullptr;
    QLineEdit* searchText = nullptr;
    QPushButton* startSearch = nullptr;
    QLabel* foundCount = nullptr;
    QListWidget* found = nullptr;
    QPushButton* showFound = nullptr;

private:
    HelpWindow(std::unique_ptr<ChmArchive> archive, QWidget* parent);
    QWidget* makeContentsTab();
    QWidget* makeIndexTab();
    QWidget* makeSearchTab();
    void followLink(const QUrl& url);
    void showUrl(const QUrl& url);
    QUrl topicUrl(const QString& sitemapFile, const QString& local) const;
    void selectKeyword(const QString& text);
    void search();
    void showFoundPage(QListWidgetItem* item);
    void markWords(const QStringList& words);
    void markContentsEntry(const QUrl& url);
    void placeOnOwnersScreen();

    // The text of every page, read at the first search.
    struct Page {
        QString path;
        QString title;
        QString text;
    };
    void readPages();

    std::unique_ptr<ChmArchive> m_archive;
    ChmBrowser* m_browser = nullptr;
    QPointer<QWidget> m_owner;
    std::vector<Page> m_pages;
    bool m_pagesRead = false;
    QStringList m_foundWords;
};

} // namespace zor
