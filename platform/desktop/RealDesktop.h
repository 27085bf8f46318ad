#pragma once
// The real desktop: GNOME-family desktops, Xfce and KDE Plasma are recognised from
// $XDG_CURRENT_DESKTOP; associations go to the freedesktop.org databases in the
// user's XDG folders.
#include "platform/desktop/Desktop.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <optional>

namespace zor {

class MimeAppsList;

class RealDesktop : public Desktop {
public:
    RealDesktop();

    QColor desktopColour() override;
    void applyWallpaper(const QString& path, bool tiled) override;
    QString windowsDirectory() override;
    QStringList registerFileType(const QString& executable, const QString& extension, bool makeDefault) override;
    QStringList registerFolderHandler(const QString& executable) override;

    // Runs a command with a time limit: its standard output, or nothing when the
    // command is missing, fails or hangs. Replaceable so the commands can be checked.
    using Runner = std::function<std::optional<QByteArray>(const QString& program, const QStringList& arguments)>;
    Runner run;
    // Hands a script to Plasma's shell over D-Bus. Replaceable likewise.
    std::function<void(const QString& script)> evaluatePlasmaScript;
    // Empty: $XDG_CURRENT_DESKTOP at the time of the call.
    QString desktopName;

    // The desktop entry is named after the application id, as AppStream data asks.
    static inline const QString DesktopFile = QStringLiteral("io.github.qeltormelia.zor.desktop");
    // The name earlier versions wrote per user: still read, and replaced by the new one
    // the next time a registration is written.
    static inline const QString LegacyDesktopFile = QStringLiteral("zor.desktop");
    // The MIME type files with this extension have: the shared database's when it
    // knows the extension, otherwise the one this program defines.
    static QString mimeTypeOf(const QString& extension);
    // The Exec value of the desktop entry: the executable, quoted as the desktop entry
    // format asks, and %f.
    static QString execValue(const QString& executable);
    // The files as an install ships them, from platform/desktop: DesktopFile and
    // "zor.xml" (the icon-library type), and "zor-dll.xml", "zor-cpl.xml". What is
    // written here is made from them, so the two cannot drift apart.
    static QByteArray installedText(const QString& name);
    // That desktop entry, started from executable and listing these types.
    static QByteArray desktopEntry(const QString& executable, const QStringList& mimeTypes);
    // The package that defines one of this program's own types, without the parents
    // that the shared database lacks; empty for any other type.
    static QByteArray mimePackage(const QString& mimeType);

private:
    enum class Family { None, Gnome, Cinnamon, Mate, Xfce, Kde };
    Family family() const;
    void defineOwnType(const QString& mimeType, QStringList& unwritten);
    // False when the program was not offered for the type (see the folder rule there).
    bool updateMimeApps(const QString& mimeType, bool makeDefault, QStringList& unwritten);
    QString currentDefault(const QString& mimeType, const MimeAppsList& list);
    void provideDesktopEntry(const QString& executable, const QString& mimeType, QStringList& unwritten);
    static std::optional<QByteArray> runCommand(const QString& program, const QStringList& arguments);
};

} // namespace zor
