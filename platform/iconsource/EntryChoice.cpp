// Which image of a group serves a picture of a given size.

#include "Formats.h"

#include <cstdlib>

namespace zor::iconsource {

int depthOf(const GroupEntry& e)
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
    int best = -1;
    int bestDistance = 0, bestArea = 0, bestDepthGap = 0;
    for (int i = 0; i < int(entries.size()); ++i) {
        const GroupEntry& e = entries[size_t(i)];
        const int distance = std::abs(e.width - wanted.width()) + std::abs(e.height - wanted.height());
        const int area = e.width * e.height;
        const int depthGap = std::abs(depthOf(e) - 32);
        const bool better = best < 0 || distance < bestDistance
            || (distance == bestDistance && (area > bestArea
                || (area == bestArea && depthGap < bestDepthGap)));
        if (better) {
            best = i;
            bestDistance = distance;
            bestArea = area;
            bestDepthGap = depthGap;
        }
    }
    return best;
}

} // namespace zor::iconsource
