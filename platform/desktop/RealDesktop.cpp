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

namespace zor {

namespace {

constexpr int CommandTimeoutMs = 10000;

// Extensions the shared MIME database may lack, with the types defined for them here.
struct OwnType {
    const char* extension;
    const char* type;
    const char* comment;
    const char* commentJa;
    const char* icon;
};
constexpr OwnType OwnTypes[] = {
    {"icl", "application/x-ms-icon-library", "Windows icon library", "アイコンライブラリ", "image-x-generic"},
    {"dll", "application/x-ms-dll", "Windows dynamic link library", "ダイナミックリンクライブラリ",
     "application-x-executable"},
    {"cpl", "application/x-ms-cpl", "Windows Control Panel applet", "コントロールパネルアプレット",
     "application-x-executable"},
};

const OwnType* ownTypeOfExtension(const QString& ext)
{
    for (const OwnType& t : OwnTypes) {
        if (ext.compare(QLatin1String(t.extension), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

bool isOwnType(const QString& type)
{
    for (const OwnType& t : OwnTypes) {
        if (type == QLatin1String(t.type))
            return true;
    }
    return false;
}

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

QString dataHome() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }
QString configHome() { return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation); }

bool writeIfChanged(const QString& file, const QByteArray& contents)
{
    QFile current(file);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == contents)
        return false;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(contents);
    return out.commit();
}

QByteArray readFile(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(4 * 1024 * 1024);
}

QString xmlEscaped(const char* text) { return QString::fromUtf8(text).toHtmlEscaped(); }

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

QByteArray RealDesktop::mimePackage()
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n");
    for (const OwnType& t : OwnTypes) {
        if (!sharedTypeOf(QLatin1String(t.extension)).isEmpty())
            continue;   // the shared database knows it; do not compete with it
        xml += QStringLiteral("  <mime-type type=\"%1\">\n").arg(QLatin1String(t.type));
        xml += QStringLiteral("    <comment>%1</comment>\n").arg(xmlEscaped(t.comment));
        xml += QStringLiteral("    <comment xml:lang=\"ja\">%1</comment>\n").arg(xmlEscaped(t.commentJa));
        xml += QStringLiteral("    <generic-icon name=\"%1\"/>\n").arg(QLatin1String(t.icon));
        xml += QStringLiteral("    <glob pattern=\"*.%1\"/>\n").arg(QLatin1String(t.extension));
        xml += QStringLiteral("  </mime-type>\n");
    }
    xml += QStringLiteral("</mime-info>\n");
    return xml.toUtf8();
}

void RealDesktop::ensureMimeDefinitions()
{
    const QString mimeDir = dataHome() + QStringLiteral("/mime");
    const bool changed = writeIfChanged(mimeDir + QStringLiteral("/packages/zor.xml"), mimePackage());
    if (changed || !QFileInfo::exists(mimeDir + QStringLiteral("/mime.cache")))
        run(QStringLiteral("update-mime-database"), {mimeDir});
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

void RealDesktop::writeDesktopEntry(const QString& executable, const QString& mimeType)
{
    const QString file = dataHome() + QStringLiteral("/applications/") + DesktopFile;
    // Keep the types registered before, in their order.
    QStringList types;
    for (const QString& line : QString::fromUtf8(readFile(file)).split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("MimeType=")))
            types = line.mid(9).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    if (!types.contains(mimeType))
        types << mimeType;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=QEL TORMELIA VIEWER\n"
                                         "Comment=View the icons inside icon files, icon libraries and programs\n"
                                         "Comment[ja]=アイコンファイル、アイコンライブラリ、プログラムの中のアイコンを表示します\n"
                                         "Exec=%1\n"
                                         "Icon=image-x-generic\n"
                                         "Terminal=false\n"
                                         "NoDisplay=false\n"
                                         "Categories=Graphics;Viewer;\n"
                                         "MimeType=%2;\n")
                              .arg(execValue(executable), types.join(QLatin1Char(';')));
    writeIfChanged(file, entry.toUtf8());
}

void RealDesktop::updateMimeApps(const QString& mimeType, bool makeDefault)
{
    const QString file = configHome() + QStringLiteral("/mimeapps.list");
    MimeAppsList list(QString::fromUtf8(readFile(file)));
    if (makeDefault) {
        list.putFirst(MimeAppsList::Defaults, mimeType, DesktopFile);
    } else if (list.entries(MimeAppsList::Defaults, mimeType).isEmpty()) {
        // An added association can outrank the system's default on some desktops;
        // pin the program that opens these files now so it keeps doing so.
        if (const auto current = run(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType})) {
            const QString app = QString::fromUtf8(*current).trimmed();
            if (app.endsWith(QStringLiteral(".desktop")) && app != DesktopFile && !app.contains(QLatin1Char('\n')))
                list.setEntries(MimeAppsList::Defaults, mimeType, {app});
        }
    }
    list.append(MimeAppsList::Added, mimeType, DesktopFile);
    // Pressing the button again undoes an earlier "remove from this list" by the user.
    list.remove(MimeAppsList::Removed, mimeType, DesktopFile);
    writeIfChanged(file, list.text().toUtf8());
}

void RealDesktop::registerFileType(const QString& executable, const QString& extension, bool makeDefault)
{
    const QString type = mimeTypeOf(extension);
    if (isOwnType(type))
        ensureMimeDefinitions();
    // The pinned default is looked up before our entry can take part in the answer.
    updateMimeApps(type, makeDefault);
    writeDesktopEntry(executable, type);
}

void RealDesktop::registerFolderHandler(const QString& executable)
{
    const QString type = QStringLiteral("inode/directory");
    updateMimeApps(type, false);
    writeDesktopEntry(executable, type);
}

} // namespace zor
