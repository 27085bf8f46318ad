#pragma once
// An image list: images of one size, numbered from 1, each stored as its own copy.
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <vector>

namespace zor {

class ImageList {
public:
    explicit ImageList(QSize size = {16, 16}) : m_size(size) {}

    QSize imageSize() const { return m_size; }
    int count() const { return int(m_images.size()); }
    bool isEmpty() const { return m_images.empty(); }

    // Stores a copy at the list's own size. A null picture is refused (error 481).
    void add(const QImage& image);
    void add(const QPixmap& pixmap);
    void reserve(int n) { m_images.reserve(size_t(n)); }
    // Image k, 1-based; an index outside the list raises error 35600.
    const QPixmap& image(int k) const;
    void clear() { m_images.clear(); }

private:
    QSize m_size;
    std::vector<QPixmap> m_images;
};

} // namespace zor
