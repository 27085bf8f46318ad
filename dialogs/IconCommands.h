#pragma once
// What the user does with an icon after looking at it: save it as .ico or .png, copy it,
// drag it out, see every image of its group; and save every icon of a source at once.
// Any window that shows icons of files offers these with an IconOfFile and itself as parent;
// with several icons chosen, with all of them and the current one.
#include "icons/IconExport.h"

#include <vector>

class QMimeData;
class QWidget;

namespace zor::IconCommands {

// "アイコンを保存": the group as an .ico file, or one of its sizes as PNG.
void SaveIcon(QWidget* parent, IconOfFile icon);
// With several chosen: asks for a folder and saves each as an .ico file named as SaveAll
// names them; one alone is SaveIcon.
void SaveIcons(QWidget* parent, std::vector<IconOfFile> icons);

// The icons, in the order given, as the groups of one icon library named in a save dialog
// of that title.
void SaveLibrary(QWidget* parent, std::vector<IconOfFile> icons, const QString& title);

// One stored image of the group, at its own size: PNG, BMP, or an .ico file of it alone.
void SaveImage(QWidget* parent, IconOfFile icon, const iconsource::GroupEntry& entry);
// The same image as a picture (and an .ico file of it alone) on the clipboard.
void CopyImage(QWidget* parent, const iconsource::GroupEntry& entry);

// "すべてのアイコンを保存": the icons, as a source lists them, into one folder; the dialog
// proposes a folder named after the source in the folder saves start in.
void SaveAll(QWidget* parent, std::vector<IconOfFile> icons);

// "コピー": the largest image as a picture, and the .ico file's bytes. With several, the
// current one so, and every one as an .ico file (a file list, as file managers paste).
void Copy(QWidget* parent, IconOfFile icon);
void Copy(QWidget* parent, std::vector<IconOfFile> icons, int current);

// What a drag out of a list carries: the .ico as a file, the largest image as a picture;
// with several, every one as a file and the current one as a picture. Null when none can
// be read.
QMimeData* DragData(IconOfFile icon);
QMimeData* DragData(std::vector<IconOfFile> icons, int current);

// "アイコンの情報": every image of the group, with what it is.
void ShowInfo(QWidget* parent, IconOfFile icon);

} // namespace zor::IconCommands
