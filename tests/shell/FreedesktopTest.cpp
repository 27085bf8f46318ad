// The real desktop's side of associations and wallpapers, in throw-away XDG folders
// and with the real xdg-mime and update-mime-database.
#include "platform/desktop/MimeApps.h"
#include "platform/desktop/RealDesktop.h"
#include "shell/Associations.h"
#include "support/TestPlatform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zor;

namespace {

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

class FreedesktopTest : public ::testing::Test {
protected:
    FreedesktopTest()
        : data("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toUtf8()),
          config("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8()),
          dataDirs("XDG_DATA_DIRS", "/usr/local/share:/usr/share"),
          configDirs("XDG_CONFIG_DIRS", (dir.path() + QStringLiteral("/etc-xdg")).toUtf8()),
          current("XDG_CURRENT_DESKTOP", QByteArray())
    {
        // xdg-mime only names desktop entries whose program exists.
        t.identity.folder = dir.path() + QStringLiteral("/bin");
        writeText(t.identity.executablePath(), QStringLiteral("#!/bin/sh\n"));
        QFile::setPermissions(t.identity.executablePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        t.p.desktop = &desktop;
        t.install();
    }
    QString dataHome() const { return dir.path() + QStringLiteral("/data"); }
    QString mimeApps() const { return dir.path() + QStringLiteral("/config/mimeapps.list"); }
    QString desktopEntry() const { return dataHome() + QStringLiteral("/applications/zor.desktop"); }
    static QString xdgMime(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral("xdg-mime"), args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    QString defaultFor(const QString& type) const { return xdgMime({QStringLiteral("query"), QStringLiteral("default"), type}); }
    void otherApplication(const QString& name)
    {
        writeText(dataHome() + QStringLiteral("/applications/") + name,
                  QStringLiteral("[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true %f\n"));
    }

    QTemporaryDir dir;
    EnvGuard data, config, dataDirs, configDirs, current;
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
    EXPECT_EQ(defaultFor(type), QStringLiteral("zor.desktop"));
    // The registry side happened as well, and the message came last.
    EXPECT_EQ(t.messages.shown.size(), 1u);
}

TEST_F(FreedesktopTest, IcoIsOnlyAddedAndThePreviousDefaultStays)
{
    const QString ico = RealDesktop::mimeTypeOf(QStringLiteral("ico"));
    EXPECT_EQ(ico, QStringLiteral("image/vnd.microsoft.icon"));
    otherApplication(QStringLiteral("viewer.desktop"));
    writeText(mimeApps(), QStringLiteral("# mine\n[Default Applications]\ntext/plain=viewer.desktop;\n"
                                         "image/vnd.microsoft.icon=viewer.desktop;\n\n"
                                         "[Added Associations]\nimage/vnd.microsoft.icon=viewer.desktop;\n\n"
                                         "[Removed Associations]\nimage/png=zor.desktop;\n"
                                         "application/x-ms-dll=other.desktop;zor.desktop;\n"));
    RegisterAssociation(AssociationButton::Ico, nullptr);
    RegisterAssociation(AssociationButton::Dll, nullptr);
    EXPECT_EQ(defaultFor(ico), QStringLiteral("viewer.desktop"));
    EXPECT_EQ(defaultFor(RealDesktop::mimeTypeOf(QStringLiteral("dll"))), QStringLiteral("zor.desktop"));
    const MimeAppsList list(readText(mimeApps()));
    EXPECT_EQ(list.entries(MimeAppsList::Added, ico), (QStringList{QStringLiteral("viewer.desktop"), QStringLiteral("zor.desktop")}));
    EXPECT_EQ(list.entries(MimeAppsList::Defaults, QStringLiteral("text/plain")), QStringList{QStringLiteral("viewer.desktop")});
    EXPECT_EQ(list.entries(MimeAppsList::Removed, QStringLiteral("image/png")), QStringList{QStringLiteral("zor.desktop")});
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
    EXPECT_EQ(list.entries(MimeAppsList::Added, QStringLiteral("inode/directory")), QStringList{QStringLiteral("zor.desktop")});
    EXPECT_EQ(defaultFor(QStringLiteral("inode/directory")), QStringLiteral("viewer.desktop"));
    EXPECT_TRUE(readText(desktopEntry()).contains(QStringLiteral("\nMimeType=inode/directory;\n")));
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
}

} // namespace
