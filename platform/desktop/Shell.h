#pragma once
// The desktop shell: opening documents and links with their registered programs,
// and a file's property sheet.
#include <QString>

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
};

} // namespace zor
