#include "platform/BundledPicture.h"

#include <QImageReader>

namespace zor {

QPixmap bundledPicture(const QString& resource)
{
    QImageReader reader(resource, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace zor
