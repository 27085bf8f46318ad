#include "platform/ImageList.h"

#include "platform/Platform.h"

namespace zor {

void ImageList::add(const QImage& image)
{
    if (image.isNull())
        throw RuntimeError(481, "invalid picture");
    m_images.push_back(QPixmap::fromImage(
        image.size() == m_size ? image : image.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void ImageList::add(const QPixmap& pixmap)
{
    if (pixmap.isNull())
        throw RuntimeError(481, "invalid picture");
    if (pixmap.size() == m_size)
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
