#include "ReadEverything.h"

#include "IconSource.h"

#include <set>
#include <utility>

namespace zor::iconsource {

namespace {

// Enough groups to reach every kind of damage; a hostile file may claim a hundred thousand.
constexpr int kGroupsRead = 16;

} // namespace

QString readEverything(const QByteArray& bytes)
{
    const IconFile file = IconFile::fromData(bytes);
    const int n = file.count();
    if (n < 0)
        return QStringLiteral("negative count %1").arg(n);
    for (int k = 0; k < n; ++k)
        if (const GroupName name = file.groupName(k); name.name.size() > 0xffff)
            return QStringLiteral("a group name of %1 characters").arg(name.name.size());
    if ((n == 0) != (file.whyEmpty().kind != EmptyReason::None && file.whyEmpty().kind != EmptyReason::ImagesRefused))
        return QStringLiteral("%1 icons, and as the reason for none: %2").arg(n).arg(file.whyEmpty().text());
    std::set<std::pair<quintptr, qsizetype>> decoded;
    for (int k = 0; k < n; ++k) {
        const auto entries = file.entries(k);
        if (entries.size() > 256)
            return QStringLiteral("group %1 has %2 entries").arg(k).arg(entries.size());
        for (const GroupEntry& e : entries)
            if (e.width < 1 || e.width > 256 || e.height < 1 || e.height > 256)
                return QStringLiteral("group %1 has an entry of %2 x %3").arg(k).arg(e.width).arg(e.height);
        if (k >= kGroupsRead && k != n - 1)
            continue;

        for (const GroupEntry& e : entries) {
            if (!decoded.insert({quintptr(e.data.data()), e.data.size()}).second)
                continue;
            const QImage image = decodeEntry(e);
            if (!image.isNull() && (image.width() > kMaxDecodedSide || image.height() > kMaxDecodedSide))
                return QStringLiteral("group %1 decodes to %2 x %3").arg(k).arg(image.width()).arg(image.height());
        }
        const IconPair pair = file.extract(k);
        if (!pair.large.isNull() && pair.large.size() != QSize(32, 32))
            return QStringLiteral("icon %1 large is not 32 x 32").arg(k);
        if (!pair.small.isNull() && pair.small.size() != QSize(16, 16))
            return QStringLiteral("icon %1 small is not 16 x 16").arg(k);
        for (int side : {1, 24, 48}) {
            const QImage image = file.image(k, {side, side});
            if (!image.isNull() && image.size() != QSize(side, side))
                return QStringLiteral("icon %1 at %2 px is %3 x %4").arg(k).arg(side).arg(image.width()).arg(image.height());
        }
        const QByteArray ico = file.groupAsIco(k);
        if (!ico.isEmpty()) {
            const IconFile again = IconFile::fromData(ico);
            if (again.count() != 1 || again.entries(0).size() != entries.size())
                return QStringLiteral("icon %1 as .ico does not read back").arg(k);
        }
    }
    return {};
}

} // namespace zor::iconsource
