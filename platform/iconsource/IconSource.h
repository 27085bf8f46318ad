#pragma once

// The pictures of Windows icon sources, over the directories IconFile.h reads: decoding the
// stored images and fitting them to a size. This part links Qt Gui.

#include "IconFile.h"

#include <QImage>

namespace zor::iconsource {

struct IconPair {
    QImage large;
    QImage small;
};   // a null QImage means "no image"

// The file's first icon as a picture for a file manager: size x size up to
// kMaxThumbnailEnlarged; above, the largest image the icon holds up to size, at its own
// size, never enlarged. Null when it has none that decodes. Sizes go up to kMaxThumbnailSide.
QImage thumbnailImage(const IconFile& file, int size);

// Decodes one stored image (a DIB with its AND mask, or PNG) at its own size, as ARGB32;
// null when it fails.
QImage decodeEntry(const GroupEntry& entry);

// The image fitted into a picture of the given size: scaled with its aspect kept and
// centred on transparent; enlarged by pixel replication when the factor is a whole number,
// smoothly otherwise.
QImage fitImage(const QImage& image, QSize size);

} // namespace zor::iconsource
