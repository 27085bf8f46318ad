#include "platform/RealPlatform.h"
#include "settings/ClsZOR.h"
#include "settings/QELREG.h"
#include "support/TestPlatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

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

// Writes that fail for everyone, root included: a file-size limit of a few bytes
// (what a full disk or a used-up quota does), and a read-only file (stops only
// other users than root).
class WritesFail {
public:
    enum class Way { SizeLimit, ReadOnlyFile };
    WritesFail(Way way, const QString& file) : m_way(way), m_file(file)
    {
        if (way == Way::SizeLimit) {
            m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &m_old);
            const rlimit tiny{8, m_old.rlim_max};
            setrlimit(RLIMIT_FSIZE, &tiny);
        } else {
            m_perms = QFile::permissions(file);
            QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        }
    }
    ~WritesFail()
    {
        if (m_way == Way::SizeLimit) {
            setrlimit(RLIMIT_FSIZE, &m_old);
            std::signal(SIGXFSZ, m_oldSignal);
        } else {
            QFile::setPermissions(m_file, m_perms);
        }
    }

private:
    Way m_way;
    QString m_file;
    rlimit m_old{};
    void (*m_oldSignal)(int) = nullptr;
    QFile::Permissions m_perms;
};

TEST(IniSettingsStore, AFailedWriteNeitherHidesNorChangesWhatIsStored)
{
    std::vector<WritesFail::Way> ways{WritesFail::Way::SizeLimit};
    if (geteuid() != 0)
        ways.push_back(WritesFail::Way::ReadOnlyFile);
    for (const WritesFail::Way way : ways) {
        SCOPED_TRACE(way == WritesFail::Way::SizeLimit ? "file-size limit" : "read-only file");
        QTemporaryDir dir;
        test::TestPlatform tp;
        IniSettingsStore ini(dir.path());
        tp.p.settings = &ini;
        tp.install();
        ClsZOR z;
        QELREG().TormeliaViewer_Version(89);
        z.SetRFile(4, QStringLiteral("/fav/a.icl"));
        z.RePos(true);
        const QString file = ini.fileOf(StoreApp);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        {
            WritesFail failing(way, file);
            try {
                z.SetRFile(0, QStringLiteral("/lost.ico"));
                ADD_FAILURE() << "the write went through";
            } catch (const RuntimeError& e) {
                EXPECT_EQ(e.number, 75);
            }
            // Every later read, by any instance, still finds what the file holds.
            for (int pass = 0; pass < 2; ++pass) {
                EXPECT_EQ(QELREG().TormeliaViewer_Version(), 89);
                EXPECT_EQ(ClsZOR().GetRFile(4), QStringLiteral("/fav/a.icl"));
                EXPECT_TRUE(ClsZOR().RePos());
                EXPECT_EQ(ClsZOR().GetRFile(0), QString());
            }
        }
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
        f.close();
        // Once the file can be written again, the failed value does not come back with the next write.
        z.SetRFile(1, QStringLiteral("/next.ico"));
        EXPECT_EQ(ClsZOR().GetRFile(1), QStringLiteral("/next.ico"));
        EXPECT_EQ(ClsZOR().GetRFile(0), QString());
        EXPECT_EQ(ClsZOR().GetRFile(4), QStringLiteral("/fav/a.icl"));
    }
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

#include "settings/RecentEntries.h"

#include <sys/wait.h>

namespace {

// Twenty instances that open twenty files at once, as dropping twenty files starts them:
// every one's path lands in turn, no slot is left empty, and the file stays whole.
TEST(RecentEntries, InstancesOpeningAtOnceEachLandTheirPath)
{
    QTemporaryDir dir;
    test::TestPlatform tp;
    IniSettingsStore ini(dir.path());
    tp.p.settings = &ini;
    tp.install();
    ClsZOR().SetRFile(5, QStringLiteral("/favourite.ico"));
    constexpr int instances = 20;
    std::vector<pid_t> children;
    for (int i = 0; i < instances; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            try {
                RecentEntries::record(StoredPath::fromText(QStringLiteral("/icons/%1.ico").arg(i)));
            } catch (...) {
                _exit(1);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // The four newest are four of the twenty, each once; the favourite is untouched.
    QSet<QString> recent;
    for (int slot = 0; slot < 4; ++slot) {
        const QString entry = ClsZOR().GetRFile(qint16(slot));
        EXPECT_TRUE(entry.startsWith("/icons/")) << slot << " " << entry.toStdString();
        recent.insert(entry);
    }
    EXPECT_EQ(recent.size(), 4);
    EXPECT_EQ(ClsZOR().GetRFile(5), "/favourite.ico");
    // Twenty more, one after the other, rotate exactly as one instance would.
    for (int i = 0; i < 6; ++i)
        RecentEntries::record(StoredPath::fromText(QStringLiteral("/next/%1.ico").arg(i)));
    EXPECT_EQ(ClsZOR().GetRFile(0), "/next/5.ico");
    EXPECT_EQ(ClsZOR().GetRFile(3), "/next/2.ico");
}

} // namespace
