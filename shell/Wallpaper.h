#pragma once
// The wallpaper command: the selected icon as a tile over the desktop colour, saved
// as a BMP and made the tiled desktop wallpaper.
#include <QString>

class QWidget;

namespace zor {

class ImageList;
class ListView;

// The folder for the program's own files (the Windows directory of old).
QString GetWinDir();

// MFSetWall: large holds the 32 x 32 images, small the 16 x 16 ones.
void SetWallpaperFromList(QWidget* parent, const ListView& list, const ImageList& large, const ImageList& small);

} // namespace zor
