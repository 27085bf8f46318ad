#include "platform/desktop/RealShell.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Sets XDG variables for one test and puts them back afterwards.
struct ScopedEnv {
    ScopedEnv(const char* name, const QByteArray& value) : name(name), old(qgetenv(name)), had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv() { had ? qputenv(name, old) : qunsetenv(name); }
    const char* name;
    QByteArray old;
    bool had;
};

TEST(RealShell, RefusesDocumentsThatAreMissingOrThatNoProgramOpens)
{
    QTemporaryDir dir;
    // A desktop that knows no programs at all.
    ScopedEnv data("XDG_DATA_HOME", (dir.path() + "/data").toUtf8());
    ScopedEnv dataDirs("XDG_DATA_DIRS", (dir.path() + "/none").toUtf8());
    ScopedEnv config("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
    ScopedEnv configDirs("XDG_CONFIG_DIRS", (dir.path() + "/none").toUtf8());

    zor::RealShell shell;
    EXPECT_FALSE(shell.openDocument(dir.path() + "/zor.chm", 9));
    EXPECT_FALSE(shell.openDocument(QString(), 9));

    QFile help(dir.path() + "/zor.chm");
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.write("ITSF");
    help.close();
    EXPECT_FALSE(shell.openDocument(help.fileName(), 9));
}

} // namespace

#include "platform/RealPlatform.h"

#include <QThread>

namespace {

// Further instances get their paths byte for byte, names that are not UTF-8 included; a
// program that cannot be started gives no process.
TEST(RealStarter, HandsOverArgumentsAsTheirBytes)
{
    QTemporaryDir dir;
    const QByteArray out = QFile::encodeName(dir.filePath("out"));
    const QByteArray path = "/tmp/caf\xe9 \x83\x41.ico";
    zor::DetachedStarter starter;
    EXPECT_GT(starter.start(QByteArray("/bin/sh"), {"-c", "printf %s \"$1\" > \"$2\"", "sh", path, out}), 0);
    QFile written(QFile::decodeName(out));
    for (int i = 0; i < 200 && written.size() < path.size(); ++i)
        QThread::msleep(10);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), path);
    EXPECT_EQ(starter.start(QFile::encodeName(dir.filePath("nothing-here")), {}), 0);
    EXPECT_EQ(starter.start(QByteArray("no-such-program-anywhere"), {}), 0);
}

} // namespace
