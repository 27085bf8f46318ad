// The wallpaper command: the tile written, and what reaches the registry and the desktop.
#include "platform/ImageList.h"
#include "platform/ListView.h"
#include "shell/RegEdit.h"
#include "shell/Wallpaper.h"
#include "support/TestPlatform.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zor;

namespace {

// Left half opaque in the colour, right half transparent.
QImage halfIcon(int side, QColor colour)
{
    QImage img(side, side, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side / 2; ++x)
            img.setPixelColor(x, y, colour);
    return img;
}

class WallpaperTest : public ::testing::Test {
protected:
    WallpaperTest()
    {
        t.desktop.windowsDir = dir.path() + QStringLiteral("/QEL");
        t.desktop.colour = QColor(10, 20, 30);
        list.setIcons(&large);
        list.setSmallIcons(&small);
        for (QColor c : {QColor(Qt::red), QColor(Qt::green)}) {
            large.add(halfIcon(32, c));
            small.add(halfIcon(16, c));
        }
        list.addItems({{QStringLiteral("0"), 1, 1}, {QStringLiteral("1"), 2, 2}});
    }
    QString bmp() const { return dir.path() + QStringLiteral("/QEL/kepwall.bmp"); }
    QString registryValue(const QString& name)
    {
        return GetRegString(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"), name);
    }

    QTemporaryDir dir;
    test::TestPlatform t;
    ImageList large{QSize(32, 32)};
    ImageList small{QSize(16, 16)};
    ListView list;
};

TEST_F(WallpaperTest, NothingLoadedShowsTheStopMessage)
{
    ImageList emptyLarge{QSize(32, 32)}, emptySmall;
    ListView emptyList;
    SetWallpaperFromList(nullptr, emptyList, emptyLarge, emptySmall);
    ASSERT_EQ(t.messages.shown.size(), 1u);
    EXPECT_EQ(t.messages.shown[0].text, QStringLiteral("ファイルが読み込まれていません。\n\nerror plase: Form1.MFSetWall"));
    EXPECT_EQ(t.messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(t.messages.shown[0].caption.isEmpty());
    EXPECT_FALSE(QFile::exists(bmp()));
    EXPECT_TRUE(t.desktop.wallpapers.empty());
}

TEST_F(WallpaperTest, LargeModeWrites32PixelsOverTheDesktopColourAndTiles)
{
    list.setView(ListView::lvwIcon);
    list.selectItem(2);
    SetWallpaperFromList(nullptr, list, large, small);
    const QImage img(bmp(), "BMP");
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(32, 32));
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(15, 31), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(16, 0), QColor(10, 20, 30));
    EXPECT_EQ(img.pixelColor(31, 31), QColor(10, 20, 30));
    EXPECT_EQ(registryValue(QStringLiteral("TileWallpaper")), QStringLiteral("1"));
    EXPECT_EQ(registryValue(QStringLiteral("Wallpaper")), bmp());
    ASSERT_EQ(t.desktop.wallpapers.size(), 1u);
    EXPECT_EQ(t.desktop.wallpapers[0].path, bmp());
    EXPECT_TRUE(t.desktop.wallpapers[0].tiled);
    EXPECT_TRUE(t.messages.shown.empty());
    // The list is left as it was.
    EXPECT_EQ(list.selectedIndex(), 2);
    EXPECT_EQ(list.view(), int(ListView::lvwIcon));
}

TEST_F(WallpaperTest, SmallModeUsesTheSmallImageAndTheSecondRunReplacesTheFirst)
{
    list.setView(ListView::lvwList);
    list.selectItem(1);
    SetWallpaperFromList(nullptr, list, large, small);
    QImage img(bmp(), "BMP");
    EXPECT_EQ(img.size(), QSize(16, 16));
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(15, 15), QColor(10, 20, 30));

    t.desktop.colour = QColor(200, 100, 50);   // the colour at the time of the command counts
    list.setView(ListView::lvwIcon);
    list.selectItem(2);
    SetWallpaperFromList(nullptr, list, large, small);
    img = QImage(bmp(), "BMP");
    EXPECT_EQ(img.size(), QSize(32, 32));
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(31, 0), QColor(200, 100, 50));
    EXPECT_EQ(t.desktop.wallpapers.size(), 2u);
}

TEST_F(WallpaperTest, NoSelectedItemDoesNothing)
{
    list.deselect();
    SetWallpaperFromList(nullptr, list, large, small);
    EXPECT_FALSE(QFile::exists(bmp()));
    EXPECT_TRUE(t.messages.shown.empty());
    EXPECT_TRUE(t.desktop.wallpapers.empty());
}

TEST_F(WallpaperTest, AnUnwritableFileIsReportedAndGoesNoFurther)
{
    // A plain file where the folder should be.
    QFile blocker(dir.path() + QStringLiteral("/blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    t.desktop.windowsDir = dir.path() + QStringLiteral("/blocked/QEL");
    list.selectItem(1);
    SetWallpaperFromList(nullptr, list, large, small);
    ASSERT_EQ(t.messages.shown.size(), 1u);
    EXPECT_EQ(t.messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(t.messages.shown[0].text.contains(dir.path() + QStringLiteral("/blocked/QEL/kepwall.bmp")));
    EXPECT_TRUE(t.desktop.wallpapers.empty());
    EXPECT_TRUE(t.registry.hives.value(HKEY_CURRENT_USER).keys.isEmpty());
}

TEST_F(WallpaperTest, AnUnopenableDesktopKeyStillWritesTheFile)
{
    t.registry.refuse(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"));
    list.selectItem(1);
    SetWallpaperFromList(nullptr, list, large, small);
    EXPECT_TRUE(QFile::exists(bmp()));
    EXPECT_TRUE(t.desktop.wallpapers.empty());
    EXPECT_TRUE(t.messages.shown.empty());
}

} // namespace
