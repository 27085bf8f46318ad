// The real desktop's side of associations and wallpapers, in throw-away XDG folders
// and with the real xdg-mime and update-mime-database.
#include "dialogs/frmOption.h"
#include "platform/desktop/MimeApps.h"
#include "platform/desktop/RealDesktop.h"
#include "platform/registry/HiveRegistry.h"
#include "shell/Associations.h"
#include "support/TestPlatform.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace zor;

namespace {

// The standard output of a program (untranslated), trimmed; empty when it cannot run.
QString output(const QString& program, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString readText(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void writeText(const QString& file, const QString& text)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

class EnvGuard {
public:
    EnvGuard(const char* name, const QByteArray& value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)),
                                                          m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvGuard()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// The system's data folder ($XDG_DATA_DIRS) for these tests: the machine's shared MIME
// database and nothing else of it, so no program installed here counts. It lasts as long
// as the process, because Qt's MIME database keeps using the folders it has found.
QString systemData()
{
    static QTemporaryDir dir;
    const QString system = dir.path() + QStringLiteral("/system");
    if (!QFileInfo::exists(system + QStringLiteral("/mime"))) {
        QString shared = QStringLiteral("/usr/share/mime");
        for (const QString& d : qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")).split(QLatin1Char(':'))) {
            if (QFileInfo::exists(d + QStringLiteral("/mime/mime.cache"))) {
                shared = d + QStringLiteral("/mime");
                break;
            }
        }
        QDir().mkpath(system);
        QFile::link(shared, system + QStringLiteral("/mime"));
    }
    return system;
}

// Throw-away XDG folders for the user.
class FreedesktopTest : public ::testing::Test {
protected:
    FreedesktopTest()
        : data("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toUtf8()),
          config("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8()),
          dataDirs("XDG_DATA_DIRS", systemData().toUtf8()),
          configDirs("XDG_CONFIG_DIRS", (dir.path() + QStringLiteral("/etc-xdg")).toUtf8()),
          current("XDG_CURRENT_DESKTOP", QByteArray()),
          path("PATH", (dir.path() + QStringLiteral("/bin:") + qEnvironmentVariable("PATH")).toUtf8())
    {
        QDir(systemData() + QStringLiteral("/applications")).removeRecursively();
        QDir().mkpath(systemData() + QStringLiteral("/applications"));
        // xdg-mime only names desktop entries whose program exists; an installed entry finds it on the PATH.
        t.identity.folder = dir.path() + QStringLiteral("/bin");
        writeText(t.identity.executablePath(), QStringLiteral("#!/bin/sh\n"));
        QFile::setPermissions(t.identity.executablePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        t.p.desktop = &desktop;
        t.install();
    }
    QString dataHome() const { return dir.path() + QStringLiteral("/data"); }
    QString configHome() const { return dir.path() + QStringLiteral("/config"); }
    QString mimeApps() const { return dir.path() + QStringLiteral("/config/mimeapps.list"); }
    QString desktopEntry() const { return dataHome() + QStringLiteral("/applications/") + RealDesktop::DesktopFile; }
    static QString xdgMime(const QStringList& args) { return output(QStringLiteral("xdg-mime"), args); }
    QString defaultFor(const QString& type) const { return xdgMime({QStringLiteral("query"), QStringLiteral("default"), type}); }
    // What GLib-based desktops (GNOME, Xfce, Cinnamon, MATE) make of the same files.
    static QString gioDefault(const QString& type)
    {
        const QString text = output(QStringLiteral("gio"), {QStringLiteral("mime"), type});
        const QString lead = QStringLiteral("Default application for “%1”: ").arg(type);
        return text.startsWith(lead) ? text.section(QLatin1Char('\n'), 0, 0).mid(lead.size()) : QString();
    }
    static QStringList gioRegistered(const QString& type)
    {
        QStringList apps;
        bool in = false;
        for (const QString& line : output(QStringLiteral("gio"), {QStringLiteral("mime"), type}).split(QLatin1Char('\n'))) {
            if (!line.startsWith(QLatin1Char('\t')))
                in = line.startsWith(QStringLiteral("Registered applications"));
            else if (in)
                apps << line.trimmed();
        }
        return apps;
    }
    static QString contentType(const QString& file)
    {
        const QString text = output(QStringLiteral("gio"), {QStringLiteral("info"), QStringLiteral("-a"), QStringLiteral("standard::content-type"), file});
        return text.section(QStringLiteral("standard::content-type: "), 1).trimmed();
    }
    void otherApplication(const QString& name)
    {
        writeText(dataHome() + QStringLiteral("/applications/") + name,
                  QStringLiteral("[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true %f\n"));
    }
    // Presses a button of the options dialog's associations tab, as the user does.
    void press(AssociationButton button)
    {
        t.dialogs.script = [button](QDialog& d) {
            auto& o = static_cast<frmOption&>(d);
            o.show();
            QTest::mouseClick(o.Command1[size_t(button)], Qt::LeftButton);
            o.reject();
            return 0;
        };
        frmOption::Open(nullptr, 1);
    }
    // The user's folders as on a fresh account, for the next row of a table.
    void freshAccount()
    {
        for (const QString& folder : {dataHome(), configHome()}) {
            QFile::remove(folder);
            QDir(folder).removeRecursively();
        }
        t.messages.shown.clear();
    }

    QTemporaryDir dir;
    EnvGuard data, config, dataDirs, configDirs, current, path;
    test::TestPlatform t;
    RealDesktop desktop;
};

TEST_F(FreedesktopTest, IclBecomesTheDefaultThroughOurOwnType)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty());
    const QString type = RealDesktop::mimeTypeOf(QStringLiteral("icl"));
    EXPECT_EQ(type, QStringLiteral("application/x-ms-icon-library"));
    RegisterAssociation(AssociationButton::Icl, nullptr);

    const QString entry = readText(desktopEntry());
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=") + t.identity.executablePath() + QStringLiteral(" %f\n"))) << entry.toStdString();
    EXPECT_TRUE(entry.contains(QStringLiteral("\nMimeType=application/x-ms-icon-library;\n")));
    const QString package = readText(dataHome() + QStringLiteral("/mime/packages/zor.xml"));
    EXPECT_TRUE(package.contains(QStringLiteral("<glob pattern=\"*.icl\"/>")));
    EXPECT_FALSE(package.contains(QStringLiteral("*.ico")));   // the shared database has it
    EXPECT_TRUE(QFile::exists(dataHome() + QStringLiteral("/mime/mime.cache")));
    EXPECT_TRUE(readText(dataHome() + QStringLiteral("/mime/globs2")).contains(QStringLiteral("application/x-ms-icon-library:*.icl")));
    EXPECT_EQ(defaultFor(type), RealDesktop::DesktopFile);
    // The registry side happened as well, and the message came last.
    EXPECT_EQ(t.messages.shown.size(), 1u);
}

TEST_F(FreedesktopTest, IcoIsOnlyAddedAndThePreviousDefaultStays)
{
    const QString ico = RealDesktop::mimeTypeOf(QStringLiteral("ico"));
    EXPECT_EQ(ico, QStringLiteral("image/vnd.microsoft.icon"));
    otherApplication(QStringLiteral("viewer.desktop"));
    // The removals name the entry as earlier versions did: they carry over to its new name.
    writeText(mimeApps(), QStringLiteral("# mine\n[Default Applications]\ntext/plain=viewer.desktop;\n"
                                         "image/vnd.microsoft.icon=viewer.desktop;\n\n"
                                         "[Added Associations]\nimage/vnd.microsoft.icon=viewer.desktop;\n\n"
                                         "[Removed Associations]\nimage/png=zor.desktop;\n"
                                         "application/x-ms-dll=other.desktop;zor.desktop;\n"));
    RegisterAssociation(AssociationButton::Ico, nullptr);
    RegisterAssociation(AssociationButton::Dll, nullptr);
    EXPECT_EQ(defaultFor(ico), QStringLiteral("viewer.desktop"));
    EXPECT_EQ(defaultFor(RealDesktop::mimeTypeOf(QStringLiteral("dll"))), RealDesktop::DesktopFile);
    const MimeAppsList list(readText(mimeApps()));
    EXPECT_EQ(list.entries(MimeAppsList::Added, ico), (QStringList{QStringLiteral("viewer.desktop"), RealDesktop::DesktopFile}));
    EXPECT_EQ(list.entries(MimeAppsList::Defaults, QStringLiteral("text/plain")), QStringList{QStringLiteral("viewer.desktop")});
    EXPECT_EQ(list.entries(MimeAppsList::Removed, QStringLiteral("image/png")), QStringList{RealDesktop::DesktopFile});
    EXPECT_EQ(list.entries(MimeAppsList::Removed, QStringLiteral("application/x-ms-dll")), QStringList{QStringLiteral("other.desktop")});
    EXPECT_TRUE(readText(mimeApps()).startsWith(QStringLiteral("# mine\n")));
    const QString entry = readText(desktopEntry());
    EXPECT_TRUE(entry.contains(QStringLiteral("\nMimeType=image/vnd.microsoft.icon;application/x-ms-dll;\n"))) << entry.toStdString();
}

TEST_F(FreedesktopTest, ADefaultFromTheSystemIsPinnedBeforeZorIsAdded)
{
    // The system's answer comes from a mimeinfo.cache; an added association could outrank it.
    otherApplication(QStringLiteral("viewer.desktop"));
    writeText(dataHome() + QStringLiteral("/applications/mimeinfo.cache"),
              QStringLiteral("[MIME Cache]\ninode/directory=viewer.desktop;\n"));
    RegisterAssociation(AssociationButton::Folder, nullptr);
    const MimeAppsList list(readText(mimeApps()));
    EXPECT_EQ(list.entries(MimeAppsList::Defaults, QStringLiteral("inode/directory")), QStringList{QStringLiteral("viewer.desktop")});
    EXPECT_EQ(list.entries(MimeAppsList::Added, QStringLiteral("inode/directory")),
              (QStringList{QStringLiteral("viewer.desktop"), RealDesktop::DesktopFile}));
    EXPECT_EQ(defaultFor(QStringLiteral("inode/directory")), QStringLiteral("viewer.desktop"));
    EXPECT_FALSE(readText(desktopEntry()).contains(QStringLiteral("inode/directory")));
}

TEST_F(FreedesktopTest, ExecQuotesPathsTheDesktopEntryWay)
{
    EXPECT_EQ(RealDesktop::execValue(QStringLiteral("/opt/zor/zor")), QStringLiteral("/opt/zor/zor %f"));
    EXPECT_EQ(RealDesktop::execValue(QStringLiteral("/opt/my tools/zor")), QStringLiteral("\"/opt/my tools/zor\" %f"));
    EXPECT_EQ(RealDesktop::execValue(QStringLiteral("/opt/100%/a$b")), QStringLiteral("\"/opt/100%%/a\\\\$b\" %f"));
}

TEST_F(FreedesktopTest, WallpaperCommandsPerDesktop)
{
    std::vector<QStringList> calls;
    QByteArray listing;
    desktop.run = [&](const QString& program, const QStringList& args) -> std::optional<QByteArray> {
        calls.push_back(QStringList{program} + args);
        if (args.value(0) == QLatin1String("-c") && args.value(2) == QLatin1String("-l"))
            return listing;
        if (args.value(0) == QLatin1String("get"))
            return QByteArray("'#102030'\n");
        return QByteArray();
    };
    QString script;
    desktop.evaluatePlasmaScript = [&](const QString& s) { script = s; };

    desktop.desktopName = QStringLiteral("ubuntu:GNOME");
    desktop.applyWallpaper(QStringLiteral("/d/QEL/kepwall.bmp"), true);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].join(QLatin1Char(' ')), QStringLiteral("gsettings set org.gnome.desktop.background picture-uri file:///d/QEL/kepwall.bmp"));
    EXPECT_EQ(calls[1].join(QLatin1Char(' ')), QStringLiteral("gsettings set org.gnome.desktop.background picture-uri-dark file:///d/QEL/kepwall.bmp"));
    EXPECT_EQ(calls[2].join(QLatin1Char(' ')), QStringLiteral("gsettings set org.gnome.desktop.background picture-options wallpaper"));
    EXPECT_EQ(desktop.desktopColour(), QColor(0x10, 0x20, 0x30));

    calls.clear();
    desktop.desktopName = QStringLiteral("XFCE");
    listing = "/backdrop/screen0/monitor0/workspace0/last-image\n/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n/backdrop/screen0/monitor0/workspace0/image-style\n";
    desktop.applyWallpaper(QStringLiteral("/d/QEL/kepwall.bmp"), true);
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[1].join(QLatin1Char(' ')), QStringLiteral("xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitor0/workspace0/last-image -n -t string -s /d/QEL/kepwall.bmp"));
    EXPECT_EQ(calls[2].join(QLatin1Char(' ')), QStringLiteral("xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitor0/workspace0/image-style -n -t int -s 2"));
    EXPECT_EQ(calls[3][4], QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace0/last-image"));
    EXPECT_EQ(desktop.desktopColour(), FallbackDesktopColour);   // Xfce's colour is not read

    calls.clear();
    desktop.desktopName = QStringLiteral("KDE");
    desktop.applyWallpaper(QStringLiteral("/d/QEL/kepwall.bmp"), true);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(script.contains(QStringLiteral("d.writeConfig(\"Image\", \"file:///d/QEL/kepwall.bmp\")")));
    EXPECT_TRUE(script.contains(QStringLiteral("d.writeConfig(\"FillMode\", 3)")));

    script.clear();
    desktop.desktopName = QStringLiteral("Unknown");
    desktop.applyWallpaper(QStringLiteral("/d/QEL/kepwall.bmp"), true);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(script.isEmpty());
}

TEST_F(FreedesktopTest, AColourThatCannotBeReadFallsBack)
{
    desktop.desktopName = QStringLiteral("GNOME");
    desktop.run = [](const QString&, const QStringList&) -> std::optional<QByteArray> { return std::nullopt; };
    EXPECT_EQ(desktop.desktopColour(), QColor(58, 110, 165));
    desktop.run = [](const QString&, const QStringList&) -> std::optional<QByteArray> { return QByteArray("'not a colour'"); };
    EXPECT_EQ(desktop.desktopColour(), QColor(58, 110, 165));
}

TEST_F(FreedesktopTest, WindowsDirectoryIsCreatedUnderXdgDataHome)
{
    EXPECT_EQ(desktop.windowsDirectory(), dataHome() + QStringLiteral("/QEL"));
    EXPECT_TRUE(QFileInfo(dataHome() + QStringLiteral("/QEL")).isDir());
}

TEST_F(FreedesktopTest, EachButtonDefinesOnlyItsOwnTypeAsAKindOfWindowsProgram)
{
    // A program for Windows programs, as wine is, known to the desktop's caches.
    writeText(systemData() + QStringLiteral("/applications/winelike.desktop"),
              QStringLiteral("[Desktop Entry]\nType=Application\nName=Windows programs\nExec=/bin/true %f\n"
                             "MimeType=application/x-ms-dos-executable;\n"));
    output(QStringLiteral("update-desktop-database"), {systemData() + QStringLiteral("/applications")});
    const QStringList extensions{QStringLiteral("icl"), QStringLiteral("dll"), QStringLiteral("cpl")};
    auto sample = [&](const QString& ext) { return dir.path() + QStringLiteral("/samples/x.") + ext; };
    for (const QString& ext : extensions)
        writeText(sample(ext), QStringLiteral("MZ"));

    const std::pair<AssociationButton, QString> rows[] = {{AssociationButton::Icl, QStringLiteral("icl")},
                                                          {AssociationButton::Dll, QStringLiteral("dll")},
                                                          {AssociationButton::Cpl, QStringLiteral("cpl")}};
    for (const auto& [button, pressed] : rows) {
        SCOPED_TRACE(pressed.toStdString());
        freshAccount();
        QMap<QString, QString> before;
        for (const QString& ext : extensions)
            before[ext] = contentType(sample(ext));
        press(button);
        for (const QString& ext : extensions) {
            const QString type = contentType(sample(ext));
            if (ext != pressed) {
                EXPECT_EQ(type, before[ext]) << ext.toStdString() << " changed";
                continue;
            }
            EXPECT_EQ(type, RealDesktop::mimeTypeOf(ext));
            EXPECT_EQ(defaultFor(type), RealDesktop::DesktopFile);
            EXPECT_EQ(gioDefault(type), RealDesktop::DesktopFile);
            // What opened Windows programs is still offered for these files.
            EXPECT_TRUE(gioRegistered(type).contains(QStringLiteral("winelike.desktop"))) << type.toStdString();
        }
        ASSERT_EQ(t.messages.shown.size(), 1u);
        EXPECT_EQ(t.messages.shown[0].icon, MsgIcon::Information);
    }
}

TEST_F(FreedesktopTest, TheFolderButtonNeverMakesZorTheProgramForFolders)
{
    const QString folders = QStringLiteral("inode/directory");
    struct Row {
        const char* desktop;
        std::function<void()> setUp;
        QString stays;          // the default afterwards, as before
        QStringList offered;    // the added programs afterwards
    };
    const QString files = QStringLiteral("files.desktop");
    const QString zor = RealDesktop::DesktopFile;
    const Row rows[] = {
        {"no other program for folders", [] {}, QString(), {}},
        {"one the system lists",
         [&] {
             otherApplication(files);
             writeText(dataHome() + QStringLiteral("/applications/mimeinfo.cache"),
                       QStringLiteral("[MIME Cache]\ninode/directory=files.desktop;\n"));
         },
         files, {files, zor}},
        {"one the user added",
         [&] {
             otherApplication(files);
             writeText(mimeApps(), QStringLiteral("[Added Associations]\ninode/directory=files.desktop;\n"));
         },
         files, {files, zor}},
        {"a default the user chose",
         [&] {
             otherApplication(files);
             otherApplication(QStringLiteral("other.desktop"));
             writeText(mimeApps(), QStringLiteral("[Default Applications]\ninode/directory=other.desktop;\n"));
         },
         QStringLiteral("other.desktop"), {QStringLiteral("other.desktop"), zor}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.desktop);
        freshAccount();
        row.setUp();
        press(AssociationButton::Folder);
        EXPECT_EQ(defaultFor(folders), row.stays);
        EXPECT_EQ(gioDefault(folders), row.stays);
        EXPECT_EQ(MimeAppsList(readText(mimeApps())).entries(MimeAppsList::Added, folders), row.offered);
        EXPECT_FALSE(readText(desktopEntry()).contains(folders));
        ASSERT_EQ(t.messages.shown.size(), 1u);
        EXPECT_EQ(t.messages.shown[0].text, QStringLiteral("フォルダを関連づけました。"));
    }
}

TEST_F(FreedesktopTest, AnInstalledEntryAndTypeAreUsedElseOurOwnNameZorsIcon)
{
    const QString installed = dir.path() + QStringLiteral("/usr");
    const QString type = QStringLiteral("application/x-ms-icon-library");
    for (const bool isInstalled : {true, false}) {
        SCOPED_TRACE(isInstalled ? "installed" : "not installed");
        freshAccount();
        EnvGuard dirs("XDG_DATA_DIRS", ((isInstalled ? installed + QLatin1Char(':') : QString()) + systemData()).toUtf8());
        if (isInstalled) {
            // What an install puts under its prefix.
            writeText(installed + QStringLiteral("/applications/") + RealDesktop::DesktopFile, QString::fromUtf8(RealDesktop::installedText(RealDesktop::DesktopFile)));
            writeText(installed + QStringLiteral("/mime/packages/zor.xml"), QString::fromUtf8(RealDesktop::installedText(QStringLiteral("zor.xml"))));
            output(QStringLiteral("update-mime-database"), {installed + QStringLiteral("/mime")});
        }
        press(AssociationButton::Icl);
        ASSERT_EQ(t.messages.shown.size(), 1u);
        EXPECT_EQ(t.messages.shown[0].icon, MsgIcon::Information);
        const QString ownPackage = dataHome() + QStringLiteral("/mime/packages/zor.xml");
        EXPECT_EQ(QFile::exists(desktopEntry()), !isInstalled);
        EXPECT_EQ(QFile::exists(ownPackage), !isInstalled);
        EXPECT_EQ(defaultFor(type), RealDesktop::DesktopFile);
        EXPECT_EQ(gioDefault(type), RealDesktop::DesktopFile);

        // The entry the desktop uses names the program's icon and passes the desktop's own check.
        const QString entry = isInstalled ? installed + QStringLiteral("/applications/") + RealDesktop::DesktopFile : desktopEntry();
        EXPECT_TRUE(readText(entry).contains(QStringLiteral("\nIcon=zor\n"))) << readText(entry).toStdString();
        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {entry});
        ASSERT_TRUE(validate.waitForFinished(30000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().constData();
        for (int size : {16, 32, 48}) {
            QFile icon(dataHome() + QStringLiteral("/icons/hicolor/%1x%1/apps/zor.png").arg(size));
            QFile art(QStringLiteral(":/art/zor%1.png").arg(size));
            ASSERT_TRUE(art.open(QIODevice::ReadOnly));
            EXPECT_EQ(icon.open(QIODevice::ReadOnly) ? icon.readAll() : QByteArray(), isInstalled ? QByteArray() : art.readAll()) << size;
        }
        if (!isInstalled) {
            // What is written comes from the installed text: only where it runs from and what it opens differ.
            const QStringList canonical = QString::fromUtf8(RealDesktop::installedText(RealDesktop::DesktopFile)).split(QLatin1Char('\n'));
            for (const QString& line : readText(desktopEntry()).split(QLatin1Char('\n'))) {
                if (!line.startsWith(QStringLiteral("Exec=")) && !line.startsWith(QStringLiteral("MimeType="))) {
                    EXPECT_TRUE(canonical.contains(line)) << line.toStdString();
                }
            }
            const QStringList package = QString::fromUtf8(RealDesktop::installedText(QStringLiteral("zor.xml"))).split(QLatin1Char('\n'));
            for (const QString& line : readText(ownPackage).split(QLatin1Char('\n'))) {
                EXPECT_TRUE(package.contains(line)) << line.toStdString();
            }
        }
    }
}

TEST_F(FreedesktopTest, AnEntryRegisteredUnderTheOldNameIsCarriedToTheNewOne)
{
    const QString installed = dir.path() + QStringLiteral("/usr");
    const QString icl = QStringLiteral("application/x-ms-icon-library");
    const QString ico = QStringLiteral("image/vnd.microsoft.icon");
    const QString dll = RealDesktop::mimeTypeOf(QStringLiteral("dll"));
    const QString viewer = QStringLiteral("viewer.desktop");
    const QString legacy = dataHome() + QStringLiteral("/applications/") + RealDesktop::LegacyDesktopFile;
    for (const bool isInstalled : {false, true}) {
        SCOPED_TRACE(isInstalled ? "installed" : "not installed");
        freshAccount();
        EnvGuard dirs("XDG_DATA_DIRS", ((isInstalled ? installed + QLatin1Char(':') : QString()) + systemData()).toUtf8());
        if (isInstalled) {
            writeText(installed + QStringLiteral("/applications/") + RealDesktop::DesktopFile,
                      QString::fromUtf8(RealDesktop::installedText(RealDesktop::DesktopFile)));
            for (const char* package : {"zor.xml", "zor-dll.xml", "zor-cpl.xml"})
                writeText(installed + QStringLiteral("/mime/packages/") + QLatin1String(package),
                          QString::fromUtf8(RealDesktop::installedText(QLatin1String(package))));
            output(QStringLiteral("update-mime-database"), {installed + QStringLiteral("/mime")});
        } else {
            writeText(dataHome() + QStringLiteral("/mime/packages/zor.xml"), QString::fromUtf8(RealDesktop::mimePackage(icl)));
            output(QStringLiteral("update-mime-database"), {dataHome() + QStringLiteral("/mime")});
        }
        // What an earlier version wrote for .icl (the default) and .ico (added beside the viewer).
        otherApplication(viewer);
        writeText(legacy, QStringLiteral("[Desktop Entry]\nType=Application\nName=QEL TORMELIA VIEWER\nExec=/old/place/zor %f\n"
                                         "Icon=zor\nTerminal=false\nMimeType=application/x-ms-icon-library;image/vnd.microsoft.icon;\n"));
        writeText(mimeApps(), QStringLiteral("[Default Applications]\napplication/x-ms-icon-library=zor.desktop;\n"
                                             "image/vnd.microsoft.icon=viewer.desktop;\n\n"
                                             "[Added Associations]\napplication/x-ms-icon-library=zor.desktop;\n"
                                             "image/vnd.microsoft.icon=viewer.desktop;zor.desktop;\n\n"
                                             "[Removed Associations]\nimage/png=zor.desktop;\n"));
        press(AssociationButton::Dll);
        ASSERT_EQ(t.messages.shown.size(), 1u);
        EXPECT_EQ(t.messages.shown[0].icon, MsgIcon::Information) << t.messages.shown[0].text.toStdString();

        EXPECT_FALSE(QFile::exists(legacy));
        const QString text = readText(mimeApps());
        EXPECT_FALSE(text.contains(QStringLiteral("=zor.desktop")) || text.contains(QStringLiteral(";zor.desktop"))) << text.toStdString();
        const MimeAppsList list(text);
        EXPECT_EQ(list.entries(MimeAppsList::Removed, QStringLiteral("image/png")), QStringList{RealDesktop::DesktopFile});
        EXPECT_EQ(list.entries(MimeAppsList::Added, ico), (QStringList{viewer, RealDesktop::DesktopFile}));
        for (const QString& type : {icl, dll}) {
            EXPECT_EQ(defaultFor(type), RealDesktop::DesktopFile) << type.toStdString();
            EXPECT_EQ(gioDefault(type), RealDesktop::DesktopFile) << type.toStdString();
        }
        EXPECT_EQ(gioDefault(ico), viewer);
        EXPECT_TRUE(gioRegistered(ico).contains(RealDesktop::DesktopFile));
        // The new entry keeps the old one's types, and starts the program from where it is now.
        const QString entry = readText(desktopEntry());
        if (isInstalled) {
            EXPECT_TRUE(entry.isEmpty()) << entry.toStdString();
            continue;
        }
        EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=") + t.identity.executablePath() + QStringLiteral(" %f\n"))) << entry.toStdString();
        EXPECT_TRUE(entry.contains(QStringLiteral("\nMimeType=") + icl + QLatin1Char(';') + ico + QLatin1Char(';') + dll + QStringLiteral(";\n")))
            << entry.toStdString();
    }
}

TEST_F(FreedesktopTest, AWriteThatFailsIsReportedAndNotConfirmed)
{
    HiveRegistry registry;   // in $XDG_CONFIG_HOME/QEL/registry, like the program's
    t.p.registry = &registry;
    t.install();
    // A file where a folder is needed, or a folder where a file is: no user, root
    // included, can write there.
    struct Row {
        AssociationButton button;
        QString blocked;
        bool folderInTheWay;
    };
    const Row rows[] = {
        {AssociationButton::Dll, configHome() + QStringLiteral("/QEL/registry"), false},
        {AssociationButton::Folder, configHome() + QStringLiteral("/QEL/registry"), false},
        {AssociationButton::Icl, dataHome() + QStringLiteral("/mime"), false},
        {AssociationButton::Ico, dataHome() + QStringLiteral("/applications"), false},
        {AssociationButton::Cpl, dataHome() + QStringLiteral("/icons"), false},
        {AssociationButton::Dll, mimeApps(), true},
        {AssociationButton::Ico, QString(), false},
    };
    for (const Row& row : rows) {
        const QString caption = AssociationCaption(int(row.button));
        SCOPED_TRACE((caption + QLatin1Char(' ') + row.blocked).toStdString());
        freshAccount();
        if (row.folderInTheWay)
            QDir().mkpath(row.blocked);
        else if (!row.blocked.isEmpty())
            writeText(row.blocked, QStringLiteral("in the way"));
        press(row.button);
        ASSERT_EQ(t.messages.shown.size(), 1u);
        const Message& m = t.messages.shown[0];
        if (row.blocked.isEmpty()) {
            EXPECT_EQ(m.icon, MsgIcon::Information);
            continue;
        }
        EXPECT_EQ(m.icon, MsgIcon::Critical);
        const QString subject = row.button == AssociationButton::Folder ? caption : caption + QStringLiteral("ファイル");
        EXPECT_TRUE(m.text.startsWith(subject + QStringLiteral("を関連づけられませんでした。"))) << m.text.toStdString();
        EXPECT_TRUE(m.text.contains(QLatin1Char('\n') + row.blocked)) << m.text.toStdString();
    }
}

TEST(MimeAppsListTest, EditsKeepEverythingElse)
{
    MimeAppsList list(QStringLiteral("[Added Associations]\na/b=x.desktop;y.desktop\n# note\n\n[Other]\nkey=value\n"));
    list.append(MimeAppsList::Added, QStringLiteral("a/b"), QStringLiteral("zor.desktop"));
    list.append(MimeAppsList::Added, QStringLiteral("a/b"), QStringLiteral("zor.desktop"));
    list.append(MimeAppsList::Added, QStringLiteral("c/d"), QStringLiteral("zor.desktop"));
    list.putFirst(MimeAppsList::Defaults, QStringLiteral("a/b"), QStringLiteral("zor.desktop"));
    list.putFirst(MimeAppsList::Defaults, QStringLiteral("a/b"), QStringLiteral("x.desktop"));
    list.remove(MimeAppsList::Added, QStringLiteral("c/d"), QStringLiteral("zor.desktop"));
    list.append(MimeAppsList::Added, QStringLiteral("c/d"), QStringLiteral("zor.desktop"));
    EXPECT_EQ(list.text(), QStringLiteral("[Added Associations]\na/b=x.desktop;y.desktop;zor.desktop;\n# note\nc/d=zor.desktop;\n\n"
                                          "[Other]\nkey=value\n\n[Default Applications]\na/b=x.desktop;zor.desktop;\n"));
    list.rename(QStringLiteral("zor.desktop"), QStringLiteral("y.desktop"));
    EXPECT_EQ(list.text(), QStringLiteral("[Added Associations]\na/b=x.desktop;y.desktop;\n# note\nc/d=y.desktop;\n\n"
                                          "[Other]\nkey=value\n\n[Default Applications]\na/b=x.desktop;y.desktop;\n"));
}

} // namespace
