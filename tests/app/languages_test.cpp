// The program speaks the language of the locale it starts in: Japanese (the sources' own texts)
// for a Japanese or C locale, English for every other one; Qt's own texts follow.
#include "AppFixture.h"
#include "IconFixtures.h"

#include "app/Form1.h"
#include "dialogs/frmOption.h"
#include "icons/IcoGet.h"
#include "platform/Platform.h"
#include "platform/RealPlatform.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace zor;
namespace fx = zor::iconfixtures;

namespace {

struct Texts {
    QString title;          // once a file of one icon is open
    QStringList menus;
    QString noIcons;        // the message for a file without icons
    QString fileNameLabel;  // Qt's open-file dialog
    QString iconFilter;     // its first filter
    QStringList tabs;       // the options dialog
    QString banner, cancel, startup, restorePosition;
};

const Texts Japanese{
    QStringLiteral("QEL Tormelia Viewer - [アイコン数：1]"),
    {QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("表示(&V)"), QStringLiteral("ヘルプ(&H)")},
    QStringLiteral("このファイルにはアイコンが含まれていませんでした。"),
    QStringLiteral("ファイル名(&N):"),
    QStringLiteral("含ｱｲｺﾝﾌｧｲﾙ(*.icl,*.ico,*.exe,*.dll)"),
    {QStringLiteral("オプション"), QStringLiteral("関連づけ"), QStringLiteral("便利な機能")},
    QStringLiteral("アイコンライブラリ ビューア — オプション"),
    QStringLiteral("キャンセル"),
    QStringLiteral("起動設定"),
    QStringLiteral("前回の位置を復元する"),
};

const Texts English{
    QStringLiteral("QEL Tormelia Viewer - [Icons: 1]"),
    {QStringLiteral("&File"), QStringLiteral("&View"), QStringLiteral("&Help")},
    QStringLiteral("This file contains no icons."),
    QStringLiteral("File &name:"),
    QStringLiteral("Files with icons (*.icl,*.ico,*.exe,*.dll)"),
    {QStringLiteral("Options"), QStringLiteral("Associations"), QStringLiteral("Utilities")},
    QStringLiteral("Icon Library Viewer — Options"),
    QStringLiteral("Cancel"),
    QStringLiteral("Startup"),
    QStringLiteral("Restore the last position"),
};

// In the child: the real facilities and the main window, as main() puts them together.
void expectTexts(const Texts& want)
{
    RealPlatform real;
    Form1 form;
    form.Form_Load();
    form.show();
    QTemporaryDir dir;

    QStringList menus;
    for (QAction* a : form.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, want.menus);

    form.Text1->setEditText(fx::makeIco(dir.path(), QStringLiteral("one.ico"), {{32, 32, false, 1}}));
    form.Text1_Click();
    EXPECT_EQ(form.windowTitle(), want.title);

    // The message box as it runs, answered with Enter.
    const QString empty = dir.filePath(QStringLiteral("empty.ico"));
    ASSERT_TRUE(fx::writeBytes(empty, "not an icon"));
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    form.Text1->setEditText(empty);
    form.Text1_Click();
    EXPECT_EQ(shown, want.noIcons);

    // Qt's open-file dialog, with the program's filter.
    QString label, filter;
    QTimer::singleShot(0, [&label, &filter] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            label = d->findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text();
            filter = d->nameFilters().value(0);
            d->reject();
        }
    });
    platform().files->openFile(&form, iconFileFilter());
    EXPECT_EQ(label, want.fileNameLabel);
    EXPECT_TRUE(filter.startsWith(want.iconFilter)) << filter.toStdString();

    frmOption options(&form);
    QStringList tabs;
    for (int i = 0; i < options.SSTab1->count(); ++i)
        tabs << options.SSTab1->tabText(i);
    EXPECT_EQ(tabs, want.tabs);
    EXPECT_EQ(options.lblBanner->text(), want.banner);
    EXPECT_EQ(options.Command3->text(), want.cancel);
    EXPECT_EQ(options.Frame1->title(), want.startup);
    EXPECT_EQ(options.Check1[0]->text(), want.restorePosition);
}

TEST(LanguageTest, EachLocaleSeesTheProgramInItsLanguage)
{
    if (const QByteArray language = qgetenv("ZOR_TEST_LOCALE"); !language.isEmpty()) {
        expectTexts(language == "en" ? English : Japanese);
        return;
    }
    struct Row {
        const char* lang;
        const char* language;
    };
    const Row rows[] = {
        {"en_US.UTF-8", "en"}, {"ja_JP.UTF-8", "ja"}, {"C", "ja"}, {"de_DE.UTF-8", "en"},
    };
    for (const Row& row : rows) {
        QTemporaryDir home;
        QDir(home.path()).mkpath(QStringLiteral("config/QEL"));
        ASSERT_TRUE(fx::writeBytes(home.filePath(QStringLiteral("config/QEL/QEL.ini")), "[QEL%20Tormelia%20Viewer]\nVer=89\n"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("LANG"), QLatin1String(row.lang));
        env.insert(QStringLiteral("ZOR_TEST_LOCALE"), QLatin1String(row.language));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=LanguageTest.EachLocaleSeesTheProgramInItsLanguage")});
        ASSERT_TRUE(child.waitForFinished(120000)) << row.lang;
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << "LANG=" << row.lang << "\n" << output.constData();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << "LANG=" << row.lang << "\n" << output.constData();
    }
}

} // namespace
