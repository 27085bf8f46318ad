#include "shell/Wallpaper.h"

#include "platform/ImageList.h"
#include "platform/ListView.h"
#include "platform/Platform.h"
#include "platform/desktop/Desktop.h"
#include "shell/RegEdit.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>

namespace zor {

QString GetWinDir() { return platform().desktop->windowsDirectory(); }

void SetWallpaperFromList(QWidget* parent, const ListView& list, const ImageList& large, const ImageList& small)
{
    if (large.isEmpty()) {
        Message m;
        // Two line breaks leave the empty line between the texts.
        m.text = QCoreApplication::translate("zor::Wallpaper", "ファイルが読み込まれていません。\n\nerror plase: Form1.MFSetWall");
        m.icon = MsgIcon::Critical;
        platform().messages->show(parent, m);
        return;
    }
    const int selected = list.selectedIndex();
    if (selected <= 0)
        return;   // nothing chosen: nothing to make a wallpaper of

    const QString path = GetWinDir() + QStringLiteral("/kepwall.bmp");
    const bool smallMode = list.view() == ListView::lvwList;
    const ImageList& images = smallMode ? small : large;
    const int side = smallMode ? 16 : 32;

    QImage tile(side, side, QImage::Format_RGB32);
    tile.fill(platform().desktop->desktopColour());
    {
        QPainter painter(&tile);
        painter.drawPixmap(0, 0, images.image(selected));
    }
    if (!tile.save(path, "BMP")) {
        Message m;
        m.text = QCoreApplication::translate("zor::Wallpaper", "壁紙のファイルを保存できませんでした。\n\n") + path;
        m.icon = MsgIcon::Critical;
        platform().messages->show(parent, m);
        return;
    }
    SetTileWallpaper(path, QStringLiteral("1"));
}

} // namespace zor
