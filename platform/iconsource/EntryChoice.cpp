// Which image of a group serves a picture of a given size.

#include "Formats.h"

#include <cstdlib>
#include <tuple>

namespace zor::iconsource {

bool isPngEntry(const GroupEntry& entry)
{
    return isPng(entry.data);
}

QSize entrySize(const GroupEntry& e)
{
    if (const auto size = pngSize(e.data))
        return *size;
    if (const auto header = BITMAPINFOHEADER::read(ByteReader(e.data));
        header && header->biSize >= BITMAPINFOHEADER::size && header->biWidth > 0 && header->biHeight / 2 > 0)
        return QSize(header->biWidth, header->biHeight / 2);   // colour rows and mask rows
    return QSize(e.width, e.height);
}

int entryDepth(const GroupEntry& e)
{
    // Planes times bits, kept small: hostile fields may hold anything up to 65535 each.
    auto product = [](int bits, int planes) { return int(qMin<qint64>(qint64(bits) * qMax(planes, 1), 1 << 16)); };
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

int chooseEntry(const std::vector<GroupEntry>& entries, QSize wanted)
{
    // Smaller keys are better: an image that can be decoded, the exact square, the most of
    // the square filled, shrinking before enlarging, the nearest size, the depth nearest 32.
    auto keyOf = [&](const GroupEntry& e) {
        const QSize size = entrySize(e);
        const bool tooLarge = size.width() > kMaxDecodedSide || size.height() > kMaxDecodedSide;
        const QSize inside = size.scaled(wanted, Qt::KeepAspectRatio);
        const qint64 uncovered = qint64(wanted.width()) * wanted.height() - qint64(inside.width()) * inside.height();
        const bool enlarges = inside.width() > size.width();
        const qint64 area = qint64(size.width()) * size.height();
        return std::tuple(tooLarge, size != wanted, uncovered, enlarges, enlarges ? -area : area,
                          std::abs(entryDepth(e) - 32));
    };
    int best = -1;
    decltype(keyOf(GroupEntry())) bestKey;
    for (int i = 0; i < int(entries.size()); ++i) {
        const auto key = keyOf(entries[size_t(i)]);
        if (best < 0 || key < bestKey) {
            best = i;
            bestKey = key;
        }
    }
    return best;
}

} // namespace zor::iconsource
