// PNG images inside icon groups (Vista and later store the 256 px image this way).
// Decoded by Qt's PNG reader; the header is checked first so a hostile size costs nothing,
// and the reader is handed only the chunks that make the picture: text (zTXt, iTXt) and
// colour profiles (iCCP) inflate without a bound of their own.

#include "Decoders.h"

#include <QBuffer>
#include <QImageReader>

#include <array>
#include <vector>

#include <zlib.h>

namespace zor::iconsource {

namespace {

constexpr qint64 kIhdrBitDepthAt = 24;
constexpr qint64 kIhdrColourTypeAt = 25;
// Each chunk: its length, its type, the data, a CRC.
constexpr qint64 kChunkOverhead = 12;

// Colour profiles are left out with the text: the pixels are the same without them.
bool makesThePicture(QByteArrayView type)
{
    for (const char* kind : {"IHDR", "PLTE", "tRNS", "gAMA", "cHRM", "sRGB", "IDAT", "IEND"})
        if (type == QByteArrayView(kind, 4))
            return true;
    return false;
}

// The most pixel data an image of the header's size holds once inflated: its rows with their
// filter bytes (Adam7's seven passes have fewer than twice the rows, each with a filter byte
// and a part-filled byte), and a little more, as some encoders leave.
qint64 maxPixelBytes(const QtByteReader& png, QSize size)
{
    const int channels[] = {1, 0, 3, 1, 2, 0, 4};   // by colour type
    const quint8 type = png.u8(kIhdrColourTypeAt).value_or(6);
    const qint64 bits = qint64(type < 7 && channels[type] ? channels[type] : 4) * png.u8(kIhdrBitDepthAt).value_or(16);
    const qint64 rowBytes = (size.width() * bits + 7) / 8;
    return size.height() * rowBytes + (2 * qint64(size.height()) + 14) * 2 + 1024;
}

// Whether the pixel data, inflated, stays within limit bytes: inflated into a scratch buffer
// and thrown away, stopping as soon as it passes. A stream that is damaged or cut short is
// left to the decoder to refuse.
bool pixelDataFits(const std::vector<QByteArrayView>& parts, qint64 limit)
{
    z_stream z {};
    if (inflateInit(&z) != Z_OK)
        return false;
    std::array<Bytef, 16384> scratch;
    qint64 inflated = 0;
    int result = Z_OK;
    for (auto part = parts.begin(); part != parts.end() && result == Z_OK; ++part) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(part->data()));
        z.avail_in = uInt(part->size());
        while (z.avail_in > 0 && result == Z_OK && inflated <= limit) {
            z.next_out = scratch.data();
            z.avail_out = uInt(scratch.size());
            result = inflate(&z, Z_NO_FLUSH);
            inflated += qint64(scratch.size() - z.avail_out);
        }
    }
    inflateEnd(&z);
    return inflated <= limit;
}

// The signature and the chunks that make the picture, up to IEND; a chunk that runs past the
// end of the data ends them. Nothing when the pixel data inflates to more than the picture
// holds: the decoder would inflate all of it, up to a thousand times its size.
QByteArray pictureChunks(QByteArrayView data, QSize size)
{
    const QtByteReader png(data);
    QByteArray out(kPngSignature.data(), qsizetype(kPngSignature.size()));
    std::vector<QByteArrayView> pixels;
    for (qint64 at = qint64(kPngSignature.size()); png.has(at, kChunkOverhead);) {
        const qint64 length = *png.u32BigEndian(at);
        if (length > 0x7fffffff || !png.has(at, kChunkOverhead + length))
            break;
        const QByteArrayView type = png.slice(at + 4, 4);
        if (type == QByteArrayView("IDAT"))
            pixels.push_back(data.sliced(at + 8, length));
        if (makesThePicture(type))
            out.append(data.sliced(at, kChunkOverhead + length));
        if (type == QByteArrayView("IEND"))
            break;
        at += kChunkOverhead + length;
    }
    return pixelDataFits(pixels, maxPixelBytes(png, size)) ? out : QByteArray();
}

} // namespace

QImage decodePng(QByteArrayView data)
{
    const auto stored = walk::pngSize(stdView(data));
    const std::optional<QSize> declared = stored ? std::optional(QSize(stored->width, stored->height)) : std::nullopt;
    if (!declared || declared->width() > kMaxDecodedSide || declared->height() > kMaxDecodedSide)
        return {};
    QByteArray bytes = pictureChunks(data, *declared);
    if (bytes.isEmpty())
        return {};
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);   // else every image plugin is loaded to be asked first
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
