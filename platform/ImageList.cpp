#include "platform/ImageList.h"

#include "platform/Platform.h"

namespace zor {

void ImageList::add(const QImage& image)
{
    if (image.isNull())
        throw RuntimeError(481, "invalid picture");
    QImage img = image.size() == m_size
        ? image
        : image.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (useMaskColor && img.hasAlphaChannel() == false) {
        QImage masked = img.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = maskColor.rgb() & 0xFFFFFF;
        for (int y = 0; y < masked.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
            for (int x = 0; x < masked.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key)
                    line[x] = 0;
        }
        img = masked;
    }
    m_images.push_back(QPixmap::fromImage(img));
}

void ImageList::add(const QPixmap& pixmap)
{
    if (pixmap.isNull())
        throw RuntimeError(481, "invalid picture");
    if (pixmap.size() == m_size && !useMaskColor)
        m_images.push_back(pixmap);
    else
        add(pixmap.toImage());
}

const QPixmap& ImageList::image(int k) const
{
    if (k < 1 || k > count())
        throw RuntimeError(35600, "index out of bounds");
    return m_images[size_t(k - 1)];
}

} // namespace zor
