// The registry and the registry layer, against the in-memory and the file-backed registry.
#include "platform/registry/HiveRegistry.h"
#include "support/MemoryRegistry.h"
#include "shell/RegEdit.h"
#include "support/TestPlatform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace zor;

namespace {

enum class Kind { Memory, Hive };

class RegistryTest : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override
    {
        if (GetParam() == Kind::Memory)
            reg = std::make_unique<MemoryRegistry>();
        else
            reg = std::make_unique<HiveRegistry>(dir.path() + QStringLiteral("/registry"));
        t.p.registry = reg.get();
        t.install();
    }

    QByteArray query(HKEY root, const QString& subKey, const QString& name, DWORD* type = nullptr)
    {
        HKEY k = 0;
        if (reg->RegOpenKeyEx(root, subKey, 0, KEY_READ, &k) != ERROR_SUCCESS)
            return "<no key>";
        char buf[4096];
        DWORD size = sizeof buf;
        const LONG rc = reg->RegQueryValueEx(k, name, nullptr, type, buf, &size);
        reg->RegCloseKey(k);
        if (rc != ERROR_SUCCESS)
            return "<no value>";
        return QByteArray(buf, size);
    }

    void setRaw(HKEY root, const QString& subKey, const QString& name, DWORD type, const QByteArray& data)
    {
        HKEY k = 0;
        ASSERT_EQ(reg->RegCreateKeyEx(root, subKey, 0, 0, KEY_WRITE, &k, nullptr), ERROR_SUCCESS);
        ASSERT_EQ(reg->RegSetValueEx(k, name, 0, type, data.constData(), DWORD(data.size())), ERROR_SUCCESS);
        reg->RegCloseKey(k);
    }

    QTemporaryDir dir;
    test::TestPlatform t;
    std::unique_ptr<HiveStoreRegistry> reg;
};

TEST_P(RegistryTest, CreateMakesMissingParentsAndNamesCompareWithoutCase)
{
    HKEY k = 0;
    DWORD disposition = 0;
    ASSERT_EQ(reg->RegCreateKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("iclfile\\shell\\ZOROPEN\\command"), 0, 0,
                                  KEY_WRITE, &k, &disposition),
              ERROR_SUCCESS);
    EXPECT_NE(k, 0u);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(reg->RegCloseKey(k), ERROR_SUCCESS);

    for (const char* parent : {"iclfile", "ICLFILE\\Shell", "IclFile\\shell\\zoropen"}) {
        HKEY p = 0;
        EXPECT_EQ(reg->RegOpenKeyEx(HKEY_CLASSES_ROOT, QString::fromLatin1(parent), 0, KEY_READ, &p), ERROR_SUCCESS)
            << parent;
        reg->RegCloseKey(p);
    }
    ASSERT_EQ(reg->RegCreateKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("ICLFILE\\SHELL"), 0, 0, KEY_WRITE, &k,
                                  &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    reg->RegCloseKey(k);
    // Roots are separate.
    HKEY other = 0;
    EXPECT_EQ(reg->RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("iclfile"), 0, KEY_READ, &other),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(reg->openHandles(), 0);
}

TEST_P(RegistryTest, ValuesKeepBytesTypeAndTheDefaultName)
{
    setRaw(HKEY_CLASSES_ROOT, QStringLiteral(".icl"), QString(), REG_SZ, Registry::stringData(QStringLiteral("iclfile")));
    setRaw(HKEY_CLASSES_ROOT, QStringLiteral(".icl"), QStringLiteral("Count"), REG_DWORD, QByteArray("\x59\0\0\0", 4));
    setRaw(HKEY_CLASSES_ROOT, QStringLiteral("iclfile"), QString(), REG_SZ,
           Registry::stringData(QStringLiteral("ｱｲｺﾝﾗｲﾌﾞﾗﾘｰ")));

    DWORD type = 0;
    EXPECT_EQ(query(HKEY_CLASSES_ROOT, QStringLiteral(".ICL"), QString(), &type), QByteArray("iclfile\0", 8));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(query(HKEY_CLASSES_ROOT, QStringLiteral(".icl"), QStringLiteral("count"), &type),
              QByteArray("\x59\0\0\0", 4));
    EXPECT_EQ(type, REG_DWORD);
    const QByteArray utf8 = QStringLiteral("ｱｲｺﾝﾗｲﾌﾞﾗﾘｰ").toUtf8() + QByteArray(1, '\0');
    EXPECT_EQ(query(HKEY_CLASSES_ROOT, QStringLiteral("iclfile"), QString()), utf8);
    EXPECT_EQ(query(HKEY_CLASSES_ROOT, QStringLiteral("iclfile"), QStringLiteral("missing")), "<no value>");
    // Writing again replaces.
    setRaw(HKEY_CLASSES_ROOT, QStringLiteral(".icl"), QString(), REG_SZ, Registry::stringData(QStringLiteral("x")));
    EXPECT_EQ(query(HKEY_CLASSES_ROOT, QStringLiteral(".icl"), QString()), QByteArray("x\0", 2));
}

TEST_P(RegistryTest, QueryReportsSizeAndRefusesSmallBuffers)
{
    setRaw(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("v"), REG_SZ, Registry::stringData(QStringLiteral("abcdef")));
    HKEY k = 0;
    ASSERT_EQ(reg->RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("K"), 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    char buf[4] = {'.', '.', '.', '.'};
    DWORD size = sizeof buf;
    EXPECT_EQ(reg->RegQueryValueEx(k, QStringLiteral("v"), nullptr, nullptr, buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(QByteArray(buf, 4), "....");
    size = 0;
    EXPECT_EQ(reg->RegQueryValueEx(k, QStringLiteral("v"), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 7u);
    reg->RegCloseKey(k);
}

TEST_P(RegistryTest, HandlesCarryTheirAccessAndCloseOnce)
{
    setRaw(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"), QStringLiteral("a"), REG_SZ, "1");
    HKEY setOnly = 0, readOnly = 0;
    ASSERT_EQ(reg->RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"), 0, KEY_SET_VALUE, &setOnly),
              ERROR_SUCCESS);
    ASSERT_EQ(reg->RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("control panel\\desktop"), 0, KEY_READ, &readOnly),
              ERROR_SUCCESS);
    char buf[8];
    DWORD size = sizeof buf;
    EXPECT_EQ(reg->RegQueryValueEx(setOnly, QStringLiteral("a"), nullptr, nullptr, buf, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg->RegSetValueEx(readOnly, QStringLiteral("a"), 0, REG_SZ, "2", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg->RegSetValueEx(setOnly, QStringLiteral("a"), 0, REG_SZ, "2", 1), ERROR_SUCCESS);
    // A handle opens sub-keys relative to itself.
    HKEY parent = 0, child = 0;
    ASSERT_EQ(reg->RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Control Panel"), 0, KEY_READ, &parent), ERROR_SUCCESS);
    EXPECT_EQ(reg->RegOpenKeyEx(parent, QStringLiteral("Desktop"), 0, KEY_READ, &child), ERROR_SUCCESS);
    size = sizeof buf;
    EXPECT_EQ(reg->RegQueryValueEx(child, QStringLiteral("a"), nullptr, nullptr, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(QByteArray(buf, size), "2");
    for (HKEY h : {setOnly, readOnly, parent, child})
        EXPECT_EQ(reg->RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(reg->RegCloseKey(child), ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg->RegQueryValueEx(child, QStringLiteral("a"), nullptr, nullptr, buf, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg->RegOpenKeyEx(0x1234, QStringLiteral("x"), 0, KEY_READ, &child), ERROR_INVALID_HANDLE);
}

TEST_P(RegistryTest, RefusedKeysCannotBeOpenedOrCreated)
{
    setRaw(HKEY_CLASSES_ROOT, QStringLiteral("Directory\\shell"), QString(), REG_SZ, "x");
    reg->refuse(HKEY_CLASSES_ROOT, QStringLiteral("directory\\shell"));
    HKEY k = 0;
    EXPECT_EQ(reg->RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("Directory\\shell"), 0, KEY_READ, &k), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg->RegCreateKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("Directory\\shell\\ZOROPEN"), 0, 0, KEY_WRITE, &k,
                                  nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(k, 0u);
    EXPECT_EQ(reg->RegOpenKeyEx(HKEY_CLASSES_ROOT, QStringLiteral("Directory"), 0, KEY_READ, &k), ERROR_SUCCESS);
    reg->RegCloseKey(k);
}

TEST_P(RegistryTest, GetRegStringCutsAtTheNulAndGivesUpAt1024Bytes)
{
    EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral(".none"), QString()), QString());
    setRaw(HKEY_CLASSES_ROOT, QStringLiteral(".icl"), QString(), REG_SZ, QByteArray("iclfile\0junk", 12));
    EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral(".icl"), QString()), QStringLiteral("iclfile"));
    EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral(".icl"), QStringLiteral("other")), QString());

    const QString fits(1023, QLatin1Char('a'));   // 1023 characters and the NUL fill the buffer exactly
    setRaw(HKEY_CLASSES_ROOT, QStringLiteral("long"), QStringLiteral("fits"), REG_SZ, Registry::stringData(fits));
    EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral("long"), QStringLiteral("fits")), fits);
    setRaw(HKEY_CLASSES_ROOT, QStringLiteral("long"), QStringLiteral("over"), REG_SZ,
           Registry::stringData(QString(1024, QLatin1Char('a'))));
    EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral("long"), QStringLiteral("over")), QString());
    setRaw(HKEY_CLASSES_ROOT, QStringLiteral("long"), QStringLiteral("nonul"), REG_SZ, QByteArray(1024, 'b'));
    EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral("long"), QStringLiteral("nonul")), QString());
    // Japanese text comes back whole.
    SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("iclfile"), QString(), QStringLiteral("ｱｲｺﾝﾗｲﾌﾞﾗﾘｰ"));
    EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral("ICLFILE"), QString()), QStringLiteral("ｱｲｺﾝﾗｲﾌﾞﾗﾘｰ"));
    EXPECT_EQ(reg->openHandles(), 0);
}

TEST_P(RegistryTest, SetRegStringCreatesTheKeyOrReportsARefusal)
{
    EXPECT_TRUE(SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("Directory\\shell\\ZOROPEN\\command"), QString(),
                             QStringLiteral("/opt/zor/zor %1")));
    EXPECT_EQ(query(HKEY_CLASSES_ROOT, QStringLiteral("Directory\\shell\\ZOROPEN\\command"), QString()),
              QByteArray("/opt/zor/zor %1\0", 16));
    reg->refuse(HKEY_CLASSES_ROOT, QStringLiteral("Locked"));
    EXPECT_FALSE(SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("Locked\\sub"), QString(), QStringLiteral("x")));
    EXPECT_EQ(query(HKEY_CLASSES_ROOT, QStringLiteral("Locked"), QString()), "<no key>");
    EXPECT_EQ(reg->openHandles(), 0);
}

TEST_P(RegistryTest, SetFileTypeDerivesNamesAndTreatsFalseAsNoClass)
{
    for (const char* existing : {"", "False"}) {
        if (*existing)
            setRaw(HKEY_CLASSES_ROOT, QStringLiteral(".cpl"), QString(), REG_SZ, Registry::stringData(QString::fromLatin1(existing)));
        QString icon = QStringLiteral("NO"), description = QStringLiteral("NO"), cls = QStringLiteral("NO");
        EXPECT_TRUE(SetFileType(QStringLiteral("cpl"), QStringLiteral("アイコンを閲覧(&I)"), QStringLiteral("ZOROPEN"),
                                QStringLiteral("/z %1"), false, icon, description, cls));
        EXPECT_EQ(description, QStringLiteral("cplﾌｧｲﾙ"));
        EXPECT_EQ(cls, QStringLiteral("cplfile"));
        EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral(".cpl"), QString()), QStringLiteral("cplfile"));
        EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral("cplfile"), QString()), QStringLiteral("cplﾌｧｲﾙ"));
    }
    // A false make-default flag leaves the existing default verb alone; a class named
    // by the caller is used as given.
    SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("cplfile\\shell"), QString(), QStringLiteral("open"));
    QString icon = QStringLiteral("%1"), description = QStringLiteral("D"), cls = QStringLiteral("Other");
    SetFileType(QStringLiteral("cpl"), QStringLiteral("c"), QStringLiteral("ZOROPEN"), QStringLiteral("x"), false, icon,
                description, cls);
    EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral("cplfile\\shell"), QString()), QStringLiteral("open"));
    EXPECT_EQ(GetRegString(HKEY_CLASSES_ROOT, QStringLiteral("cplfile\\defaulticon"), QString()), QStringLiteral("%1"));
    EXPECT_EQ(query(HKEY_CLASSES_ROOT, QStringLiteral("Other"), QString()), "<no key>");
}

TEST_P(RegistryTest, TileWallpaperCreatesTheDesktopKeyOnce)
{
    SetTileWallpaper(QStringLiteral("/d/QEL/kepwall.bmp"), QStringLiteral("1"));
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"), QStringLiteral("TileWallpaper")),
              QStringLiteral("1"));
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"), QStringLiteral("Wallpaper")),
              QStringLiteral("/d/QEL/kepwall.bmp"));
    ASSERT_EQ(t.desktop.wallpapers.size(), 1u);
    EXPECT_EQ(t.desktop.wallpapers[0].path, QStringLiteral("/d/QEL/kepwall.bmp"));
    EXPECT_TRUE(t.desktop.wallpapers[0].tiled);
    EXPECT_EQ(reg->openHandles(), 0);
}

TEST_P(RegistryTest, TileWallpaperOnAnUnopenableKeyDoesNothing)
{
    reg->refuse(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"));
    SetTileWallpaper(QStringLiteral("/d/kepwall.bmp"), QStringLiteral("1"));
    EXPECT_TRUE(t.desktop.wallpapers.empty());
    EXPECT_EQ(query(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"), QStringLiteral("TileWallpaper")), "<no key>");
}

INSTANTIATE_TEST_SUITE_P(Both, RegistryTest, ::testing::Values(Kind::Memory, Kind::Hive),
                         [](const auto& info) { return info.param == Kind::Memory ? "Memory" : "Hive"; });

// The file-backed registry on its own.
class HiveFileTest : public ::testing::Test {
protected:
    QString folder() const { return dir.path() + QStringLiteral("/registry"); }
    QString readValue(HiveRegistry& reg, HKEY root, const QString& subKey, const QString& name)
    {
        HKEY k = 0;
        if (reg.RegOpenKeyEx(root, subKey, 0, KEY_READ, &k) != ERROR_SUCCESS)
            return QStringLiteral("<no key>");
        char buf[256];
        DWORD size = sizeof buf;
        const LONG rc = reg.RegQueryValueEx(k, name, nullptr, nullptr, buf, &size);
        reg.RegCloseKey(k);
        return rc == ERROR_SUCCESS ? QString::fromUtf8(buf, qsizetype(size) - 1) : QStringLiteral("<no value>");
    }
    void write(HiveRegistry& reg, HKEY root, const QString& subKey, const QString& name, const QString& value)
    {
        HKEY k = 0;
        ASSERT_EQ(reg.RegCreateKeyEx(root, subKey, 0, 0, KEY_WRITE, &k, nullptr), ERROR_SUCCESS);
        const QByteArray d = Registry::stringData(value);
        ASSERT_EQ(reg.RegSetValueEx(k, name, 0, REG_SZ, d.constData(), DWORD(d.size())), ERROR_SUCCESS);
        reg.RegCloseKey(k);
    }
    QStringList damagedFiles() const
    {
        return QDir(folder()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files);
    }
    QTemporaryDir dir;
};

TEST_F(HiveFileTest, AnotherInstanceSeesEveryWriteAtOnce)
{
    HiveRegistry a(folder()), b(folder());
    write(a, HKEY_CLASSES_ROOT, QStringLiteral(".ico"), QString(), QStringLiteral("icofile"));
    EXPECT_EQ(readValue(b, HKEY_CLASSES_ROOT, QStringLiteral(".ICO"), QString()), QStringLiteral("icofile"));
    write(b, HKEY_CLASSES_ROOT, QStringLiteral("icofile"), QString(), QStringLiteral("icoﾌｧｲﾙ"));
    EXPECT_EQ(readValue(a, HKEY_CLASSES_ROOT, QStringLiteral(".ico"), QString()), QStringLiteral("icofile"));
    EXPECT_EQ(readValue(a, HKEY_CLASSES_ROOT, QStringLiteral("icofile"), QString()), QStringLiteral("icoﾌｧｲﾙ"));
    EXPECT_TRUE(QFile::exists(folder() + QStringLiteral("/HKEY_CLASSES_ROOT.hive")));
    EXPECT_FALSE(QFile::exists(folder() + QStringLiteral("/HKEY_CURRENT_USER.hive")));
}

TEST_F(HiveFileTest, TheDefaultFolderFollowsXdgConfigHome)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8());
    HiveRegistry reg;
    EXPECT_EQ(reg.fileOf(HKEY_CURRENT_USER), dir.path() + QStringLiteral("/config/QEL/registry/HKEY_CURRENT_USER.hive"));
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST_F(HiveFileTest, ADamagedHiveReadsEmptyAndIsKeptAside)
{
    const QList<QByteArray> damages = {
        QByteArray("\x00\xff garbage", 10),
        QByteArray("{\"format\":\"zor-registry-hive\",\"keys\":[{\"name\":1}]}"),
        QByteArray("{\"format\":\"zor-registry-hive\",\"keys\":[{\"name\":\"a\",\"values\":[{\"name\":\"v\",\"type\":1,\"data\":\"!!\"}]}]}"),
        QByteArray("[1,2,3]"),
    };
    int n = 0;
    for (const QByteArray& bytes : damages) {
        QDir().mkpath(folder());
        QFile f(folder() + QStringLiteral("/HKEY_CLASSES_ROOT.hive"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        HiveRegistry reg(folder());
        EXPECT_EQ(readValue(reg, HKEY_CLASSES_ROOT, QStringLiteral("a"), QStringLiteral("v")), QStringLiteral("<no key>"));
        ++n;
        const QStringList aside = damagedFiles();
        ASSERT_EQ(aside.size(), n);
        QFile kept(folder() + QLatin1Char('/') + aside.last());
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), bytes);
        // The next write starts a fresh, sound hive.
        write(reg, HKEY_CLASSES_ROOT, QStringLiteral("a"), QStringLiteral("v"), QStringLiteral("new"));
        EXPECT_EQ(readValue(reg, HKEY_CLASSES_ROOT, QStringLiteral("a"), QStringLiteral("v")), QStringLiteral("new"));
        QFile::remove(folder() + QStringLiteral("/HKEY_CLASSES_ROOT.hive"));
    }
}

TEST_F(HiveFileTest, ADamagedHiveIsKeptAsideBeforeAWrite)
{
    QDir().mkpath(folder());
    QFile f(folder() + QStringLiteral("/HKEY_CURRENT_USER.hive"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a hive");
    f.close();
    HiveRegistry reg(folder());
    // Creating a key is the first thing that touches the file.
    write(reg, HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"), QStringLiteral("TileWallpaper"),
          QStringLiteral("1"));
    ASSERT_EQ(damagedFiles().size(), 1);
    EXPECT_EQ(readValue(reg, HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"), QStringLiteral("TileWallpaper")),
              QStringLiteral("1"));
}

TEST_F(HiveFileTest, TwoProcessesWritingAtOnceLoseNothing)
{
    const QString writer = QStringLiteral(ZOR_HIVE_WRITER);
    constexpr int Count = 150;
    QProcess first, second;
    first.start(writer, {folder(), QStringLiteral("First"), QString::number(Count)});
    second.start(writer, {folder(), QStringLiteral("Second"), QString::number(Count)});
    // This process writes a third set meanwhile.
    HiveRegistry reg(folder());
    for (int i = 0; i < 50; ++i)
        write(reg, HKEY_CURRENT_USER, QStringLiteral("Third\\%1").arg(i), QStringLiteral("n"), QString::number(i));
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(second.exitCode(), 0);
    for (const QString& prefix : {QStringLiteral("First"), QStringLiteral("Second")}) {
        for (int i = 0; i < Count; ++i)
            EXPECT_EQ(readValue(reg, HKEY_CURRENT_USER, prefix + QLatin1Char('\\') + QString::number(i), QStringLiteral("n")),
                      QString::number(i)) << prefix.toStdString() << i;
    }
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(readValue(reg, HKEY_CURRENT_USER, QStringLiteral("Third\\%1").arg(i), QStringLiteral("n")), QString::number(i));
    EXPECT_TRUE(damagedFiles().isEmpty());
}

} // namespace
