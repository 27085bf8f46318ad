#pragma once
// What the user does with an icon after looking at it: save it as .ico or .png, copy it,
// drag it out, see every image of its group; and save every icon of a source at once.
// Any window that shows icons of files offers these with an IconOfFile and itself as parent.
#include "icons/IconExport.h"

#include <vector>

class QMimeData;
class QWidget;

namespace zor::IconCommands {

// "アイコンを保存": the group as an .ico file, or one of its sizes as PNG.
void SaveIcon(QWidget* parent, IconOfFile icon);

// One stored image of the group, at its own size, as PNG.
void SaveImage(QWidget* parent, IconOfFile icon, const iconsource::GroupEntry& entry);

// "すべてのアイコンを保存": the icons, as a source lists them, into one folder; the dialog
// starts in folder.
void SaveAll(QWidget* parent, std::vector<IconOfFile> icons, const StoredPath& folder);

// "コピー": the largest image as a picture, and the .ico file's bytes.
void Copy(QWidget* parent, IconOfFile icon);

// What a drag out of a list carries: the .ico as a file, the largest image as a picture.
// Null when the icon cannot be read.
QMimeData* DragData(IconOfFile icon);

// "アイコンの情報": every image of the group, with what it is.
void ShowInfo(QWidget* parent, IconOfFile icon);

} // namespace zor::IconCommands
