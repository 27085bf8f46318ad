// The registration buttons: registry entries, desktop reflection and confirmation.
#include "shell/Associations.h"
#include "shell/RegEdit.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

using namespace zor;

namespace {

class AssociationsTest : public ::testing::Test {
protected:
    QString get(const QString& key) { return GetRegString(HKEY_CLASSES_ROOT, key, QString()); }
    bool exists(const QString& key)
    {
        HKEY k = OpenRegKey(HKEY_CLASSES_ROOT, key);
        if (k)
            t.registry.RegCloseKey(k);
        return k != 0;
    }
    // Every value under HKEY_CLASSES_ROOT as "key=value", sorted.
    QStringList dump()
    {
        QStringList out;
        for (const RegistryKey& key : t.registry.hives.value(HKEY_CLASSES_ROOT).keys) {
            for (const RegistryValue& v : key.values)
                out << key.name + QLatin1Char('=') + QString::fromUtf8(v.data.left(v.data.indexOf('\0')));
        }
        out.sort();
        return out;
    }
    void expectConfirmed(const QString& text)
    {
        ASSERT_FALSE(t.messages.shown.empty());
        const Message& m = t.messages.shown.back();
        EXPECT_EQ(m.text, text);
        EXPECT_EQ(m.icon, MsgIcon::Information);
        EXPECT_TRUE(m.rightAligned);
        EXPECT_TRUE(m.caption.isEmpty());
    }
    test::TestPlatform t;
};

TEST_F(AssociationsTest, CaptionsFollowTheButtonArray)
{
    EXPECT_EQ(AssociationCaption(0), QStringLiteral(".icl"));
    EXPECT_EQ(AssociationCaption(1), QStringLiteral(".dll"));
    EXPECT_EQ(AssociationCaption(2), QStringLiteral(".ico"));
    EXPECT_EQ(AssociationCaption(3), QStringLiteral("フォルダ"));
    EXPECT_EQ(AssociationCaption(4), QStringLiteral(".cpl"));
    EXPECT_EQ(AssociationCaption(5), QString());
}

TEST_F(AssociationsTest, CommandLineIsQuotedOnlyWhenThePathHasABlank)
{
    t.identity.folder = QStringLiteral("/opt/zor");
    EXPECT_EQ(RegistrationCommandLine(), QStringLiteral("/opt/zor/zor %1"));
    t.identity.folder = QStringLiteral("/home/me/Program Files/Tools");
    EXPECT_EQ(RegistrationCommandLine(), QStringLiteral("\"/home/me/Program Files/Tools/zor\" %1"));
    t.identity.folder = QStringLiteral("/");
    EXPECT_EQ(RegistrationCommandLine(), QStringLiteral("//zor %1"));
    EXPECT_TRUE(ContainsBlank(QStringLiteral("a b")));
    EXPECT_FALSE(ContainsBlank(QStringLiteral("a\tb")));
}

TEST_F(AssociationsTest, IclOnAFreshRegistry)
{
    RegisterAssociation(AssociationButton::Icl, nullptr);
    EXPECT_EQ(dump(), (QStringList{
                          QStringLiteral(".icl=iclfile"),
                          QStringLiteral("iclfile=ｱｲｺﾝﾗｲﾌﾞﾗﾘｰ"),
                          QStringLiteral("iclfile\\defaulticon=%1"),
                          QStringLiteral("iclfile\\shell=ZOROPEN"),
                          QStringLiteral("iclfile\\shell\\ZOROPEN=開く(&O)"),
                          QStringLiteral("iclfile\\shell\\ZOROPEN\\command=/opt/zor/zor %1"),
                      }));
    expectConfirmed(QStringLiteral(".iclファイルを関連づけました。"));
    ASSERT_EQ(t.desktop.registrations.size(), 1u);
    EXPECT_EQ(t.desktop.registrations[0].executable, QStringLiteral("/opt/zor/zor"));
    EXPECT_EQ(t.desktop.registrations[0].extension, QStringLiteral("icl"));
    EXPECT_TRUE(t.desktop.registrations[0].makeDefault);
}

TEST_F(AssociationsTest, DllAndCplOnAFreshRegistryGetTheDerivedNames)
{
    t.identity.folder = QStringLiteral("/usr/local/my tools");
    RegisterAssociation(AssociationButton::Dll, nullptr);
    expectConfirmed(QStringLiteral(".dllファイルを関連づけました。"));
    RegisterAssociation(AssociationButton::Cpl, nullptr);
    expectConfirmed(QStringLiteral(".cplファイルを関連づけました。"));
    const QString cmd = QStringLiteral("\"/usr/local/my tools/zor\" %1");
    EXPECT_EQ(dump(), (QStringList{
                          QStringLiteral(".cpl=cplfile"),
                          QStringLiteral(".dll=dllfile"),
                          QStringLiteral("cplfile=cplﾌｧｲﾙ"),
                          QStringLiteral("cplfile\\shell=ZOROPEN"),
                          QStringLiteral("cplfile\\shell\\ZOROPEN=アイコンを閲覧(&I)"),
                          QStringLiteral("cplfile\\shell\\ZOROPEN\\command=") + cmd,
                          QStringLiteral("dllfile=dllﾌｧｲﾙ"),
                          QStringLiteral("dllfile\\shell=ZOROPEN"),
                          QStringLiteral("dllfile\\shell\\ZOROPEN=アイコンを閲覧(&I)"),
                          QStringLiteral("dllfile\\shell\\ZOROPEN\\command=") + cmd,
                      }));
    ASSERT_EQ(t.desktop.registrations.size(), 2u);
    EXPECT_EQ(t.desktop.registrations[1].extension, QStringLiteral("cpl"));
    EXPECT_TRUE(t.desktop.registrations[1].makeDefault);
}

TEST_F(AssociationsTest, IcoTwiceWritesNoDefaultVerbAndConfirmsTwice)
{
    RegisterAssociation(AssociationButton::Ico, nullptr);
    const QStringList first = dump();
    RegisterAssociation(AssociationButton::Ico, nullptr);
    EXPECT_EQ(dump(), first);
    EXPECT_EQ(first, (QStringList{
                         QStringLiteral(".ico=icofile"),
                         QStringLiteral("icofile=icoﾌｧｲﾙ"),
                         QStringLiteral("icofile\\shell\\ZOROPEN=アイコンを閲覧(&I)"),
                         QStringLiteral("icofile\\shell\\ZOROPEN\\command=/opt/zor/zor %1"),
                     }));
    EXPECT_TRUE(exists(QStringLiteral("icofile\\shell")));   // created as a parent, without a value
    EXPECT_EQ(t.messages.shown.size(), 2u);
    expectConfirmed(QStringLiteral(".icoファイルを関連づけました。"));
    ASSERT_EQ(t.desktop.registrations.size(), 2u);
    EXPECT_FALSE(t.desktop.registrations[0].makeDefault);
}

TEST_F(AssociationsTest, AnExistingClassKeepsItsExtensionKeyAndDescription)
{
    SetRegString(HKEY_CLASSES_ROOT, QStringLiteral(".dll"), QString(), QStringLiteral("dllfile"));
    SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("dllfile"), QString(), QStringLiteral("Application Extension"));
    SetRegString(HKEY_CLASSES_ROOT, QStringLiteral(".ico"), QString(), QStringLiteral("Paint.Picture"));
    SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("Paint.Picture\\shell"), QString(), QStringLiteral("open"));
    RegisterAssociation(AssociationButton::Dll, nullptr);
    RegisterAssociation(AssociationButton::Ico, nullptr);
    EXPECT_EQ(dump(), (QStringList{
                          QStringLiteral(".dll=dllfile"),
                          QStringLiteral(".ico=Paint.Picture"),
                          QStringLiteral("Paint.Picture\\shell=open"),
                          QStringLiteral("Paint.Picture\\shell\\ZOROPEN=アイコンを閲覧(&I)"),
                          QStringLiteral("Paint.Picture\\shell\\ZOROPEN\\command=/opt/zor/zor %1"),
                          QStringLiteral("dllfile=Application Extension"),
                          QStringLiteral("dllfile\\shell=ZOROPEN"),
                          QStringLiteral("dllfile\\shell\\ZOROPEN=アイコンを閲覧(&I)"),
                          QStringLiteral("dllfile\\shell\\ZOROPEN\\command=/opt/zor/zor %1"),
                      }));
    EXPECT_FALSE(exists(QStringLiteral("icofile")));
}

TEST_F(AssociationsTest, AnExtensionNamingFalseOrNothingGetsItsOwnClass)
{
    SetRegString(HKEY_CLASSES_ROOT, QStringLiteral(".icl"), QString(), QStringLiteral("False"));
    SetRegString(HKEY_CLASSES_ROOT, QStringLiteral(".cpl"), QString(), QString());
    RegisterAssociation(AssociationButton::Icl, nullptr);
    RegisterAssociation(AssociationButton::Cpl, nullptr);
    EXPECT_EQ(get(QStringLiteral(".icl")), QStringLiteral("iclfile"));
    EXPECT_EQ(get(QStringLiteral("iclfile")), QStringLiteral("ｱｲｺﾝﾗｲﾌﾞﾗﾘｰ"));
    EXPECT_EQ(get(QStringLiteral(".cpl")), QStringLiteral("cplfile"));
    EXPECT_EQ(get(QStringLiteral("cplfile")), QStringLiteral("cplﾌｧｲﾙ"));
    EXPECT_FALSE(exists(QStringLiteral("False")));
}

TEST_F(AssociationsTest, FolderEntryLeavesTheFoldersDefaultAlone)
{
    SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("Directory\\shell"), QString(), QStringLiteral("none"));
    RegisterAssociation(AssociationButton::Folder, nullptr);
    EXPECT_EQ(dump(), (QStringList{
                          QStringLiteral("Directory\\shell=none"),
                          QStringLiteral("Directory\\shell\\ZOROPEN=アイコンを閲覧(&I)"),
                          QStringLiteral("Directory\\shell\\ZOROPEN\\command=/opt/zor/zor %1"),
                      }));
    expectConfirmed(QStringLiteral("フォルダを関連づけました。"));
    ASSERT_EQ(t.desktop.registrations.size(), 1u);
    EXPECT_TRUE(t.desktop.registrations[0].extension.isEmpty());
    EXPECT_FALSE(t.desktop.registrations[0].makeDefault);
}

TEST_F(AssociationsTest, RegistryTextIsUtf8WithOneNul)
{
    RegisterAssociation(AssociationButton::Icl, nullptr);
    HKEY k = OpenRegKey(HKEY_CLASSES_ROOT, QStringLiteral("iclfile\\shell\\ZOROPEN"));
    ASSERT_NE(k, 0u);
    char buf[64];
    DWORD size = sizeof buf, type = 0;
    ASSERT_EQ(t.registry.RegQueryValueEx(k, QString(), nullptr, &type, buf, &size), ERROR_SUCCESS);
    t.registry.RegCloseKey(k);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(QByteArray(buf, size), QStringLiteral("開く(&O)").toUtf8() + QByteArray(1, '\0'));
}

TEST_F(AssociationsTest, RefusedWritesAreReportedInsteadOfConfirmed)
{
    t.registry.refuse(HKEY_CLASSES_ROOT, QStringLiteral(".dll"));
    t.registry.refuse(HKEY_CLASSES_ROOT, QStringLiteral("Directory"));
    RegisterAssociation(AssociationButton::Dll, nullptr);
    RegisterAssociation(AssociationButton::Folder, nullptr);
    t.desktop.unwritten = {QStringLiteral("/home/me/.local/share/applications")};
    RegisterAssociation(AssociationButton::Ico, nullptr);
    EXPECT_FALSE(exists(QStringLiteral("Directory\\shell\\ZOROPEN")));
    ASSERT_EQ(t.messages.shown.size(), 3u);
    const QString where = QStringLiteral("を関連づけられませんでした。\n書き込めなかった場所:\n");
    EXPECT_EQ(t.messages.shown[0].text, QStringLiteral(".dllファイル") + where + QStringLiteral("HKEY_CLASSES_ROOT"));
    EXPECT_EQ(t.messages.shown[1].text, QStringLiteral("フォルダ") + where + QStringLiteral("HKEY_CLASSES_ROOT"));
    EXPECT_EQ(t.messages.shown[2].text, QStringLiteral(".icoファイル") + where + QStringLiteral("/home/me/.local/share/applications"));
    for (const Message& m : t.messages.shown) {
        EXPECT_EQ(m.icon, MsgIcon::Critical);
        EXPECT_TRUE(m.caption.isEmpty());
    }
    // SetFileType and SetRegString answer as before: only a key that cannot be made is false.
    QString icon = QStringLiteral("NO"), description = QStringLiteral("NO"), className = QStringLiteral("NO");
    EXPECT_TRUE(SetFileType(QStringLiteral("dll"), QStringLiteral("c"), QStringLiteral("ZOROPEN"), QStringLiteral("x"),
                            true, icon, description, className));
    EXPECT_FALSE(SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("Directory\\x"), QString(), QStringLiteral("x")));
}

TEST_F(AssociationsTest, AnIndexOutsideTheButtonsDoesNothing)
{
    RegisterAssociation(5, nullptr);
    RegisterAssociation(-1, nullptr);
    EXPECT_TRUE(dump().isEmpty());
    EXPECT_TRUE(t.messages.shown.empty());
}

} // namespace
