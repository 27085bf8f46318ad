// DIB images as icons store them: BITMAPINFOHEADER, palette, colour rows, then the AND
// mask rows, both bottom-up. Qt's ICO plugin drops the AND mask of 8- and 24-bit images
// and refuses 16-bit ones, so the pixels are read here.

#include "Decoders.h"

#include <QList>

#include <bit>

namespace zor::iconsource {

namespace {

// biCompression values an icon may use.
constexpr quint32 BI_RGB = 0;
constexpr quint32 BI_BITFIELDS = 3;

// RGBQUAD, a palette entry: rgbBlue, rgbGreen, rgbRed, rgbReserved.
constexpr qint64 kRgbQuadSize = 4;
// The red, green and blue masks of BI_BITFIELDS, 32 bits each.
constexpr qint64 kBitfieldMasksSize = 12;
// Where BITMAPV4HEADER and later keep the red, green and blue masks.
constexpr qint64 kV4MasksAt = 40;

// Scales a masked channel to 0..255.
int channel(quint32 value, quint32 mask)
{
    const int shift = std::countr_zero(mask);
    const quint32 max = mask >> shift;
    return max ? int(((value & mask) >> shift) * 255 / max) : 0;
}

} // namespace

QImage decodeDib(QByteArrayView bytes)
{
    const QtByteReader data(bytes);
    const auto header = BITMAPINFOHEADER::read(ByteReader(stdView(bytes)));
    if (!header || header->biSize < BITMAPINFOHEADER::size)
        return {};
    const qint32 w = header->biWidth;
    const qint32 h = header->biHeight / 2;   // XOR rows and AND rows
    if (w <= 0 || h <= 0 || w > kMaxDecodedSide || h > kMaxDecodedSide)
        return {};
    const int depth = header->biBitCount;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return {};
    const bool bitfields = header->biCompression == BI_BITFIELDS && (depth == 16 || depth == 32);
    if (header->biCompression != BI_RGB && !bitfields)
        return {};

    qint64 at = header->biSize;
    QList<QRgb> palette;
    if (depth <= 8) {
        const quint32 maxColors = 1u << depth;
        const quint32 used = header->biClrUsed;
        const quint32 n = (used == 0 || used > maxColors) ? maxColors : used;
        const QByteArrayView table = data.slice(at, qint64(n) * kRgbQuadSize);
        if (table.isEmpty())
            return {};
        palette.resize(maxColors, qRgb(0, 0, 0));
        for (quint32 i = 0; i < n; ++i)
            palette[i] = qRgb(quint8(table[i * kRgbQuadSize + 2]), quint8(table[i * kRgbQuadSize + 1]),
                              quint8(table[i * kRgbQuadSize]));
        at += qint64(n) * kRgbQuadSize;
    }
    quint32 masks[3] = {0x7c00, 0x03e0, 0x001f};   // 5-5-5, what a 16-bit BI_RGB image holds
    if (bitfields) {
        // A plain BITMAPINFOHEADER is followed by the three masks; later headers hold them.
        const bool plain = header->biSize == BITMAPINFOHEADER::size;
        for (int i = 0; i < 3; ++i) {
            const auto m = data.u32((plain ? at : kV4MasksAt) + i * 4);
            if (!m || *m == 0)
                return {};
            masks[i] = *m;
        }
        if (plain)
            at += kBitfieldMasksSize;
    } else if (depth == 32) {
        masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff;
    }

    const qint64 xorStride = (qint64(w) * depth + 31) / 32 * 4;
    const qint64 andStride = (qint64(w) + 31) / 32 * 4;
    const QByteArrayView xorRows = data.slice(at, xorStride * h);
    if (xorRows.isEmpty())
        return {};
    const QByteArrayView andRows = data.slice(at + xorStride * h, andStride * h);   // may be missing

    QImage image(w, h, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
        const uchar* row = reinterpret_cast<const uchar*>(xorRows.data()) + (h - 1 - y) * xorStride;
        QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            switch (depth) {
            case 1: out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: out[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xf]; break;
            case 8: out[x] = palette[row[x]]; break;
            case 16: {
                const quint32 v = qFromLittleEndian<quint16>(row + x * 2);
                out[x] = qRgb(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
                break;
            }
            case 24: out[x] = qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]); break;
            case 32: {
                const quint32 v = qFromLittleEndian<quint32>(row + x * 4);
                const int alpha = row[x * 4 + 3];
                anyAlpha = anyAlpha || alpha != 0;
                out[x] = bitfields ? qRgba(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]), alpha)
                                   : qRgba(row[x * 4 + 2], row[x * 4 + 1], row[x * 4], alpha);
                break;
            }
            }
        }
    }
    // A 32-bit image with an alpha channel ignores its mask; every other one uses it.
    if (depth == 32 && anyAlpha)
        return image;
    for (int y = 0; y < h; ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uchar* mask = andRows.isEmpty() ? nullptr
                                              : reinterpret_cast<const uchar*>(andRows.data()) + (h - 1 - y) * andStride;
        for (int x = 0; x < w; ++x) {
            const bool transparent = mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
            out[x] = transparent ? 0 : (out[x] | 0xff000000u);
        }
    }
    return image;
}

} // namespace zor::iconsource
