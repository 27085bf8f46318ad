#pragma once
// The desktop shell: opening documents and links with their registered programs,
// a file's property sheet, and files shown in their folders.
#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace zor {

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file (or folder) with its program. False when the desktop refuses,
    // which includes a path that does not exist.
    virtual bool openDocument(const QString& path, int showCommand) = 0;
    // Whether the desktop names a program for the file's type.
    virtual bool hasProgramFor(const QString& path) = 0;
    // Opens a web or "mailto:" address; what happens is not reported.
    virtual void openUrl(const QString& address) = 0;
    // Asks the file manager for the file's property sheet; nothing when none answers.
    virtual void showProperties(const QString& path) = 0;
    // Shows the files (named by their stored bytes) in the file manager, each selected in
    // its folder; the folder alone is opened when no file manager answers. done (on this
    // thread, maybe later) is told whether anything showed them.
    virtual void showItems(const QList<QByteArray>& paths, std::function<void(bool shown)> done) = 0;
};

} // namespace zor
