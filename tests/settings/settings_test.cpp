#include "platform/RealPlatform.h"
#include "settings/ClsZOR.h"
#include "settings/QELREG.h"
#include "support/TestPlatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace zor;

namespace {

// Every test runs against the in-memory double and against a real INI file.
class SettingsTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam()) {
            ini = std::make_unique<IniSettingsStore>(dir.path());
            tp.p.settings = ini.get();
            tp.install();
        }
    }
    QString stored(const QString& key)
    {
        return platform().settings->value(StoreApp, StoreSection, key).value_or(QStringLiteral("<missing>"));
    }
    void store(const QString& key, const QString& text)
    {
        platform().settings->setValue(StoreApp, StoreSection, key, text);
    }

    QTemporaryDir dir;
    test::TestPlatform tp;
    std::unique_ptr<IniSettingsStore> ini;
};

TEST_P(SettingsTest, EmptyStoreReadsTheDefaults)
{
    ClsZOR z;
    EXPECT_EQ(z.Top(), 0);
    EXPECT_EQ(z.Left(), 0);
    EXPECT_EQ(z.Width(), 100);
    EXPECT_EQ(z.Height(), 100);
    EXPECT_EQ(z.IconSize(), "L");
    EXPECT_EQ(z.ToolBarColor(), 0);
    EXPECT_FALSE(z.ReIconSize());
    EXPECT_FALSE(z.ReSize());
    EXPECT_FALSE(z.RePos());
    EXPECT_EQ(z.WindowState(), 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(z.GetRFile(qint16(i)), "");
    QELREG r;
    EXPECT_EQ(r.TormeliaViewer_Version(), 0);
    EXPECT_EQ(r.TormeliaViewer_Path(), "");
}

TEST_P(SettingsTest, WritesTheDocumentedTextForms)
{
    ClsZOR z;
    z.Left(1500);
    z.Top(-45);
    z.Width(7215.5f);
    z.Height(1234567);
    z.ReSize(true);
    z.RePos(false);
    z.ToolBarColor(3);
    EXPECT_EQ(stored("Left"), "1500");
    EXPECT_EQ(stored("Top"), "-45");
    EXPECT_EQ(stored("Width"), "7215.5");
    EXPECT_EQ(stored("Height"), "1234567");
    EXPECT_EQ(stored("ReSize"), "True");
    EXPECT_EQ(stored("RePos"), "False");
    EXPECT_EQ(stored("ToolBarColor"), "3");

    // A value written by one instance is seen by the next read of another.
    ClsZOR other;
    EXPECT_EQ(other.Width(), 7215.5f);
    EXPECT_TRUE(other.ReSize());

    QELREG r;
    r.TormeliaViewer_Version(89);
    r.TormeliaViewer_Path("/opt/zor");
    EXPECT_EQ(stored("Ver"), "89");
    EXPECT_EQ(stored("Path"), "/opt/zor");
    EXPECT_EQ(QELREG().TormeliaViewer_Version(), 89);
}

TEST_P(SettingsTest, IconSizeAndWindowStateWriteRules)
{
    ClsZOR z;
    z.IconSize("S");
    EXPECT_EQ(stored("IconSize"), "S");
    for (const char* other : {"s", "M", "", "L"}) {
        z.IconSize(QString::fromLatin1(other));
        EXPECT_EQ(stored("IconSize"), "L") << other;
    }
    z.WindowState(2);
    EXPECT_EQ(stored("WindowState"), "2");
    z.WindowState(1);
    z.WindowState(7);
    z.WindowState(-1);
    EXPECT_EQ(stored("WindowState"), "2");
    z.WindowState(0);
    EXPECT_EQ(stored("WindowState"), "0");
}

TEST_P(SettingsTest, FileSlotsKeepTheirTextAndEmptyIsStored)
{
    ClsZOR z;
    EXPECT_TRUE(z.SetRFile(0, "/data/アイコン集/a b.ico"));
    EXPECT_TRUE(z.SetRFile(7, "/x,y;z=1.icl"));
    EXPECT_TRUE(z.SetRFile(5, ""));
    EXPECT_EQ(z.GetRFile(0), "/data/アイコン集/a b.ico");
    EXPECT_EQ(z.GetRFile(7), "/x,y;z=1.icl");
    EXPECT_EQ(stored("RF5"), "");
    EXPECT_EQ(stored("RF4"), "<missing>");
}

TEST_P(SettingsTest, UnconvertibleValuesFallBackToTheDefaults)
{
    store("Width", "wide");
    store("Top", "");
    store("ToolBarColor", "99999");
    store("WindowState", "max");
    store("ReSize", "maybe");
    store("RePos", "1");
    store("ReIconSize", "0");
    store("Ver", "eighty-nine");
    ClsZOR z;
    EXPECT_EQ(z.Width(), 100);
    EXPECT_EQ(z.Top(), 0);
    EXPECT_EQ(z.ToolBarColor(), 0);
    EXPECT_EQ(z.WindowState(), 0);
    EXPECT_FALSE(z.ReSize());
    EXPECT_TRUE(z.RePos());        // numeric text: non-zero is true
    EXPECT_FALSE(z.ReIconSize());
    EXPECT_EQ(QELREG().TormeliaViewer_Version(), 0);
    store("ReSize", "true");
    EXPECT_TRUE(z.ReSize());
}

INSTANTIATE_TEST_SUITE_P(Stores, SettingsTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "IniFile" : "Memory"; });

TEST(IniSettingsStore, LivesInTheQelFileAndSurvivesDamage)
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.path());
    EXPECT_EQ(store.fileOf("QEL"), dir.path() + "/QEL/QEL.ini");
    store.setValue("QEL", "QEL Tormelia Viewer", "Ver", "89");
    QFile f(store.fileOf("QEL"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("Ver=89")) << text.constData();
    f.close();

    // Garbage, binary noise and a missing file read as empty, never a crash.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray("\x00\xff[[[\n=\n[QEL Tormelia Viewer\nVer\n", 36));
    f.close();
    EXPECT_NO_THROW(store.value("QEL", "QEL Tormelia Viewer", "Ver"));
    IniSettingsStore elsewhere(dir.path() + "/missing");
    EXPECT_FALSE(elsewhere.value("QEL", "QEL Tormelia Viewer", "Ver").has_value());
}

TEST(IniSettingsStore, DefaultFolderFollowsXdgConfigHome)
{
    QTemporaryDir dir;
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    IniSettingsStore store;
    EXPECT_EQ(store.fileOf("QEL"), dir.path() + "/QEL/QEL.ini");
    qputenv("XDG_CONFIG_HOME", old);
}

} // namespace
