#pragma once
// The help file's pages in a window of our own, for desktops that have no program for
// compiled HTML help: links, back and forward, and the contents page first.
#include "platform/help/ChmArchive.h"

#include <QMainWindow>
#include <QTextBrowser>
#include <memory>

class QAction;

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
    // Shows the help file's contents page; nullptr when the file is not a help file we can read.
    static HelpWindow* Open(const QString& helpFile, QWidget* parent);

    ChmBrowser* browser() const { return m_browser; }
    void showTopic(const QString& path);   // "/index.html"
    QAction* back = nullptr;
    QAction* forward = nullptr;
    QAction* contents = nullptr;

private:
    HelpWindow(std::unique_ptr<ChmArchive> archive, QWidget* parent);
    void followLink(const QUrl& url);

    std::unique_ptr<ChmArchive> m_archive;
    ChmBrowser* m_browser = nullptr;
};

} // namespace zor
