#include "icons/IcoGet.h"

#include "platform/ImageList.h"
#include "platform/ListView.h"
#include "platform/iconsource/Opener.h"

#include <limits>

namespace zor::IcoGet {

namespace {
// One picture of the icon for the list; a missing one is the placeholder, so image k
// stays icon k. A screen with more device pixels gets the group's larger entries too.
void addPicture(const iconsource::IconFile& file, int index, const QImage& picture, ImageList& list)
{
    const QPixmap p = IconToPicture(picture);
    if (p.isNull()) {
        list.add(BrokenIcon(list.imageSize().width()));
        return;
    }
    const QSize sharp = (QSizeF(list.imageSize()) * list.pixelRatio()).toSize();
    list.add(p, sharp == list.imageSize() ? QImage() : file.image(index, sharp));
}

// Both pictures of one icon, or placeholders when the file has no such icon.
void addPictures(const iconsource::IconFile& file, int index, ImageList& large, ImageList& small)
{
    iconsource::IconPair icon;
    if (index < file.count())
        icon = file.extract(index, large.imageSize(), small.imageSize());
    addPicture(file, index, icon.large, large);
    addPicture(file, index, icon.small, small);
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

bool LoadIconsOfFile(const StoredPath& path, ImageList& large, ImageList& small, ListView& list)
{
    try {
        const auto file = iconsource::openIconFile(path);
        // The count is a 16-bit number: a file with more groups lists as many as it can hold.
        const int n = file ? std::min(file->count(), int(std::numeric_limits<qint16>::max())) : 0;
        if (n < 1)
            return false;
        large.reserve(n);
        small.reserve(n);
        for (int j = 0; j < n; ++j)
            addPictures(*file, j, large, small);

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

void AddFirstIcon(const StoredPath& path, ImageList& large, ImageList& small)
{
    const auto file = iconsource::openIconFile(path);
    addPictures(file ? *file : iconsource::IconFile::fromData({}), 0, large, small);
}

} // namespace zor::IcoGet
