#pragma once
// An image list: images of one size, numbered from 1. An image is either stored as its own
// copy when added, or, for the lists of a whole source, made from its source the first time
// it is drawn or asked for, and then kept in a bounded cache: a list of fifty thousand icons
// costs what the screen shows, not what the source holds. On a screen with more device
// pixels than logical ones an image also has a sharper picture for showing; the image itself
// keeps the list's size.
#include <QCache>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <memory>
#include <vector>

namespace zor {

// What the images of a list are made from.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    // Picture i (from 0) at the size given; never null (a placeholder where there is none).
    virtual QImage picture(int i, QSize size) const = 0;
};

class ImageList {
public:
    explicit ImageList(QSize size = {16, 16}) : m_size(size) {}

    QSize imageSize() const { return m_size; }
    int count() const { return m_source ? m_sourceCount : int(m_images.size()); }
    bool isEmpty() const { return count() == 0; }

    // Device pixels per logical pixel of the screen the images are shown on.
    qreal pixelRatio() const { return m_ratio; }
    void setPixelRatio(qreal ratio) { m_ratio = ratio > 1 ? ratio : 1; }

    // Stores a copy at the list's own size. A null picture is refused (error 481).
    void add(const QImage& image);
    void add(const QPixmap& pixmap);
    // The list becomes the count pictures of source, made when they are first wanted.
    void setSource(std::shared_ptr<const PictureSource> source, int count);
    // Image k, 1-based; an index outside the list raises error 35600.
    QPixmap image(int k) const;
    // What the screen shows for image k: its sharp picture where the screen has the pixels.
    QPixmap display(int k) const;
    void clear();

private:
    QPixmap made(int k, QSize size, qreal ratio) const;

    QSize m_size;
    qreal m_ratio = 1;
    std::vector<QPixmap> m_images;
    std::shared_ptr<const PictureSource> m_source;
    int m_sourceCount = 0;
    // Pictures made, by image (negative: the sharp ones); a few screens' worth.
    mutable QCache<int, QPixmap> m_made{4096};
};

} // namespace zor
