#include "icons/IcoGet.h"

#include "platform/ImageList.h"
#include "platform/ListView.h"
#include "platform/Platform.h"
#include "platform/iconsource/IconSource.h"

#include <limits>

namespace zor::IcoGet {

qint16 CountIcons(const QString& path)
{
    const int n = iconsource::countIcons(path);
    // The count is a 16-bit number; a larger file cannot be listed.
    return n > std::numeric_limits<qint16>::max() ? qint16(-1) : qint16(n);
}

QPixmap IconToPicture(const QImage& icon)
{
    if (icon.isNull())
        return {};
    return QPixmap::fromImage(icon);
}

QPixmap BrokenIcon(int size)
{
    static const QPixmap large(QStringLiteral(":/art/broken32.png"));
    static const QPixmap small(QStringLiteral(":/art/broken16.png"));
    return size <= 16 ? small : large;
}

bool LoadIconsOfFile(const QString& path, ImageList& large, ImageList& small, ListView& list)
{
    try {
        const iconsource::IconFile file(path);
        const int n = file.count();
        if (n < 1 || n > std::numeric_limits<qint16>::max())
            return false;

        large.reserve(n);
        small.reserve(n);
        for (int j = 0; j < n; ++j) {
            const iconsource::IconPair icon = file.extract(j, large.imageSize(), small.imageSize());
            const QPixmap l = IconToPicture(icon.large);
            const QPixmap s = IconToPicture(icon.small);
            large.add(l.isNull() ? BrokenIcon(large.imageSize().width()) : l);
            small.add(s.isNull() ? BrokenIcon(small.imageSize().width()) : s);
        }

        // Image lists first, then every item in one batch: the view lays out once.
        list.setIcons(&large);
        list.setSmallIcons(&small);
        std::vector<ListItem> items;
        items.reserve(size_t(n));
        for (int i = 1; i <= n; ++i)
            items.push_back({QString::number(i - 1), i, i});
        list.addItems(std::move(items));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace zor::IcoGet
