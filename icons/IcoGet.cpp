#include "icons/IcoGet.h"
#include "platform/BundledPicture.h"

#include "platform/ImageList.h"
#include "platform/ListView.h"
#include "platform/iconsource/Opener.h"

#include <limits>

namespace zor::IcoGet {

namespace {

// A missing picture is the placeholder, so that image k stays icon k.
QImage orBroken(const QImage& picture, QSize size)
{
    return picture.isNull() ? BrokenIcon(size.width()).toImage().scaled(size) : picture;
}

// The icons of one file: picture i is its group i.
class FilePictures : public PictureSource {
public:
    explicit FilePictures(iconsource::IconFile file) : m_file(std::move(file)) {}
    QImage picture(int i, QSize size) const override { return orBroken(m_file.image(i, size), size); }

private:
    iconsource::IconFile m_file;
};

// The first icon of each file of a folder. A file is opened when its picture is first
// wanted; the last ones opened are kept for the other size.
class FolderPictures : public PictureSource {
public:
    explicit FolderPictures(std::vector<StoredPath> files) : m_files(std::move(files)) {}
    QImage picture(int i, QSize size) const override
    {
        const iconsource::IconFile* file = nullptr;
        for (const auto& [index, open] : m_open)
            if (index == i)
                file = &open;
        if (!file) {
            auto opened = iconsource::openIconFile(m_files.at(size_t(i)));
            m_open[m_next] = {i, opened ? std::move(*opened) : iconsource::IconFile::fromData({})};
            file = &m_open[m_next].second;
            m_next = (m_next + 1) % m_open.size();
        }
        return orBroken(file->image(0, size), size);
    }

private:
    std::vector<StoredPath> m_files;
    mutable std::array<std::pair<int, iconsource::IconFile>, 4> m_open{
        {{-1, iconsource::IconFile::fromData({})}, {-1, iconsource::IconFile::fromData({})},
         {-1, iconsource::IconFile::fromData({})}, {-1, iconsource::IconFile::fromData({})}}};
    mutable size_t m_next = 0;
};

} // namespace

QPixmap IconToPicture(const QImage& icon)
{
    if (icon.isNull())
        return {};
    return QPixmap::fromImage(icon);
}

QPixmap BrokenIcon(int size)
{
    static const QPixmap large = bundledPicture(QStringLiteral(":/art/broken32.png"));
    static const QPixmap small = bundledPicture(QStringLiteral(":/art/broken16.png"));
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
        // The pictures are made as they are drawn; image k is group k - 1.
        const auto pictures = std::make_shared<FilePictures>(*file);
        large.setSource(pictures, n);
        small.setSource(pictures, n);

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

void AddFirstIcons(const std::vector<StoredPath>& files, ImageList& large, ImageList& small)
{
    const auto pictures = std::make_shared<FolderPictures>(files);
    large.setSource(pictures, int(files.size()));
    small.setSource(pictures, int(files.size()));
}

} // namespace zor::IcoGet
