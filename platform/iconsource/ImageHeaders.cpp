// What the directories need of a stored image: its size and depth, from its header alone.

#include "Formats.h"

namespace zor::iconsource {

std::optional<BITMAPINFOHEADER> BITMAPINFOHEADER::read(const ByteReader& r, int64_t at)
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

namespace walk {

bool isPng(Bytes data)
{
    return data.starts_with(kPngSignature);
}

std::optional<Size> pngSize(Bytes data)
{
    const ByteReader png(data);
    const auto width = png.u32BigEndian(kIhdrWidthAt), height = png.u32BigEndian(kIhdrHeightAt);
    if (!isPng(data) || png.slice(kIhdrTypeAt, 4) != Bytes("IHDR") || !width || !height || *width == 0
        || *height == 0 || *width > 0x7fffffffu || *height > 0x7fffffffu)
        return std::nullopt;
    return Size{int(*width), int(*height)};
}

Size entrySize(const Entry& e)
{
    if (const auto size = pngSize(e.data))
        return *size;
    if (const auto header = BITMAPINFOHEADER::read(ByteReader(e.data));
        header && header->biSize >= BITMAPINFOHEADER::size && header->biWidth > 0 && header->biHeight / 2 > 0)
        return {header->biWidth, header->biHeight / 2};   // colour rows and mask rows
    return {e.width, e.height};
}

int entryDepth(const Entry& e)
{
    // Planes times bits, kept small: hostile fields may hold anything up to 65535 each.
    auto product = [](int bits, int planes) { return int(std::min<int64_t>(int64_t(bits) * std::max(planes, 1), 1 << 16)); };
    if (isPng(e.data))
        return 32;
    if (const auto header = BITMAPINFOHEADER::read(ByteReader(e.data));
        header && header->biSize >= BITMAPINFOHEADER::size && header->biBitCount > 0)
        return product(header->biBitCount, header->biPlanes);
    if (e.bitCount > 0)
        return product(e.bitCount, e.planes);
    int depth = 0;
    for (int colors = e.colorCount; colors > 1; colors >>= 1)
        ++depth;
    return depth;
}

} // namespace walk

} // namespace zor::iconsource
