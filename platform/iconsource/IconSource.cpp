// The pictures of an icon source's icons: decoded on demand, fitted to the size asked for.

#include "Decoders.h"

#include <cstring>
#include <deque>
#include <optional>

namespace zor::iconsource {

struct IconFile::Pictures {
    struct Made {
        const char* data;
        qsizetype size;
        QSize wanted;   // invalid for the image at its own size
        QImage image;
    };
    std::deque<Made> made;
};

QImage fitImage(const QImage& image, QSize size)
{
    if (image.isNull() || size.isEmpty())
        return {};
    if (image.size() == size)
        return image;
    const QSize inside = image.size().scaled(size, Qt::KeepAspectRatio).expandedTo({1, 1});
    const int factor = inside.width() / image.width();
    const bool replicate = factor >= 2 && inside == image.size() * factor;
    // Smooth scaling in premultiplied colour, so transparent pixels lend no colour to their neighbours.
    QImage scaled = replicate
        ? image.scaled(inside, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        : image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
              .scaled(inside, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (inside == size || scaled.isNull())
        return scaled;
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::transparent);
    const int left = (size.width() - inside.width()) / 2, top = (size.height() - inside.height()) / 2;
    for (int y = 0; y < inside.height(); ++y)
        std::memcpy(canvas.scanLine(top + y) + left * 4, scaled.constScanLine(y), size_t(inside.width()) * 4);
    return canvas;
}

QImage decodeEntry(const GroupEntry& entry)
{
    if (entry.data.isEmpty())
        return {};
    return isPngEntry(entry) ? decodePng(entry.data) : decodeDib(entry.data);
}

QImage IconFile::picture(const GroupEntry& entry, QSize wanted) const
{
    // Remembered under the wanted size, and the decoded original under an invalid size.
    constexpr size_t kRemembered = 16;
    if (!m_pictures)
        m_pictures = std::make_shared<Pictures>();
    std::deque<Pictures::Made>& made = m_pictures->made;
    auto recall = [&](QSize size) -> std::optional<QImage> {
        for (const Pictures::Made& m : made)
            if (m.data == entry.data.data() && m.size == entry.data.size() && m.wanted == size)
                return m.image;
        return std::nullopt;
    };
    auto remember = [&](QSize size, const QImage& image) {
        made.push_front({entry.data.data(), entry.data.size(), size, image});
        if (made.size() > kRemembered)
            made.pop_back();
    };
    if (auto image = recall(wanted))
        return *image;
    QImage original;
    if (auto image = recall(QSize())) {
        original = *image;
    } else {
        const QSize own = entrySize(entry);
        const bool oversize = own.width() > 256 || own.height() > 256;
        if (!oversize || m_oversizeDecoded++ < kMaxOversizeDecodes)
            original = decodeEntry(entry);
        remember(QSize(), original);
    }
    QImage image = fitImage(original, wanted);
    if (image.size() != original.size())   // an exact-size image is already remembered
        remember(wanted, image);
    return image;
}

IconPair IconFile::extract(int index, QSize large, QSize small) const
{
    const auto list = entries(index);
    const int li = chooseEntry(list, large);
    const int si = chooseEntry(list, small);
    if (li < 0)
        return {};
    return {picture(list[size_t(li)], large), picture(list[size_t(si)], small)};
}

QImage IconFile::image(int index, QSize size) const
{
    const auto list = entries(index);
    const int i = chooseEntry(list, size);
    return i < 0 ? QImage() : picture(list[size_t(i)], size);
}

QImage thumbnailImage(const IconFile& file, int size)
{
    if (file.count() == 0 || size < 1 || size > kMaxThumbnailSide)
        return {};
    int side = size;
    if (size > kMaxThumbnailEnlarged) {
        int largest = 0;
        for (const GroupEntry& e : file.entries(0)) {
            const QSize own = entrySize(e);
            if (!e.data.isEmpty() && own.width() <= kMaxDecodedSide && own.height() <= kMaxDecodedSide)
                largest = qMax(largest, qMax(own.width(), own.height()));
        }
        side = qBound(1, largest, size);
    }
    return file.image(0, {side, side});
}

} // namespace zor::iconsource
