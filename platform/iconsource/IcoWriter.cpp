// Icon files made from pictures. A DIB image is a BITMAPINFOHEADER of twice the height,
// a palette below 16 bits, the colour rows and then the AND-mask rows, both bottom-up;
// a PNG image is a whole PNG file; the ICONDIR in front points at them.

#include "IcoWriter.h"

#include "IconSource.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>

#include <algorithm>

namespace zor::iconsource {

namespace {

constexpr int kPngSide = 256;   // stored as PNG whatever the options say
constexpr qsizetype kIconDirSize = 6;
constexpr qsizetype kIconDirEntrySize = 16;
constexpr qsizetype kInfoHeaderSize = 40;
// Pixels at least this opaque are kept on a palette; the others are masked out.
constexpr int kOpaqueAlpha = 128;

// The 16 colours of the VGA palette in Windows' order, which 4-bit icons were drawn for.
const QList<QRgb>& vgaPalette()
{
    static const QList<QRgb> colours = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return colours;
}

void setWhy(QString* why, const QString& text)
{
    if (why)
        *why = text;
}

// A copy that carries nothing but its pixels (no text keys or resolution to end up in a PNG).
QImage plainCopy(const QImage& image)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(source.size(), QImage::Format_ARGB32);
    if (out.isNull() || source.isNull())
        return {};
    for (int y = 0; y < source.height(); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(source.constScanLine(y)), source.width(),
                    reinterpret_cast<QRgb*>(out.scanLine(y)));
    return out;
}

// 32 bits: fully transparent pixels hold no colour.
QImage withClearTransparency(QImage image)
{
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) == 0)
                row[x] = 0;
    }
    return image;
}

// 8 and 4 bits: opaque pixels on the palette (the picture's own colours when it has few
// enough, else the nearest of Qt's), the rest clear.
QImage onPalette(const QImage& image, int depth)
{
    QImage opaque(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(opaque.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out[x] = qAlpha(in[x]) >= kOpaqueAlpha ? (in[x] | 0xff000000u) : qRgb(0, 0, 0);
    }
    // Nearest colours rather than dithering: dots of noise spoil a 16-pixel picture.
    const auto flags = Qt::ThresholdDither | Qt::AvoidDither;
    const QImage indexed = depth == 4 ? opaque.convertToFormat(QImage::Format_Indexed8, vgaPalette(), flags)
                                      : opaque.convertToFormat(QImage::Format_Indexed8, flags);
    QImage result = plainCopy(indexed);
    for (int y = 0; y < result.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (qAlpha(in[x]) < kOpaqueAlpha)
                out[x] = 0;
    }
    return result;
}

void put16(QByteArray& b, qsizetype at, quint16 v) { qToLittleEndian(v, b.data() + at); }
void put32(QByteArray& b, qsizetype at, quint32 v) { qToLittleEndian(v, b.data() + at); }

bool opaque(QRgb pixel, int depth) { return depth == 32 ? qAlpha(pixel) > 0 : qAlpha(pixel) >= kOpaqueAlpha; }

// The palette of an image to be stored at depth bits: the VGA colours for 4 bits when they
// serve, else its colours in the order met (black for the masked pixels among them).
// Empty when the image has more colours than the depth holds.
QList<QRgb> paletteOf(const QImage& image, int depth)
{
    QList<QRgb> colours;
    QHash<QRgb, int> seen;
    const qsizetype most = qsizetype(1) << depth;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = opaque(row[x], depth) ? (row[x] | 0xff000000u) : qRgb(0, 0, 0);
            if (seen.contains(c))
                continue;
            if (colours.size() == most)
                return {};
            seen.insert(c, int(colours.size()));
            colours.append(c);
        }
    }
    if (depth == 4 && std::all_of(colours.begin(), colours.end(), [](QRgb c) { return vgaPalette().contains(c); }))
        return vgaPalette();
    while (colours.size() < most)
        colours.append(qRgb(0, 0, 0));
    return colours;
}

// The image as a DIB with its AND mask; empty when its colours do not fit the depth.
QByteArray dibOf(const QImage& image, int depth)
{
    const int w = image.width(), h = image.height();
    const qsizetype colourStride = (qsizetype(w) * depth + 31) / 32 * 4;
    const qsizetype maskStride = (qsizetype(w) + 31) / 32 * 4;
    QList<QRgb> palette;
    QHash<QRgb, int> index;
    if (depth <= 8) {
        palette = paletteOf(image, depth);
        if (palette.isEmpty())
            return {};
        for (int i = int(palette.size()) - 1; i >= 0; --i)   // the first of a repeated colour wins
            index.insert(palette[i], i);
    }
    const qsizetype paletteBytes = palette.size() * 4;
    const qsizetype bits = colourStride * h + maskStride * h;
    QByteArray out(kInfoHeaderSize + paletteBytes + bits, '\0');
    put32(out, 0, quint32(kInfoHeaderSize));
    put32(out, 4, quint32(w));
    put32(out, 8, quint32(2 * h));   // the colour rows and the mask rows
    put16(out, 12, 1);
    put16(out, 14, quint16(depth));
    put32(out, 20, quint32(bits));
    uchar* p = reinterpret_cast<uchar*>(out.data()) + kInfoHeaderSize;
    for (QRgb c : palette) {
        *p++ = uchar(qBlue(c));
        *p++ = uchar(qGreen(c));
        *p++ = uchar(qRed(c));
        *p++ = 0;
    }
    uchar* colours = p;
    uchar* mask = p + colourStride * h;
    for (int y = 0; y < h; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(h - 1 - y));   // bottom-up
        uchar* c = colours + colourStride * y;
        uchar* m = mask + maskStride * y;
        for (int x = 0; x < w; ++x) {
            const bool shown = opaque(row[x], depth);
            if (!shown)
                m[x / 8] |= uchar(0x80 >> (x % 8));
            if (depth == 32) {
                const QRgb v = qAlpha(row[x]) ? row[x] : 0;
                c[x * 4] = uchar(qBlue(v));
                c[x * 4 + 1] = uchar(qGreen(v));
                c[x * 4 + 2] = uchar(qRed(v));
                c[x * 4 + 3] = uchar(qAlpha(v));
            } else {
                const int i = index.value(shown ? (row[x] | 0xff000000u) : qRgb(0, 0, 0));
                if (depth == 8)
                    c[x] = uchar(i);
                else
                    c[x / 2] |= uchar(x % 2 ? i : i << 4);
            }
        }
    }
    return out;
}

// Depths from the fewest bits, each from the largest size down.
void sortAsStored(std::vector<PreparedImage>& images)
{
    std::stable_sort(images.begin(), images.end(), [](const PreparedImage& a, const PreparedImage& b) {
        return a.depth != b.depth ? a.depth < b.depth : a.size > b.size;
    });
}

// The picture that serves a size, or -1; see prepareIcoImages.
int pictureFor(const std::vector<IconPicture>& pictures, int size, bool& enlarged)
{
    enlarged = false;
    int exact = -1, drawing = -1, larger = -1, smaller = -1;
    for (int i = 0; i < int(pictures.size()); ++i) {
        const IconPicture& p = pictures[size_t(i)];
        if (p.isNull())
            continue;
        if (p.isScalable()) {
            if (drawing < 0)
                drawing = i;
        } else if (p.side() == size) {
            if (exact < 0)
                exact = i;
        } else if (p.side() > size) {
            if (larger < 0 || p.side() < pictures[size_t(larger)].side())
                larger = i;
        } else if (smaller < 0 || p.side() > pictures[size_t(smaller)].side()) {
            smaller = i;
        }
    }
    for (int i : {exact, drawing, larger})
        if (i >= 0)
            return i;
    enlarged = smaller >= 0;
    return smaller;
}

} // namespace

IconPicture::IconPicture(const QImage& image)
{
    if (image.isNull() || image.size().isEmpty())
        return;
    if (qint64(image.width()) * image.height() > kMaxPicturePixels)
        return;
    m_image = image;
    m_size = image.size();
}

IconPicture IconPicture::fromData(const QByteArray& bytes, QString* why)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    if (format.isEmpty()) {
        setWhy(why, QStringLiteral("not a picture Qt can read (%1)").arg(reader.errorString()));
        return {};
    }
    const QSize size = reader.size();
    IconPicture picture;
    if (format == "svg" || format == "svgz") {
        if (!size.isValid()) {
            setWhy(why, QStringLiteral("the drawing cannot be read (%1)").arg(reader.errorString()));
            return {};
        }
        if (size.isEmpty()) {
            setWhy(why, QStringLiteral("the drawing has no size (%1 x %2)").arg(size.width()).arg(size.height()));
            return {};
        }
        picture.m_drawing = bytes;
        picture.m_size = size;
        if (picture.render(16).isNull()) {
            setWhy(why, QStringLiteral("the drawing cannot be rendered"));
            return {};
        }
        return picture;
    }
    if (size.isValid() && size.isEmpty()) {
        setWhy(why, QStringLiteral("holds no picture (%1 x %2)").arg(size.width()).arg(size.height()));
        return {};
    }
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels) {
        setWhy(why, QStringLiteral("%1 x %2 pixels is too large a picture (at most %3 pixels)")
                        .arg(size.width()).arg(size.height()).arg(kMaxPicturePixels));
        return {};
    }
    const QImage image = reader.read();   // of an animation, the first frame
    if (image.isNull()) {
        setWhy(why, QStringLiteral("the picture cannot be read (%1)").arg(reader.errorString()));
        return {};
    }
    picture = IconPicture(image);
    if (picture.isNull())
        setWhy(why, QStringLiteral("holds no picture it can use (%1 x %2)").arg(image.width()).arg(image.height()));
    return picture;
}

QImage IconPicture::render(int side) const
{
    if (isNull() || side <= 0)
        return {};
    if (!isScalable())
        return plainCopy(fitImage(m_image, {side, side}));
    QByteArray data = m_drawing;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize inside = m_size.scaled(side, side, Qt::KeepAspectRatio).expandedTo({1, 1});
    reader.setScaledSize(inside);
    const QImage drawn = reader.read();
    if (drawn.isNull())
        return {};
    return plainCopy(fitImage(drawn, {side, side}));
}

const std::vector<int>& icoSizes()
{
    static const std::vector<int> sizes = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};
    return sizes;
}

const std::vector<int>& defaultIcoSizes()
{
    static const std::vector<int> sizes = {16, 24, 32, 48, 256};
    return sizes;
}

std::vector<PreparedImage> prepareIcoImages(const std::vector<IconPicture>& pictures, const IcoOptions& options,
                                            QString* why)
{
    if (options.depth != 32 && options.depth != 8 && options.depth != 4) {
        setWhy(why, QStringLiteral("no depth of %1 bits (32, 8 or 4)").arg(options.depth));
        return {};
    }
    if (options.pngForAll && options.depth != 32) {
        setWhy(why, QStringLiteral("PNG images are 32-bit: PNG for every size goes with a depth of 32"));
        return {};
    }
    std::vector<int> sizes;
    for (int s : options.sizes) {
        if (std::find(icoSizes().begin(), icoSizes().end(), s) == icoSizes().end()) {
            setWhy(why, QStringLiteral("no icon size %1 (16, 20, 24, 32, 40, 48, 64, 96, 128 or 256)").arg(s));
            return {};
        }
        if (std::find(sizes.begin(), sizes.end(), s) == sizes.end())
            sizes.push_back(s);
    }
    if (sizes.empty()) {
        setWhy(why, QStringLiteral("no sizes chosen"));
        return {};
    }
    std::vector<PreparedImage> out;
    for (int size : sizes) {
        PreparedImage im;
        im.size = size;
        im.png = options.pngForAll || size == kPngSide;
        im.depth = im.png ? 32 : options.depth;
        im.source = pictureFor(pictures, size, im.enlarged);
        if (im.source < 0) {
            setWhy(why, QStringLiteral("no picture to make icons from"));
            return {};
        }
        const QImage drawn = pictures[size_t(im.source)].render(size);
        if (drawn.isNull()) {
            setWhy(why, QStringLiteral("picture %1 cannot be drawn at %2 x %2").arg(im.source + 1).arg(size));
            return {};
        }
        im.image = im.depth == 32 ? withClearTransparency(drawn) : onPalette(drawn, im.depth);
        out.push_back(std::move(im));
    }
    sortAsStored(out);
    return out;
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    if (image.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    return writer.write(image) ? bytes : QByteArray();
}

QByteArray writeIco(std::vector<PreparedImage> images, QString* why)
{
    if (images.empty() || images.size() > 0xffff) {
        setWhy(why, QStringLiteral("an icon file holds 1 to 65,535 images, not %1").arg(images.size()));
        return {};
    }
    sortAsStored(images);
    std::vector<QByteArray> data;
    for (const PreparedImage& im : images) {
        const QImage image = im.image.convertToFormat(QImage::Format_ARGB32);
        if (image.isNull() || image.width() != im.size || image.height() != im.size || im.size < 1
            || im.size > kPngSide) {
            setWhy(why, QStringLiteral("an image of %1 x %2 where %3 x %3 was meant")
                            .arg(im.image.width()).arg(im.image.height()).arg(im.size));
            return {};
        }
        if (im.depth != 32 && im.depth != 8 && im.depth != 4) {
            setWhy(why, QStringLiteral("no depth of %1 bits (32, 8 or 4)").arg(im.depth));
            return {};
        }
        if (im.png && im.depth != 32) {
            setWhy(why, QStringLiteral("PNG images are 32-bit"));
            return {};
        }
        data.push_back(im.png ? pngBytes(image) : dibOf(image, im.depth));
        if (data.back().isEmpty()) {
            setWhy(why, im.png ? QStringLiteral("the %1 x %1 image cannot be made a PNG").arg(im.size)
                               : QStringLiteral("the %1 x %1 image has more colours than %2 bits hold")
                                     .arg(im.size).arg(im.depth));
            return {};
        }
    }

    const qsizetype count = qsizetype(images.size());
    QByteArray out(kIconDirSize + count * kIconDirEntrySize, '\0');
    put16(out, 2, 1);   // an icon, not a cursor
    put16(out, 4, quint16(count));
    qint64 offset = out.size();
    for (qsizetype i = 0; i < count; ++i) {
        const PreparedImage& im = images[size_t(i)];
        const qsizetype at = kIconDirSize + i * kIconDirEntrySize;
        out[at] = char(im.size & 0xff);   // 256 is stored as 0
        out[at + 1] = char(im.size & 0xff);
        out[at + 2] = char(im.depth == 4 ? 16 : 0);
        put16(out, at + 4, 1);
        put16(out, at + 6, quint16(im.depth));
        put32(out, at + 8, quint32(data[size_t(i)].size()));
        put32(out, at + 12, quint32(offset));
        offset += data[size_t(i)].size();
    }
    out.reserve(qsizetype(offset));
    for (const QByteArray& d : data)
        out += d;
    return out;
}

QByteArray makeIco(const std::vector<IconPicture>& pictures, const IcoOptions& options, QString* why)
{
    const auto images = prepareIcoImages(pictures, options, why);
    return images.empty() ? QByteArray() : writeIco(images, why);
}

} // namespace zor::iconsource
