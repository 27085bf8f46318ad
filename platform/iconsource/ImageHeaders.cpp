// What the directories need of a stored image: its size and depth, from its header alone.

#include "Formats.h"

namespace zor::iconsource {

std::optional<BITMAPINFOHEADER> BITMAPINFOHEADER::read(const ByteReader& r, qint64 at)
{
    if (!r.has(at, size))
        return std::nullopt;
    BITMAPINFOHEADER h;
    h.biSize = *r.u32(at);
    h.biWidth = *r.i32(at + 4);
    h.biHeight = *r.i32(at + 8);
    h.biPlanes = *r.u16(at + 12);
    h.biBitCount = *r.u16(at + 14);
    h.biCompression = *r.u32(at + 16);
    h.biSizeImage = *r.u32(at + 20);
    h.biXPelsPerMeter = *r.i32(at + 24);
    h.biYPelsPerMeter = *r.i32(at + 28);
    h.biClrUsed = *r.u32(at + 32);
    h.biClrImportant = *r.u32(at + 36);
    return h;
}

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

} // namespace zor::iconsource
