// Which image of a group serves a picture of a given size.

#include "IconFile.h"

#include <cstdlib>
#include <tuple>

namespace zor::iconsource {

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
