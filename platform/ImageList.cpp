#include "platform/ImageList.h"

#include "platform/Platform.h"

namespace zor {

namespace {
QImage scaledTo(const QImage& image, QSize size)
{
    return image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
} // namespace

void ImageList::add(const QImage& image)
{
    if (image.isNull())
        throw RuntimeError(481, "invalid picture");
    add(QPixmap::fromImage(scaledTo(image, m_size)));
}

void ImageList::add(const QPixmap& pixmap, const QImage& sharp)
{
    if (pixmap.isNull())
        throw RuntimeError(481, "invalid picture");
    if (pixmap.size() != m_size) {
        add(pixmap.toImage());
        return;
    }
    QPixmap shown;
    if (m_ratio > 1 && !sharp.isNull()) {
        shown = QPixmap::fromImage(scaledTo(sharp, (QSizeF(m_size) * m_ratio).toSize()));
        shown.setDevicePixelRatio(m_ratio);
    }
    m_images.push_back(pixmap);
    m_sharp.push_back(shown);
}

const QPixmap& ImageList::image(int k) const
{
    if (k < 1 || k > count())
        throw RuntimeError(35600, "index out of bounds");
    return m_images[size_t(k - 1)];
}

const QPixmap& ImageList::display(int k) const
{
    const QPixmap& plain = image(k);   // raises for an index outside the list
    const QPixmap& sharp = m_sharp[size_t(k - 1)];
    return sharp.isNull() ? plain : sharp;
}

} // namespace zor
