#include "icons/IcoGet.h"

#include "platform/FileList.h"
#include "platform/ImageList.h"
#include "platform/ListView.h"
#include "platform/iconsource/IconSource.h"

#include <limits>

namespace zor::IcoGet {

namespace {
// Both pictures of one icon; a missing one is the placeholder, so image k stays icon k.
void addPictures(const iconsource::IconPair& icon, ImageList& large, ImageList& small)
{
    const QPixmap l = IconToPicture(icon.large);
    const QPixmap s = IconToPicture(icon.small);
    large.add(l.isNull() ? BrokenIcon(large.imageSize().width()) : l);
    small.add(s.isNull() ? BrokenIcon(small.imageSize().width()) : s);
}
} // namespace

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
        // The count is a 16-bit number; a larger file cannot be listed.
        if (n < 1 || n > std::numeric_limits<qint16>::max())
            return false;

        large.reserve(n);
        small.reserve(n);
        for (int j = 0; j < n; ++j)
            addPictures(file.extract(j, large.imageSize(), small.imageSize()), large, small);

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

void AddFirstIcon(const QByteArray& path, ImageList& large, ImageList& small)
{
    // Regular files only, read whole up to the reader's own bound.
    constexpr qint64 MaxFileBytes = 256 * 1024 * 1024;
    iconsource::IconPair icon;
    const auto file = iconsource::IconFile::fromData(ReadFileBytes(path, MaxFileBytes));
    if (file.count() > 0)
        icon = file.extract(0, large.imageSize(), small.imageSize());
    addPictures(icon, large, small);
}

} // namespace zor::IcoGet
