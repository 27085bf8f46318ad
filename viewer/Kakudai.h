#pragma once
// Drawing for the enlarged view: where the shown icon comes from, and the
// magnification of one image of the main window's image lists onto the view.
#include <QImage>
#include <QSize>
#include <QString>

namespace zor {

class Form2;
class ImageList;
class PictureBox;

namespace Kakudai {

// Copies the clicked item into the view and takes its SourcePath from the path box,
// or from the selected item when the path box is empty.
void PrepareEnlargedView(Form2& view);

// Shows item `index` of the main list: location text, then the image in the size
// chosen by the view's large/small buttons. Runs under the error trap.
void ShowEnlargedIcon(Form2& view, qint32 index);

// "path,index" for item `index` of the main list: SourcePath/name,0 for a folder
// source, SourcePath,number for a single file. Raises an error for a missing item.
QString IconLocation(const Form2& view, int index);

// Puts image `index` of `list` at the top-left of the view's source buffer, over the
// window-background colour. Raises an error for a missing image.
void LoadSource(Form2& view, const ImageList& list, int index);

// The size x size square at the top-left of `source` scaled onto `inner` by pixel
// replication: every source pixel becomes a solid block.
QImage Magnify(const QImage& source, int size, QSize inner);

// Magnifies the source square onto the whole inner area of the view, as it is now.
void StretchToView(PictureBox& view, const QImage& source, int size);

} // namespace Kakudai
} // namespace zor
