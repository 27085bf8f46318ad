#pragma once

// Decoding the stored images, inside the pictures library: DIB images with their AND mask
// (Dib.cpp) and PNG images (Png.cpp), at their own size.

#include "Formats.h"
#include "IconSource.h"
#include "QtByteReader.h"

namespace zor::iconsource {

QImage decodeDib(QByteArrayView data);
QImage decodePng(QByteArrayView data);

} // namespace zor::iconsource
