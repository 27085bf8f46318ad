// The help window over the help file the build compiles: its contents, index and search
// beside the page, its keys and its place; and help files that are damaged on purpose.
#include "AppFixture.h"

#include "dialogs/HelpWindow.h"
#include "platform/help/Sitemap.h"

#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtEndian>
#include <functional>

using namespace zor;
using zor::test::AppTest;

namespace {

QString pageOf(const HelpWindow& help)
{
    const QUrl url = help.browser()->source();
    return url.path().mid(1) + (url.hasFragment() ? QLatin1Char('#') + url.fragment() : QString());
}

// Text as a Japanese input method hands it over.
void type(QWidget* w, const QString& text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}

QStringList texts(const QListWidget& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

class HelpWindowTest : public AppTest {
protected:
    void SetUp() override
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        help = HelpWindow::Open(QStringLiteral(ZOR_HELP_FILE), form.get());
        ASSERT_NE(help, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
        help->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    }
    void TearDown() override { delete help.data(); }
    // A mouse click where the list shows the item.
    void click(QAbstractItemView* view, const QModelIndex& index)
    {
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

    QPointer<HelpWindow> help;
};

TEST_F(HelpWindowTest, ContentsAndIndexAreTheHelpFilesOwnAndClickingAnEntryShowsItsPage)
{
    // The contents tree, entry by entry and level by level, as help/src/toc.hhc has them.
    QFile toc(QStringLiteral(ZOR_HELP_SOURCES "/toc.hhc"));
    ASSERT_TRUE(toc.open(QIODevice::ReadOnly));
    QStringList expected;
    int lists = 0;
    static const QRegularExpression token(QStringLiteral("<UL>|</UL>|<param name=\"Name\" value=\"([^\"]*)\">"));
    for (auto m = token.globalMatch(QString::fromUtf8(toc.readAll())); m.hasNext();) {
        const auto t = m.next();
        if (t.captured(0) == QLatin1String("<UL>"))
            ++lists;
        else if (t.captured(0) == QLatin1String("</UL>"))
            --lists;
        else
            expected << QString(lists - 1, QLatin1Char('>')) + t.captured(1);
    }
    ASSERT_EQ(expected.size(), 15);
    QStringList tree;
    for (QTreeWidgetItemIterator it(help->contentsTree); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            ++depth;
        tree << QString(depth, QLatin1Char('>')) + (*it)->text(0);
    }
    EXPECT_EQ(tree, expected);
    EXPECT_EQ(help->pane->tabText(0), "目次(&C)");
    EXPECT_EQ(help->contentsTree->currentItem()->text(0), "QEL TORMELIA VIEWER ヘルプ") << "the page shown is marked";

    QTreeWidgetItem* enlarge = help->contentsTree->findItems("拡大表示", Qt::MatchExactly | Qt::MatchRecursive).value(0);
    ASSERT_NE(enlarge, nullptr);
    click(help->contentsTree, help->contentsTree->indexFromItem(enlarge));
    EXPECT_EQ(pageOf(*help), "enlarge.html");
    EXPECT_TRUE(help->browser()->toPlainText().contains("拡大表示"));

    // The index: a click on a keyword shows its page, at the part it names.
    help->pane->setCurrentIndex(1);
    EXPECT_EQ(help->keywords->item(0)->text(), "壁紙");
    const struct {
        const char* keyword;
        const char* page;
    } cases[] = {{"壁紙", "wallpaper.html"}, {"関連づけ", "options.html#assoc"}, {"リソース名", "info.html"}};
    for (const auto& c : cases) {
        const QList<QListWidgetItem*> items = help->keywords->findItems(QString::fromUtf8(c.keyword), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << c.keyword;
        click(help->keywords, help->keywords->indexFromItem(items[0]));
        EXPECT_EQ(pageOf(*help), c.page) << c.keyword;
        EXPECT_EQ(help->contentsTree->currentItem()->data(0, Qt::UserRole).toUrl().path(), help->browser()->source().path())
            << "the contents follow the page";
    }
    // Typing picks the first keyword that begins so; Enter shows it.
    help->keyword->setFocus();
    type(help->keyword, "ドラッグ");
    EXPECT_EQ(help->keywords->currentItem()->text(), "ドラッグ＆ドロップ");
    QTest::keyClick(help->keyword, Qt::Key_Return);
    EXPECT_EQ(pageOf(*help), "open.html");
}

TEST_F(HelpWindowTest, SearchListsThePagesHoldingEveryWordAndMarksThemOnThePage)
{
    // The tab chosen with the mouse takes what is typed next.
    QTabBar* tabs = help->pane->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    ASSERT_EQ(QApplication::focusWidget(), help->searchText);
    const struct {
        const char* words;
        QStringList titles;   // in the order of the contents
    } cases[] = {
        {"クリップボード", {"メインウィンドウ", "コピーとドラッグ", "アイコンの情報", "アイコンを作成"}},
        {"png", {"メインウィンドウ", "アイコンを保存", "すべてのアイコンを保存", "コピーとドラッグ", "アイコンの情報", "アイコンを作成"}},
        {"上書き　壁紙", {"壁紙に設定"}},   // every word, split at any space
        {"kepwall.bmp", {"壁紙に設定"}},
        {"どこにもない語", {}},
    };
    for (const auto& c : cases) {
        help->searchText->clear();
        type(QApplication::focusWidget(), QString::fromUtf8(c.words));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(texts(*help->found), c.titles) << c.words;
        EXPECT_EQ(help->foundCount->text(), QStringLiteral("見つかった数: %1").arg(c.titles.size())) << c.words;
    }

    // Opening a page found shows it with every place of the words marked, the first in view.
    help->searchText->setText(QStringLiteral("gsettings"));
    QTest::mouseClick(help->startSearch, Qt::LeftButton);
    ASSERT_EQ(help->found->count(), 1);
    click(help->found, help->found->model()->index(0, 0));
    EXPECT_EQ(pageOf(*help), "wallpaper.html");
    const QList<QTextEdit::ExtraSelection> marks = help->browser()->extraSelections();
    ASSERT_FALSE(marks.isEmpty());
    for (const auto& m : marks)
        EXPECT_EQ(m.cursor.selectedText(), "gsettings");
    EXPECT_TRUE(help->browser()->viewport()->rect().contains(help->browser()->cursorRect().center()));
    // Another page carries no marks of this one.
    QTest::mouseClick(help->findChild<QToolBar*>()->widgetForAction(help->contents), Qt::LeftButton);
    EXPECT_EQ(pageOf(*help), "index.html");
    EXPECT_TRUE(help->browser()->extraSelections().isEmpty());
}

TEST_F(HelpWindowTest, EscapeAndCtrlWCloseItFromWhereverTheFocusIs)
{
    delete help.data();
    const std::vector<std::function<QWidget*(HelpWindow&)>> places = {
        [](HelpWindow& h) { return h.contentsTree; },
        [](HelpWindow& h) { return h.browser(); },
        [](HelpWindow& h) { h.pane->setCurrentIndex(1); return h.keyword; },
        [](HelpWindow& h) { h.pane->setCurrentIndex(1); return h.keywords; },
        [](HelpWindow& h) { h.pane->setCurrentIndex(2); return h.searchText; },
        [](HelpWindow& h) { h.pane->setCurrentIndex(2); h.searchText->setText("png"); h.startSearch->click(); return h.found; },
    };
    for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::CTRL | Qt::Key_W)}) {
        for (size_t i = 0; i < places.size(); ++i) {
            help = HelpWindow::Open(QStringLiteral(ZOR_HELP_FILE), form.get());
            ASSERT_NE(help, nullptr);
            help->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(help));
            QWidget* focus = places[i](*help);
            focus->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), focus);
            QTest::keyClick(focus, keys.key(), keys.keyboardModifiers());
            EXPECT_FALSE(help && help->isVisible()) << "place " << i << " keys " << QKeySequence(keys).toString().toStdString();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(help.isNull());
            delete help.data();
        }
    }
}

// Also run with two screens (tests/app/two_screens.json): the help window opens on the
// main window's, whole, however small that one is.
TEST_F(HelpWindowTest, OpensWholeOnTheScreenOfTheMainWindow)
{
    delete help.data();
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        form->move(area.topLeft() + QPoint(10, 10));
        form->resize(300, 200);
        QApplication::processEvents();
        ASSERT_EQ(form->screen(), screen);
        help = HelpWindow::Open(QStringLiteral(ZOR_HELP_FILE), form.get());
        ASSERT_NE(help, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
        QApplication::processEvents();
        EXPECT_EQ(help->screen(), screen) << screen->name().toStdString();
        EXPECT_TRUE(area.contains(help->frameGeometry()))
            << screen->name().toStdString() << ": " << help->frameGeometry().x() << "," << help->frameGeometry().y() << " "
            << help->frameGeometry().width() << "x" << help->frameGeometry().height();
        delete help.data();
    }
}

// Help files damaged where libchm would loop for ever or divide by zero, one whose listing
// runs into the page's free space, and one cut short: no window, at once.
TEST(HelpFile, DamagedHelpFilesOpenNoWindow)
{
    QFile real(QStringLiteral(ZOR_HELP_FILE));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray chm = real.readAll();
    const auto directory = qFromLittleEndian<quint64>(chm.constData() + 0x48);
    const auto pageBytes = qFromLittleEndian<quint32>(chm.constData() + directory + 0x10);
    const qsizetype firstPage = qsizetype(directory) + 0x54;
    const struct {
        const char* name;
        std::function<void(QByteArray&)> damage;
    } cases[] = {
        {"an index page that leads to itself",
         [&](QByteArray& b) {
             qToLittleEndian<qint32>(0, b.data() + directory + 0x1c);   // the root is page 0...
             QByteArray page("PMGI");
             page += QByteArray(4, '\0') + QByteArray("\x01/\x00", 3);  // ...whose one entry names page 0
             qToLittleEndian<quint32>(pageBytes - quint32(page.size()), page.data() + 4);
             b.replace(firstPage, page.size(), page);
         }},
        {"a listing entry running past its page",
         [&](QByteArray& b) { qToLittleEndian<quint32>(0, b.data() + firstPage + 4); }},
        {"no windows per reset of the compressed section",
         [&](QByteArray& b) { qToLittleEndian<quint32>(0, b.data() + b.indexOf("LZXC") + 16); }},
        {"half of the file", [&](QByteArray& b) { b.truncate(b.size() / 2); }},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        QByteArray bytes = chm;
        c.damage(bytes);
        ASSERT_NE(bytes, chm) << c.name;
        const QString path = dir.filePath(QStringLiteral("zor.chm"));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        EXPECT_EQ(HelpWindow::Open(path, nullptr), nullptr) << c.name;
    }
}

// Contents and index files as they come: what is a sitemap entry is read, the rest skipped.
TEST(HelpFile, SitemapsAreReadWhateverTheirState)
{
    auto entry = [](const char* name, const char* local) {
        return QString::fromUtf8(name) + QLatin1Char('|') + QString::fromUtf8(local);
    };
    const QString item = QStringLiteral("<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"%1\"><param name=\"Local\" value=\"%2\"></OBJECT>");
    const struct {
        const char* what;
        QString html;
        QStringList entries;   // "name|local", ">" a level down
    } cases[] = {
        {"nested lists", "<UL>" + item.arg("A", "a.html") + "<UL>" + item.arg("B", "b.html#x") + "</UL>" + item.arg("C", "c.html") + "</UL>",
         {entry("A", "a.html"), ">" + entry("B", "b.html#x"), entry("C", "c.html")}},
        {"quotes, case, entities and a heading without page",
         "<ul><li><object TYPE='text/sitemap'><PARAM NAME=name VALUE='R&amp;D &#x30A2;&#12450; &bogus; &'></object>"
         "<li><object type=\"text/sitemap\"><param value=\"x&gt;y\" name=\"Name\"><param name=\"Local\" value=\"x.html\"></object>",
         {entry("R&D アア &bogus; &", ""), entry("x>y", "x.html")}},
        {"objects of other types and params outside objects",
         "<UL><OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"no\"></OBJECT><param name=\"Name\" value=\"no\">"
             + item.arg("yes", "y.html") + "</UL>",
         {entry("yes", "y.html")}},
        {"a comment, then a quote that never closes",
         "<!-- " + item.arg("no", "n.html") + " -->" + item.arg("yes", "y.html") + "<param name=\"Name\" value=\"never",
         {entry("yes", "y.html")}},
        {"a comment that never closes", item.arg("yes", "y.html") + "<!-- " + item.arg("no", "n.html"), {entry("yes", "y.html")}},
        {"more closing lists than opening ones", "</UL></UL><UL>" + item.arg("A", "a.html"), {entry("A", "a.html")}},
        {"lists nested far too deep", QString("<UL>").repeated(100000) + item.arg("deep", "d.html"),
         {QString(32, QLatin1Char('>')) + entry("deep", "d.html")}},
        {"a megabyte of tags that never end", QString("<a \"").repeated(250000), {}},
        {"a megabyte of ampersands", item.arg(QString("&").repeated(1000000), "a.html"),
         {entry(QString("&").repeated(1000000).toUtf8().constData(), "a.html")}},
    };
    for (const auto& c : cases) {
        QStringList got;
        for (const SitemapEntry& e : parseSitemap(c.html))
            got << QString(e.depth, QLatin1Char('>')) + e.name + QLatin1Char('|') + e.local;
        EXPECT_EQ(got, c.entries) << c.what;
    }
    EXPECT_EQ(parseSitemap(item.arg("x", "x.html").repeated(30000)).size(), 20000u) << "a cap on entries";
}

} // namespace
