#pragma once
// A desktop that records wallpapers and registrations instead of applying them.
#include "platform/desktop/Desktop.h"

#include <QDir>
#include <QStandardPaths>
#include <vector>

namespace zor {

class RecordingDesktop : public Desktop {
public:
    struct Wallpaper { QString path; bool tiled; };
    struct Registration { QString executable; QString extension; bool makeDefault; };   // extension "" = folders

    QColor desktopColour() override { return colour; }
    void applyWallpaper(const QString& path, bool tiled) override { wallpapers.push_back({path, tiled}); }
    QString windowsDirectory() override
    {
        const QString dir = windowsDir.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/QEL")
            : windowsDir;
        QDir().mkpath(dir);
        return dir;
    }
    QStringList registerFileType(const QString& executable, const QString& extension, bool makeDefault) override
    {
        registrations.push_back({executable, extension, makeDefault});
        return unwritten;
    }
    QStringList registerFolderHandler(const QString& executable) override
    {
        registrations.push_back({executable, QString(), false});
        return unwritten;
    }

    QColor colour = FallbackDesktopColour;
    QString windowsDir;   // empty: $XDG_DATA_HOME/QEL, as on the real desktop
    std::vector<Wallpaper> wallpapers;
    std::vector<Registration> registrations;
    QStringList unwritten;   // what every registration reports it could not write
};

} // namespace zor
