#pragma once
// An image list: images of one size, numbered from 1, each stored as its own copy.
// On a screen with more device pixels than logical ones, an image can also have a
// sharper picture for showing; the image itself keeps the list's size.
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

    // Device pixels per logical pixel of the screen the images are shown on.
    qreal pixelRatio() const { return m_ratio; }
    void setPixelRatio(qreal ratio) { m_ratio = ratio > 1 ? ratio : 1; }

    // Stores a copy at the list's own size. A null picture is refused (error 481).
    // A sharp picture (of the size times the pixel ratio) is kept for display() when given.
    void add(const QImage& image);
    void add(const QPixmap& pixmap, const QImage& sharp = {});
    void reserve(int n) { m_images.reserve(size_t(n)); }
    // Image k, 1-based; an index outside the list raises error 35600.
    const QPixmap& image(int k) const;
    // What the screen shows for image k: its sharp picture, else the image.
    const QPixmap& display(int k) const;
    void clear()
    {
        m_images.clear();
        m_sharp.clear();
    }

private:
    QSize m_size;
    qreal m_ratio = 1;
    std::vector<QPixmap> m_images;
    std::vector<QPixmap> m_sharp;   // null where there is none
};

} // namespace zor
