#pragma once
// The running desktop: its background, the folder the program keeps its own files
// in, and the freedesktop.org databases that decide which program opens a file.
#include <QColor>
#include <QString>
#include <QStringList>

namespace zor {

class Desktop {
public:
    virtual ~Desktop() = default;
    // The configured background colour, else RGB 58, 110, 165.
    virtual QColor desktopColour() = 0;
    // Shows the image as the desktop background where the desktop is recognised.
    virtual void applyWallpaper(const QString& path, bool tiled) = 0;
    // $XDG_DATA_HOME/QEL, created when needed.
    virtual QString windowsDirectory() = 0;
    // Makes executable (started with the file's path) a program for files with this
    // extension (without its dot); with makeDefault it becomes the one a double-click starts.
    // Both registrations return the files and folders that could not be written, so
    // an empty list means the desktop now knows.
    virtual QStringList registerFileType(const QString& executable, const QString& extension, bool makeDefault) = 0;
    // Offers executable for folders, without changing what opens them by default.
    virtual QStringList registerFolderHandler(const QString& executable) = 0;
};

inline const QColor FallbackDesktopColour{58, 110, 165};

} // namespace zor
