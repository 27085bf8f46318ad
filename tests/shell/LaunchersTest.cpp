// Help, links and the Control Panel command table.
#include "shell/ControlPanel.h"
#include "shell/ExeExeExe.h"
#include "shell/URLexe.h"
#include "support/TestPlatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zor;

namespace {

TEST(LaunchersTest, ControlPanelRowsStartTheirCommandLines)
{
    test::TestPlatform t;
    int style = 1;
    const std::vector<std::pair<int, QStringList>> rows = {
        {0, {QStringLiteral("control.exe")}},
        {1, {QStringLiteral("rundll32.exe"), QStringLiteral("C:\\WINDOWS\\SYSTEM\\SHELL32.DLL,Options_RunDLL"), QStringLiteral("0")}},
        {2, {QStringLiteral("control.exe"), QStringLiteral("desk.cpl")}},
        {3, {QStringLiteral("rundll32.exe"), QStringLiteral("C:\\WINDOWS\\SYSTEM\\SHELL32.DLL,Options_RunDLL"), QStringLiteral("1")}},
        {4, {QStringLiteral("control.exe"), QStringLiteral("INETCPL.CPL")}},
        {5, {QStringLiteral("control.exe"), QStringLiteral("MMSYS.CPL")}},
        {6, {QStringLiteral("control.exe"), QStringLiteral("MODEM.CPL")}},
        {7, {QStringLiteral("control.exe"), QStringLiteral("APPWIZ.CPL")}},
        {8, {QStringLiteral("control.exe"), QStringLiteral("MAIN.CPL")}},
        {9, {QStringLiteral("control.exe"), QStringLiteral("NETCPL.CPL")}},
        {10, {QStringLiteral("control.exe"), QStringLiteral("SYSDM.CPL")}},
        {11, {QStringLiteral("control.exe"), QStringLiteral("THEMES.CPL")}},
    };
    for (const auto& [index, expected] : rows) {
        t.starter.calls.clear();
        const double pid = LaunchControlPanel(index, style);
        ASSERT_EQ(t.starter.calls.size(), 1u) << index;
        EXPECT_EQ(QStringList{t.starter.calls[0].program} + t.starter.calls[0].arguments, expected) << index;
        EXPECT_EQ(pid, double(t.starter.nextPid - 1));
    }
    EXPECT_EQ(ControlPanelCommand(1), QStringLiteral("rundll32.exe C:\\WINDOWS\\SYSTEM\\SHELL32.DLL,Options_RunDLL 0"));
    EXPECT_EQ(style, 1);
}

TEST(LaunchersTest, ControlPanelOutsideTheTableOrFailingGivesZero)
{
    test::TestPlatform t;
    int style = 1;
    EXPECT_EQ(LaunchControlPanel(12, style), 0.0);
    EXPECT_EQ(LaunchControlPanel(-1, style), 0.0);
    EXPECT_TRUE(t.starter.calls.empty());
    t.starter.fail = true;
    EXPECT_EQ(LaunchControlPanel(0, style), 0.0);
    struct Throwing : ProgramStarter {
        using ProgramStarter::start;
        qint64 start(const QByteArray&, const QList<QByteArray>&) override { throw RuntimeError(53, "file not found"); }
    } throwing;
    t.p.starter = &throwing;
    t.install();
    EXPECT_EQ(LaunchControlPanel(2, style), 0.0);
    EXPECT_TRUE(t.messages.shown.empty());
}

TEST(LaunchersTest, HelpOpensWhenTheFileIsThereAndComplainsOnceWhenNot)
{
    test::TestPlatform t;
    QTemporaryDir dir;
    t.identity.folder = dir.path();
    ShellOpen(HelpFilePath(), SW_RESTORE);
    ASSERT_EQ(t.messages.shown.size(), 1u);
    EXPECT_EQ(t.messages.shown[0].text, QStringLiteral("エラーが発生しました。"));
    EXPECT_EQ(t.messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(t.messages.shown[0].caption.isEmpty());

    QFile help(dir.path() + QStringLiteral("/zor.chm"));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    ShellOpen(HelpFilePath(), SW_RESTORE);
    EXPECT_EQ(t.messages.shown.size(), 1u);
    ASSERT_EQ(t.shell.documents.size(), 2u);
    EXPECT_EQ(t.shell.documents[1].path, dir.path() + QStringLiteral("/zor.chm"));
    EXPECT_EQ(t.shell.documents[1].showCommand, 9);

    t.identity.folder = QStringLiteral("/");
    EXPECT_EQ(HelpFilePath(), QStringLiteral("//zor.chm"));
}

TEST(LaunchersTest, LinksGoToTheShellWithoutAWord)
{
    test::TestPlatform t;
    OpenURL(QStringLiteral("mailto:someone@example.org"));
    OpenURL(QStringLiteral("not an address"));
    EXPECT_EQ(t.shell.urls, (std::vector<QString>{QStringLiteral("mailto:someone@example.org"), QStringLiteral("not an address")}));
    EXPECT_TRUE(t.messages.shown.empty());
}

} // namespace
