#pragma once

// Makes icon files from pictures: every chosen size made from the source that fits it best,
// at 32 bits with alpha or on a 8- or 4-bit palette with a 1-bit mask, then written as an .ico.
// Preparing and writing are separate steps, so a window can show what will be stored first.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <vector>

namespace zor::iconsource {

// A picture icon images are made from: a raster image at its own size, or a drawing (SVG,
// through Qt's image plugin) rendered afresh at every size.
class IconPicture {
public:
    IconPicture() = default;
    explicit IconPicture(const QImage& image);
    // An image file's bytes: its first frame, or an SVG drawing. A null picture, with why
    // set, when they hold no picture, a picture too large to decode, or one that fails to render.
    static IconPicture fromData(const QByteArray& bytes, QString* why = nullptr);

    bool isNull() const { return m_size.isEmpty(); }
    bool isScalable() const { return !m_drawing.isEmpty(); }
    // The raster's size, or the drawing's own.
    QSize size() const { return m_size; }
    // Its larger side: the icon size it serves without scaling.
    int side() const { return qMax(m_size.width(), m_size.height()); }
    // The picture in a side x side square, aspect kept, centred on transparent, as ARGB32;
    // null when a drawing fails to render.
    QImage render(int side) const;

private:
    QImage m_image;
    QByteArray m_drawing;
    QSize m_size;
};

// Decoded pictures are refused beyond this many pixels (a drawing's own size may be anything).
constexpr qint64 kMaxPicturePixels = qint64(8192) * 8192;

// The sizes an icon file can be made with, and those made unless others are chosen.
const std::vector<int>& icoSizes();
const std::vector<int>& defaultIcoSizes();

struct IcoOptions {
    std::vector<int> sizes = defaultIcoSizes();   // of icoSizes(), any order
    int depth = 32;                               // 32 (alpha), 8 or 4 (palette and mask)
    bool pngForAll = false;                       // PNG at every size; else 256 only
};

// One image as it will be stored.
struct PreparedImage {
    int size = 0;          // its side
    int depth = 32;        // bits per pixel as stored; a PNG is always 32
    bool png = false;
    QImage image;          // exactly the pixels stored, ARGB32; on a palette, opaque or clear
    int source = -1;       // the picture it was made from
    bool enlarged = false; // made from a smaller picture, there being no larger one
};

// Each size from the picture that fits it best: one of exactly that size as it is, else a
// drawing rendered at it, else the nearest larger picture scaled down, else the largest
// smaller one enlarged. Images come in the order they are stored (see writeIco). Empty,
// with why set, for no pictures, a size or depth not offered, or a drawing that fails.
std::vector<PreparedImage> prepareIcoImages(const std::vector<IconPicture>& pictures, const IcoOptions& options,
                                            QString* why = nullptr);

// The .ico file holding the images, in the order Windows' own icons keep them: depths from
// the fewest bits, each from its largest size down. PNG images are stored as PNG, the others
// as a DIB with its AND mask. Empty, with why set, when there is nothing to write.
QByteArray writeIco(std::vector<PreparedImage> images, QString* why = nullptr);

// A PNG file of the picture; empty when there is none or it cannot be encoded.
QByteArray pngBytes(const QImage& image);

// Both steps.
QByteArray makeIco(const std::vector<IconPicture>& pictures, const IcoOptions& options, QString* why = nullptr);

} // namespace zor::iconsource
