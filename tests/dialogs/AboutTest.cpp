// The about dialog: its texts, the registry reading and the system-information button.
#include "app/Form1.h"
#include "dialogs/frmAbout.h"
#include "support/TestPlatform.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zor;

namespace {

const QString InfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString LocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

void setValue(test::TestPlatform& tp, HKEY root, const QString& key, const QString& name, DWORD type,
              const QByteArray& data)
{
    HKEY h = 0;
    ASSERT_EQ(tp.registry.RegCreateKeyEx(root, key, 0, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &h, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(tp.registry.RegSetValueEx(h, name, 0, type, data.constData(), DWORD(data.size())), ERROR_SUCCESS);
    tp.registry.RegCloseKey(h);
}

QByteArray dword(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xff);
    return b;
}

// Runs the about dialog with body as its user.
void openAbout(test::TestPlatform& tp, Form1& form, const std::function<void(frmAbout&)>& body)
{
    tp.dialogs.script = [&](QDialog& d) {
        body(static_cast<frmAbout&>(d));
        return d.result();
    };
    frmAbout::Open(&form);
}

TEST(AboutDialog, VersionTextShowsTheLastTwoDigitsOfTheMinorNumber)
{
    EXPECT_EQ(frmAbout::VersionText(2, 32), QStringLiteral("Ver 2.32"));
    EXPECT_EQ(frmAbout::VersionText(2, 5), QStringLiteral("Ver 2.05"));
    EXPECT_EQ(frmAbout::VersionText(2, 123), QStringLiteral("Ver 2.23"));
    EXPECT_EQ(frmAbout::VersionText(2, 0), QStringLiteral("Ver 2.00"));
    EXPECT_EQ(frmAbout::BuildText(89), QStringLiteral("Build 89"));
}

TEST(AboutDialog, LoadFillsTitleVersionBuildAndIcon)
{
    test::TestPlatform tp;
    Form1 form;
    openAbout(tp, form, [&](frmAbout& a) {
        EXPECT_EQ(a.windowTitle(), QStringLiteral("バージョン情報"));
        EXPECT_EQ(a.size(), QSize(500, 234));
        EXPECT_EQ(a.lblTitle->text(), QStringLiteral("QEL TORMELIA VIEWER"));
        EXPECT_EQ(a.lblVersion->text(), QStringLiteral("Ver 2.32"));
        EXPECT_EQ(a.Label2->text(), QStringLiteral("Build 89"));
        ASSERT_FALSE(a.Image2->pixmap().isNull());
        EXPECT_EQ(a.Image2->geometry(), QRect(12, 12, 64, 64));
        EXPECT_EQ(a.Image1->geometry(), QRect(-4, 0, 504, 235));
        EXPECT_EQ(a.cmdOK->geometry(), QRect(392, 200, 92, 23));
        EXPECT_TRUE(a.cmdOK->isDefault());
        EXPECT_EQ(a.cmdSysInfo->text(), QStringLiteral("ｼｽﾃﾑ情報"));
        EXPECT_EQ(a.Command1->text(), QStringLiteral("ﾌﾟﾛﾊﾟﾃｨ"));
        EXPECT_EQ(a.lblVersion->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    });
    EXPECT_EQ(tp.dialogs.opened, std::vector<QString>{QStringLiteral("frmAbout")});
}

TEST(AboutDialog, GetKeyValueReadsStringsDwordsAndLeavesOtherTypes)
{
    test::TestPlatform tp;
    const QString key = QStringLiteral("SOFTWARE\\Test");
    setValue(tp, HKEY_LOCAL_MACHINE, key, QStringLiteral("withNul"), REG_SZ, QByteArray("C:\\Tools\0", 9));
    setValue(tp, HKEY_LOCAL_MACHINE, key, QStringLiteral("noNul"), REG_SZ, QByteArray("abc"));
    setValue(tp, HKEY_LOCAL_MACHINE, key, QStringLiteral("full"), REG_SZ, QByteArray(1024, 'x'));
    setValue(tp, HKEY_LOCAL_MACHINE, key, QStringLiteral("tooLong"), REG_SZ, QByteArray(1025, 'x'));
    setValue(tp, HKEY_LOCAL_MACHINE, key, QStringLiteral("japanese"), REG_SZ, Registry::stringData(QStringLiteral("情報")));
    setValue(tp, HKEY_LOCAL_MACHINE, key, QStringLiteral("dword"), REG_DWORD, dword(0x12345678));
    setValue(tp, HKEY_LOCAL_MACHINE, key, QStringLiteral("small"), REG_DWORD, dword(5));
    setValue(tp, HKEY_LOCAL_MACHINE, key, QStringLiteral("high"), REG_DWORD, dword(0xFFFFFFFFu));
    setValue(tp, HKEY_LOCAL_MACHINE, key, QStringLiteral("binary"), 3, QByteArray("\x01\x02", 2));

    QString v;
    EXPECT_TRUE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("withNul"), v));
    EXPECT_EQ(v, QStringLiteral("C:\\Tools"));
    EXPECT_TRUE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("noNul"), v));
    EXPECT_EQ(v, QStringLiteral("abc"));
    EXPECT_TRUE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("full"), v));
    EXPECT_EQ(v, QString(1024, QLatin1Char('x')));
    EXPECT_TRUE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("japanese"), v));
    EXPECT_EQ(v, QStringLiteral("情報"));
    EXPECT_TRUE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("dword"), v));
    EXPECT_EQ(v, QStringLiteral("305419896"));
    EXPECT_TRUE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("small"), v));
    EXPECT_EQ(v, QStringLiteral("5"));
    EXPECT_TRUE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("high"), v));
    EXPECT_EQ(v, QStringLiteral("4294967295"));

    v = QStringLiteral("as passed");
    EXPECT_TRUE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("binary"), v));
    EXPECT_EQ(v, QStringLiteral("as passed"));

    // Failures empty the value.
    v = QStringLiteral("old");
    EXPECT_FALSE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("tooLong"), v));
    EXPECT_TRUE(v.isEmpty());
    v = QStringLiteral("old");
    EXPECT_FALSE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("missing"), v));
    EXPECT_TRUE(v.isEmpty());
    v = QStringLiteral("old");
    EXPECT_FALSE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Nowhere"), QString(), v));
    EXPECT_TRUE(v.isEmpty());
    // A key this account may not open.
    tp.registry.refuse(HKEY_LOCAL_MACHINE, key);
    EXPECT_FALSE(frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("noNul"), v));
    EXPECT_EQ(tp.registry.openHandles(), 0);
}

class SysInfo : public ::testing::Test {
protected:
    void run(bool programInstalled = false)
    {
        Form1 form;
        openAbout(tp, form, [&](frmAbout& a) {
            a.findSystemInfo = [programInstalled]() -> std::optional<SystemInfoProgram> {
                if (!programInstalled)
                    return std::nullopt;
                return SystemInfoProgram{QStringLiteral("/usr/bin/hardinfo"), {}};
            };
            QTest::mouseClick(a.cmdSysInfo, Qt::LeftButton);
        });
    }
    void expectMessage()
    {
        ASSERT_EQ(tp.messages.shown.size(), 1u);
        EXPECT_EQ(tp.messages.shown[0].text, QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
        EXPECT_EQ(tp.messages.shown[0].icon, MsgIcon::None);
        EXPECT_TRUE(tp.messages.shown[0].caption.isEmpty()) << "the program title";
        EXPECT_TRUE(tp.starter.calls.empty());
    }
    test::TestPlatform tp;
    QTemporaryDir dir;
};

TEST_F(SysInfo, SecondLocationWithTheProgramStartsIt)
{
    QFile f(dir.path() + QStringLiteral("/MSINFO32.EXE"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    setValue(tp, HKEY_LOCAL_MACHINE, LocationKey, QStringLiteral("MSINFO"), REG_SZ, Registry::stringData(dir.path()));
    run(true);
    ASSERT_EQ(tp.starter.calls.size(), 1u);
    EXPECT_EQ(tp.starter.calls[0].program, dir.path() + QStringLiteral("/MSINFO32.EXE"));
    EXPECT_TRUE(tp.messages.shown.empty());
}

TEST_F(SysInfo, SecondLocationWithoutTheProgramShowsTheMessage)
{
    setValue(tp, HKEY_LOCAL_MACHINE, LocationKey, QStringLiteral("MSINFO"), REG_SZ, Registry::stringData(dir.path()));
    run();
    expectMessage();
}

TEST_F(SysInfo, NeitherLocationShowsTheMessage)
{
    run();
    expectMessage();
}

TEST_F(SysInfo, FirstLocationWinsOverEverythingElse)
{
    setValue(tp, HKEY_LOCAL_MACHINE, InfoKey, QStringLiteral("PATH"), REG_SZ, Registry::stringData(QStringLiteral("/opt/msinfo32")));
    setValue(tp, HKEY_LOCAL_MACHINE, LocationKey, QStringLiteral("MSINFO"), REG_SZ, Registry::stringData(dir.path()));
    run(true);
    ASSERT_EQ(tp.starter.calls.size(), 1u);
    EXPECT_EQ(tp.starter.calls[0].program, QStringLiteral("/opt/msinfo32"));
}

TEST_F(SysInfo, AnInstalledProgramStandsInWhenTheRegistryNamesNone)
{
    run(true);
    ASSERT_EQ(tp.starter.calls.size(), 1u);
    EXPECT_EQ(tp.starter.calls[0].program, QStringLiteral("/usr/bin/hardinfo"));
    EXPECT_TRUE(tp.messages.shown.empty());
}

TEST_F(SysInfo, AProgramThatCannotStartShowsTheMessage)
{
    setValue(tp, HKEY_LOCAL_MACHINE, InfoKey, QStringLiteral("PATH"), REG_SZ, Registry::stringData(QStringLiteral("/nowhere/msinfo32")));
    tp.starter.fail = true;
    run();
    ASSERT_EQ(tp.messages.shown.size(), 1u);
    EXPECT_EQ(tp.messages.shown[0].text, frmAbout::NoSysInfo);
}

TEST(AboutDialog, EnterAndEscapeClose)
{
    test::TestPlatform tp;
    Form1 form;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        int result = -1;
        openAbout(tp, form, [&](frmAbout& a) {
            a.show();
            QTest::keyClick(&a, key);
            EXPECT_FALSE(a.isVisible()) << key;
            result = a.result();
        });
        EXPECT_EQ(result, QDialog::Accepted) << "both press OK";
    }
}

TEST(AboutDialog, LinksOpenTheirCaptionsAndPropertiesShowTheExecutable)
{
    test::TestPlatform tp;
    Form1 form;
    openAbout(tp, form, [&](frmAbout& a) {
        a.show();
        QTest::mouseClick(a.Label3[0], Qt::LeftButton);
        QTest::mouseClick(a.Label3[1], Qt::LeftButton);
        QTest::mouseClick(a.Command1, Qt::LeftButton);
        EXPECT_EQ(a.Label3[0]->cursor().hotSpot(), QPoint(14, 3));
        EXPECT_TRUE(a.isVisible());
    });
    EXPECT_EQ(tp.shell.urls, (std::vector<QString>{frmAbout::MailAddress, frmAbout::WebAddress}));
    EXPECT_TRUE(frmAbout::MailAddress.startsWith(QStringLiteral("mailto:")));
    EXPECT_EQ(tp.shell.properties, std::vector<QString>{QStringLiteral("/opt/zor/zor")});
}

} // namespace
