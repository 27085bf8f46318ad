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

void ImageList::add(const QPixmap& pixmap)
{
    if (pixmap.isNull())
        throw RuntimeError(481, "invalid picture");
    if (pixmap.size() != m_size) {
        add(pixmap.toImage());
        return;
    }
    m_images.push_back(pixmap);
}

void ImageList::setSource(std::shared_ptr<const PictureSource> source, int count)
{
    clear();
    m_source = std::move(source);
    m_sourceCount = m_source ? std::max(count, 0) : 0;
}

void ImageList::clear()
{
    m_images.clear();
    m_source.reset();
    m_sourceCount = 0;
    m_made.clear();
}

QPixmap ImageList::made(int k, QSize size, qreal ratio) const
{
    const int key = ratio > 1 ? -k : k;
    if (const QPixmap* kept = m_made.object(key))
        return *kept;
    QPixmap picture = QPixmap::fromImage(scaledTo(m_source->picture(k - 1, size), size));
    picture.setDevicePixelRatio(ratio);
    m_made.insert(key, new QPixmap(picture));
    return picture;
}

QPixmap ImageList::image(int k) const
{
    if (k < 1 || k > count())
        throw RuntimeError(35600, "index out of bounds");
    return m_source ? made(k, m_size, 1) : m_images[size_t(k - 1)];
}

QPixmap ImageList::display(int k) const
{
    if (m_ratio <= 1 || !m_source)
        return image(k);
    if (k < 1 || k > count())
        throw RuntimeError(35600, "index out of bounds");
    return made(k, (QSizeF(m_size) * m_ratio).toSize(), m_ratio);
}

} // namespace zor
