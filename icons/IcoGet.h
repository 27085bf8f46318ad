#pragma once
// Turns icon source files into entries of the icon list: one large and one small
// image per icon, and one list item per icon labelled with its zero-based number.
#include "platform/iconsource/StoredPath.h"

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <vector>

namespace zor {

class ImageList;
class ListView;

// The open-file dialogs' filter: icon-bearing files, and all files; iconFileFilter() is it in
// the program's language.
//: An open-file dialog's filter, "name|patterns|name|patterns": keep the | and the patterns.
inline const QString IconFileFilter = QStringLiteral(QT_TRANSLATE_NOOP("zor::IcoGet",
    "含ｱｲｺﾝﾌｧｲﾙ(*.icl,*.ico,*.exe,*.dll)|*.ico;*.icl;*.exe;*.dll|すべてのﾌｧｲﾙ(*.*)|*.*"));
inline QString iconFileFilter() { return QCoreApplication::translate("zor::IcoGet", IconFileFilter.toUtf8().constData()); }

namespace IcoGet {

// A picture that the image lists accept, or a null pixmap for "no image".
QPixmap IconToPicture(const QImage& icon);

// Fills both image lists and the list view. Only the file's directories are read here: the
// pictures are made when they are first drawn or asked for. An icon without an image shows
// the broken-icon placeholder so that item k still shows image k. False when the file holds
// no icons or the load failed.
bool LoadIconsOfFile(const StoredPath& path, ImageList& large, ImageList& small, ListView& list);

// Makes both image lists the first icons of the files (the placeholder where one has none),
// each read when it is first drawn.
void AddFirstIcons(const std::vector<StoredPath>& files, ImageList& large, ImageList& small);

// The placeholder shown for an icon whose image cannot be read.
QPixmap BrokenIcon(int size);

} // namespace IcoGet
} // namespace zor
