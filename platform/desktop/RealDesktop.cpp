#include "platform/desktop/RealDesktop.h"

#include "platform/desktop/MimeApps.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

// The installed files' text, compiled in (a static library's resources need this).
static void initDesktopResources() { Q_INIT_RESOURCE(desktop); }

namespace zor {

namespace {

constexpr int CommandTimeoutMs = 10000;

// Extensions the shared MIME database may lack, with the type defined for each and
// the package that defines it. Each is a sub-class of the Windows program type, so
// whatever opened such files before is still offered for them.
struct OwnType {
    const char* extension;
    const char* type;
    const char* package;
};
constexpr OwnType OwnTypes[] = {
    {"icl", "application/x-ms-icon-library", "zor.xml"},
    {"dll", "application/x-ms-dll", "zor-dll.xml"},
    {"cpl", "application/x-ms-cpl", "zor-cpl.xml"},
};

const OwnType* ownTypeOfExtension(const QString& ext)
{
    for (const OwnType& t : OwnTypes) {
        if (ext.compare(QLatin1String(t.extension), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

const OwnType* ownType(const QString& type)
{
    for (const OwnType& t : OwnTypes) {
        if (type == QLatin1String(t.type))
            return &t;
    }
    return nullptr;
}

bool isOwnType(const QString& type) { return ownType(type) != nullptr; }

// The shared database's type for the extension, leaving out what this program defined.
QString sharedTypeOf(const QString& ext)
{
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(QStringLiteral("x.") + ext);
    for (const QMimeType& t : types) {
        if (!isOwnType(t.name()))
            return t.name();
    }
    return {};
}

bool sharedDatabaseKnows(const QString& type)
{
    const QMimeType t = QMimeDatabase().mimeTypeForName(type);
    return t.isValid() && t.name() == type;
}

// The type a package line such as <sub-class-of type="..."/> names; empty for other lines.
QString parentNamedBy(const QString& line)
{
    static const QString tag = QStringLiteral("<sub-class-of type=\"");
    const qsizetype at = line.indexOf(tag);
    if (at < 0)
        return {};
    const qsizetype from = at + tag.size();
    return line.mid(from, line.indexOf(QLatin1Char('"'), from) - from);
}

const QString FolderType = QStringLiteral("inode/directory");

bool isOurs(const QString& app) { return app == RealDesktop::DesktopFile || app == RealDesktop::LegacyDesktopFile; }

QString dataHome() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }
QString configHome() { return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation); }

// Writes contents unless the file holds them already. Returns the file or folder that
// could not be written, empty when all is well.
QString writeIfChanged(const QString& file, const QByteArray& contents)
{
    QFile current(file);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == contents)
        return {};
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        return folder;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(contents) != contents.size() || !out.commit())
        return file;
    return {};
}

void note(QStringList& unwritten, const QString& place)
{
    if (!place.isEmpty() && !unwritten.contains(place))
        unwritten << place;
}

// The file under one of the system's data folders ($XDG_DATA_DIRS), where an install
// puts it; empty when none has it.
QString installedFile(const QString& relative)
{
    const QString home = dataHome();
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        if (dir != home && QFileInfo(dir + QLatin1Char('/') + relative).isFile())
            return dir + QLatin1Char('/') + relative;
    }
    return {};
}

QByteArray readFile(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(4 * 1024 * 1024);
}

// An entry under the old name that this program wrote: it names the program's icon.
bool isLegacyEntry(const QString& file)
{
    return QString::fromUtf8(readFile(file)).split(QLatin1Char('\n')).contains(QStringLiteral("Icon=zor"));
}

} // namespace

RealDesktop::RealDesktop()
{
    run = &RealDesktop::runCommand;
    evaluatePlasmaScript = [](const QString& script) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return;
        QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.plasmashell"),
                                                           QStringLiteral("/PlasmaShell"),
                                                           QStringLiteral("org.kde.PlasmaShell"),
                                                           QStringLiteral("evaluateScript"));
        call << script;
        bus.call(call, QDBus::Block, CommandTimeoutMs);
    };
}

std::optional<QByteArray> RealDesktop::runCommand(const QString& program, const QStringList& arguments)
{
    const QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty())
        return std::nullopt;   // not installed: nothing to do
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(exe, arguments);
    if (!p.waitForStarted(CommandTimeoutMs))
        return std::nullopt;
    if (!p.waitForFinished(CommandTimeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return std::nullopt;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

RealDesktop::Family RealDesktop::family() const
{
    const QString names = desktopName.isEmpty() ? qEnvironmentVariable("XDG_CURRENT_DESKTOP") : desktopName;
    for (const QString& raw : names.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString n = raw.trimmed().toLower();
        if (n == QLatin1String("kde"))
            return Family::Kde;
        if (n == QLatin1String("xfce"))
            return Family::Xfce;
        if (n == QLatin1String("x-cinnamon") || n == QLatin1String("cinnamon"))
            return Family::Cinnamon;
        if (n == QLatin1String("mate"))
            return Family::Mate;
        if (n == QLatin1String("gnome") || n == QLatin1String("unity") || n == QLatin1String("ubuntu")
            || n == QLatin1String("budgie") || n == QLatin1String("pantheon") || n == QLatin1String("gnome-flashback")
            || n == QLatin1String("gnome-classic"))
            return Family::Gnome;
    }
    return Family::None;
}

QColor RealDesktop::desktopColour()
{
    QString schema;
    switch (family()) {
    case Family::Gnome: schema = QStringLiteral("org.gnome.desktop.background"); break;
    case Family::Cinnamon: schema = QStringLiteral("org.cinnamon.desktop.background"); break;
    case Family::Mate: schema = QStringLiteral("org.mate.background"); break;
    default: return FallbackDesktopColour;
    }
    const auto out = run(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, QStringLiteral("primary-color")});
    if (!out)
        return FallbackDesktopColour;
    QString text = QString::fromUtf8(*out).trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('\'')) && text.endsWith(QLatin1Char('\'')))
        text = text.mid(1, text.size() - 2);
    const QColor colour(text);
    return colour.isValid() ? colour : FallbackDesktopColour;
}

void RealDesktop::applyWallpaper(const QString& path, bool tiled)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString uri = QUrl::fromLocalFile(absolute).toString();
    const QString gs = QStringLiteral("gsettings");
    const QString set = QStringLiteral("set");
    const QString gnomeOptions = tiled ? QStringLiteral("wallpaper") : QStringLiteral("centered");
    switch (family()) {
    case Family::Gnome: {
        const QString schema = QStringLiteral("org.gnome.desktop.background");
        run(gs, {set, schema, QStringLiteral("picture-uri"), uri});
        run(gs, {set, schema, QStringLiteral("picture-uri-dark"), uri});   // absent before GNOME 42
        run(gs, {set, schema, QStringLiteral("picture-options"), gnomeOptions});
        break;
    }
    case Family::Cinnamon: {
        const QString schema = QStringLiteral("org.cinnamon.desktop.background");
        run(gs, {set, schema, QStringLiteral("picture-uri"), uri});
        run(gs, {set, schema, QStringLiteral("picture-options"), gnomeOptions});
        break;
    }
    case Family::Mate: {
        const QString schema = QStringLiteral("org.mate.background");
        run(gs, {set, schema, QStringLiteral("picture-filename"), absolute});
        run(gs, {set, schema, QStringLiteral("picture-options"), gnomeOptions});
        break;
    }
    case Family::Xfce: {
        // Every monitor and workspace the desktop knows, or the first one on a fresh setup.
        const QString xq = QStringLiteral("xfconf-query");
        const QString channel = QStringLiteral("xfce4-desktop");
        QStringList images;
        if (const auto list = run(xq, {QStringLiteral("-c"), channel, QStringLiteral("-l")})) {
            for (const QString& line : QString::fromUtf8(*list).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                if (line.trimmed().endsWith(QStringLiteral("/last-image")))
                    images << line.trimmed();
            }
        }
        if (images.isEmpty())
            images << QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image");
        for (const QString& property : images) {
            QString style = property;
            style.replace(QStringLiteral("/last-image"), QStringLiteral("/image-style"));
            run(xq, {QStringLiteral("-c"), channel, QStringLiteral("-p"), property, QStringLiteral("-n"),
                     QStringLiteral("-t"), QStringLiteral("string"), QStringLiteral("-s"), absolute});
            // Xfce image styles: 1 centred, 2 tiled.
            run(xq, {QStringLiteral("-c"), channel, QStringLiteral("-p"), style, QStringLiteral("-n"),
                     QStringLiteral("-t"), QStringLiteral("int"), QStringLiteral("-s"),
                     tiled ? QStringLiteral("2") : QStringLiteral("1")});
        }
        break;
    }
    case Family::Kde: {
        // FillMode follows QtQuick's Image: 3 tiles, 6 centres (pads).
        QString quoted = uri;
        quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
        const QString script = QStringLiteral(
            "var all = desktops();"
            "for (var i = 0; i < all.length; i++) {"
            "  var d = all[i];"
            "  d.wallpaperPlugin = \"org.kde.image\";"
            "  d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];"
            "  d.writeConfig(\"Image\", \"%1\");"
            "  d.writeConfig(\"FillMode\", %2);"
            "}").arg(quoted, tiled ? QStringLiteral("3") : QStringLiteral("6"));
        evaluatePlasmaScript(script);
        break;
    }
    case Family::None:
        break;
    }
}

QString RealDesktop::windowsDirectory()
{
    const QString dir = dataHome() + QStringLiteral("/QEL");
    QDir().mkpath(dir);
    return dir;
}

QString RealDesktop::mimeTypeOf(const QString& extension)
{
    const QString shared = sharedTypeOf(extension);
    if (!shared.isEmpty())
        return shared;
    if (const OwnType* own = ownTypeOfExtension(extension))
        return QLatin1String(own->type);
    return QStringLiteral("application/x-extension-") + extension.toLower();
}

QByteArray RealDesktop::installedText(const QString& name)
{
    initDesktopResources();
    QFile f(QStringLiteral(":/desktop/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray RealDesktop::mimePackage(const QString& mimeType)
{
    const OwnType* own = ownType(mimeType);
    if (!own)
        return {};
    QStringList lines = QString::fromUtf8(installedText(QLatin1String(own->package))).split(QLatin1Char('\n'));
    // A parent the shared database does not have would only name a type no one knows.
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const QString& line) {
                                   const QString parent = parentNamedBy(line);
                                   return !parent.isEmpty() && !sharedDatabaseKnows(parent);
                               }),
                lines.end());
    return lines.join(QLatin1Char('\n')).toUtf8();
}

void RealDesktop::defineOwnType(const QString& mimeType, QStringList& unwritten)
{
    const OwnType* own = ownType(mimeType);
    const QString package = QStringLiteral("mime/packages/") + QLatin1String(own->package);
    if (!installedFile(package).isEmpty())
        return;   // the install defines it
    const QString mimeDir = dataHome() + QStringLiteral("/mime");
    const QString file = dataHome() + QLatin1Char('/') + package;
    const QByteArray text = mimePackage(mimeType);
    const bool changed = readFile(file) != text;
    if (const QString failed = writeIfChanged(file, text); !failed.isEmpty()) {
        note(unwritten, failed);
        return;
    }
    const QString tool = QStringLiteral("update-mime-database");
    if ((changed || !QFileInfo::exists(mimeDir + QStringLiteral("/mime.cache")))
        && !QStandardPaths::findExecutable(tool).isEmpty() && !run(tool, {mimeDir}))
        note(unwritten, mimeDir);
}

QString RealDesktop::execValue(const QString& executable)
{
    // Desktop entry Exec quoting: reserved characters force double quotes, inside which
    // " ` $ and \ are escaped; then the whole value is escaped as a desktop entry string.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString arg = executable;
    bool quote = false;
    for (QChar c : executable) {
        if (reserved.contains(c))
            quote = true;
    }
    if (quote) {
        QString inner;
        for (QChar c : executable) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                inner += QLatin1Char('\\');
            inner += c;
        }
        arg = QLatin1Char('"') + inner + QLatin1Char('"');
    }
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    arg.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    arg.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return arg + QStringLiteral(" %f");
}

QByteArray RealDesktop::desktopEntry(const QString& executable, const QStringList& mimeTypes)
{
    QStringList out;
    for (const QString& line : QString::fromUtf8(installedText(DesktopFile)).split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("Exec=")))
            out << QStringLiteral("Exec=") + execValue(executable);
        else if (line.startsWith(QStringLiteral("MimeType=")))
            out << (mimeTypes.isEmpty() ? QString() : QStringLiteral("MimeType=") + mimeTypes.join(QLatin1Char(';')) + QLatin1Char(';'));
        else
            out << line;
    }
    out.removeAll(QString());
    return (out.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

void RealDesktop::provideDesktopEntry(const QString& executable, const QString& mimeType, QStringList& unwritten)
{
    const QString applications = dataHome() + QStringLiteral("/applications/");
    const QString file = applications + DesktopFile;
    const QString legacy = applications + LegacyDesktopFile;
    const bool hasLegacy = isLegacyEntry(legacy);
    if (!installedFile(QStringLiteral("applications/") + DesktopFile).isEmpty()) {
        // The install's entry serves; one written under the old name would be a second one.
        if (hasLegacy && !QFile::remove(legacy))
            note(unwritten, legacy);
        return;
    }
    // Keep the types registered before, in their order, under the old name too. Folders are
    // never among them: a desktop with no other folder program would take this entry for
    // every folder.
    QStringList types;
    for (const QString& entry : {file, legacy}) {
        if (entry == legacy && !hasLegacy)
            continue;
        for (const QString& line : QString::fromUtf8(readFile(entry)).split(QLatin1Char('\n'))) {
            if (!line.startsWith(QStringLiteral("MimeType=")))
                continue;
            for (const QString& type : line.mid(9).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                if (!types.contains(type))
                    types << type;
            }
        }
    }
    types.removeAll(FolderType);
    if (mimeType != FolderType && !types.contains(mimeType))
        types << mimeType;
    const QString failed = writeIfChanged(file, desktopEntry(executable, types));
    note(unwritten, failed);
    if (failed.isEmpty() && hasLegacy && !QFile::remove(legacy))
        note(unwritten, legacy);
    // The entry names the program's own icon, so it has to be there.
    for (int size : {16, 32, 48}) {
        QFile icon(QStringLiteral(":/art/zor%1.png").arg(size));
        if (!icon.open(QIODevice::ReadOnly))
            continue;
        note(unwritten, writeIfChanged(dataHome() + QStringLiteral("/icons/hicolor/%1x%1/apps/zor.png").arg(size), icon.readAll()));
    }
}

QString RealDesktop::currentDefault(const QString& mimeType, const MimeAppsList& list)
{
    const QStringList defaults = list.entries(MimeAppsList::Defaults, mimeType);
    if (!defaults.isEmpty())
        return defaults.first();
    if (const auto answer = run(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType})) {
        const QString app = QString::fromUtf8(*answer).trimmed();
        if (app.endsWith(QStringLiteral(".desktop")) && !isOurs(app) && !app.contains(QLatin1Char('\n')))
            return app;
    }
    // A program the user added, which desktops without a default take first.
    for (const QString& app : list.entries(MimeAppsList::Added, mimeType)) {
        if (!isOurs(app))
            return app;
    }
    return {};
}

bool RealDesktop::updateMimeApps(const QString& mimeType, bool makeDefault, QStringList& unwritten)
{
    const QString file = configHome() + QStringLiteral("/mimeapps.list");
    MimeAppsList list(QString::fromUtf8(readFile(file)));
    list.rename(LegacyDesktopFile, DesktopFile);
    if (makeDefault) {
        list.putFirst(MimeAppsList::Defaults, mimeType, DesktopFile);
        list.append(MimeAppsList::Added, mimeType, DesktopFile);
    } else {
        // A desktop without a default takes the first program offered. So the program
        // that opens these now is pinned as the default and offered before this one.
        const QString current = currentDefault(mimeType, list);
        if (current.isEmpty() && mimeType == FolderType)
            return false;   // nothing else opens folders: offering this one would make it their program
        if (!current.isEmpty() && current != DesktopFile && list.entries(MimeAppsList::Defaults, mimeType).isEmpty())
            list.setEntries(MimeAppsList::Defaults, mimeType, {current});
        QStringList added = list.entries(MimeAppsList::Added, mimeType);
        added.removeAll(DesktopFile);
        if (added.isEmpty() && !current.isEmpty() && current != DesktopFile)
            added << current;
        list.setEntries(MimeAppsList::Added, mimeType, added << DesktopFile);
    }
    // Pressing the button again undoes an earlier "remove from this list" by the user.
    list.remove(MimeAppsList::Removed, mimeType, DesktopFile);
    note(unwritten, writeIfChanged(file, list.text().toUtf8()));
    return true;
}

QStringList RealDesktop::registerFileType(const QString& executable, const QString& extension, bool makeDefault)
{
    QStringList unwritten;
    const QString type = mimeTypeOf(extension);
    if (isOwnType(type))
        defineOwnType(type, unwritten);
    // The current default is looked up before our entry can take part in the answer.
    updateMimeApps(type, makeDefault, unwritten);
    provideDesktopEntry(executable, type, unwritten);
    return unwritten;
}

QStringList RealDesktop::registerFolderHandler(const QString& executable)
{
    QStringList unwritten;
    if (updateMimeApps(FolderType, false, unwritten))
        provideDesktopEntry(executable, FolderType, unwritten);
    return unwritten;
}

} // namespace zor
