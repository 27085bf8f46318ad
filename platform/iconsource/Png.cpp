// PNG images inside icon groups (Vista and later store the 256 px image this way).
// Decoded by Qt's PNG reader; the header is checked first so a hostile size costs nothing.

#include "Formats.h"

#include <QBuffer>
#include <QImageReader>

namespace zor::iconsource {

namespace {

constexpr QByteArrayView kPngSignature("\x89PNG\r\n\x1a\n", 8);
// The signature, then the IHDR chunk: its length, its type, width and height (big-endian).
constexpr qint64 kIhdrTypeAt = 12;
constexpr qint64 kIhdrWidthAt = 16;
constexpr qint64 kIhdrHeightAt = 20;

} // namespace

bool isPng(QByteArrayView data)
{
    return data.startsWith(kPngSignature);
}

std::optional<QSize> pngSize(QByteArrayView data)
{
    const ByteReader png(data);
    const auto width = png.u32BigEndian(kIhdrWidthAt), height = png.u32BigEndian(kIhdrHeightAt);
    if (!isPng(data) || png.slice(kIhdrTypeAt, 4) != QByteArrayView("IHDR") || !width || !height
        || *width == 0 || *height == 0 || *width > 0x7fffffffu || *height > 0x7fffffffu)
        return std::nullopt;
    return QSize(int(*width), int(*height));
}

QImage decodePng(QByteArrayView data)
{
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(16);   // MB; the side check below keeps us under it (16 bits a channel)
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxDecodedSide || size.height() > kMaxDecodedSide)
        return {};
    // Palette and grey images come as indexed or mono images, which smooth scaling turns
    // into noise: true colour from here on, like the DIBs.
    const QImage image = reader.read();
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace zor::iconsource
