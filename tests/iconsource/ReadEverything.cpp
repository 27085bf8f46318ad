#include "ReadEverything.h"

#include "IconSource.h"
#include "Opener.h"

#include <algorithm>
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
    // The thumbnailer: exactly the size asked up to 256, above it never larger than asked.
    for (int side : {kMaxThumbnailEnlarged, kMaxThumbnailSide}) {
        const QImage thumbnail = thumbnailImage(file, side);
        if (!thumbnail.isNull() && (thumbnail.width() != thumbnail.height() || thumbnail.width() > side
                                    || (side <= kMaxThumbnailEnlarged && thumbnail.width() != side)))
            return QStringLiteral("the %1 px thumbnail is %2 x %3").arg(side).arg(thumbnail.width()).arg(thumbnail.height());
    }
    // The search, which reads only the head of an icon file: as many bytes as it would.
    const qint64 headBytes = directoryBytes(QByteArrayView(bytes).first(std::min<qint64>(bytes.size(), kHeadBytes)), bytes.size());
    if (headBytes < 0 || headBytes > bytes.size())
        return QStringLiteral("the search reads %1 of %2 bytes").arg(headBytes).arg(bytes.size());
    const IconFile head = IconFile::fromData(bytes.first(headBytes));
    if (head.count() != n)
        return QStringLiteral("%1 icons from the head, %2 from the whole file").arg(head.count()).arg(n);
    for (int k = 0; k < head.count(); ++k)
        for (const GroupEntry& e : head.entries(k))
            if (e.width < 1 || e.width > 256 || e.height < 1 || e.height > 256)
                return QStringLiteral("the head's group %1 has an entry of %2 x %3").arg(k).arg(e.width).arg(e.height);
    return {};
}

} // namespace zor::iconsource
