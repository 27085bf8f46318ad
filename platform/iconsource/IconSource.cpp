// Opening an icon source, telling its format by content, and making pictures of its icons.

#include "Formats.h"

#include <QFileInfo>

#include <cstring>
#include <optional>

namespace zor::iconsource {

namespace {

// Files read whole when they cannot be mapped (pipes, some special files) stop here.
constexpr qint64 kMaxReadBytes = 256 * 1024 * 1024;
constexpr qint64 kReadWholeBytes = 256 * 1024;

// IMAGE_DOS_HEADER: e_magic "MZ" opens every program; e_lfanew gives the new header's offset.
constexpr QByteArrayView kDosSignature("MZ", 2);
constexpr qint64 e_lfanew = 0x3c;

void readExecutable(const ByteReader& file, Resources& out)
{
    if (!file.bytes().startsWith(kDosSignature))
        return;
    const auto header = file.u32(e_lfanew);
    if (!header)
        return;
    const QByteArrayView signature = file.slice(*header, 4);
    if (signature == QByteArrayView("PE\0\0", 4))
        readPeResources(file, *header, out);
    else if (signature.startsWith("NE"))
        readNeResources(file, *header, out);
}

} // namespace

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

IconFile::IconFile(const QString& path)
{
    // Only regular files: opening a FIFO would wait for a writer, a device may never end.
    if (!QFileInfo(path).isFile())
        return;
    auto parsed = std::make_shared<Parsed>();
    parsed->file = std::make_unique<QFile>(path);
    QFile& file = *parsed->file;
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Small files are read in one go: mapping and unmapping costs more than reading
    // them, which shows when a folder of thousands of icons is listed.
    uchar* mapped = file.size() > kReadWholeBytes ? file.map(0, file.size()) : nullptr;
    if (mapped) {
        parsed->all = ByteReader(QByteArrayView(mapped, file.size()));
    } else if (file.size() > 0 && file.size() <= kReadWholeBytes) {
        // Exactly the file's size: a larger buffer would be mapped and unmapped by malloc.
        parsed->bytes.resize(file.size());
        const qint64 got = file.read(parsed->bytes.data(), file.size());
        parsed->bytes.resize(std::max<qint64>(got, 0));
        parsed->all = ByteReader(parsed->bytes);
    } else {
        parsed->bytes = file.read(kMaxReadBytes);
        parsed->all = ByteReader(parsed->bytes);
    }
    d = parse(std::move(parsed));
}

IconFile IconFile::fromData(const QByteArray& bytes)
{
    IconFile f;
    auto parsed = std::make_shared<Parsed>();
    parsed->bytes = bytes;
    parsed->all = ByteReader(parsed->bytes);
    f.d = parse(std::move(parsed));
    return f;
}

std::shared_ptr<const IconFile::Parsed> IconFile::parse(std::shared_ptr<Parsed> parsed)
{
    if (!readIcoFile(parsed->all, parsed->resources))
        readExecutable(parsed->all, parsed->resources);
    return parsed;
}

int IconFile::count() const
{
    return d ? int(d->resources.groups.size()) : 0;
}

std::vector<GroupEntry> IconFile::entries(int index) const
{
    return d ? readGroup(d, index) : std::vector<GroupEntry>();
}

QImage decodeEntry(const GroupEntry& entry)
{
    if (entry.data.isEmpty())
        return {};
    return isPng(entry.data) ? decodePng(entry.data) : decodeDib(entry.data);
}

QImage IconFile::picture(const GroupEntry& entry, QSize wanted) const
{
    // Remembered under the wanted size, and the decoded original under an invalid size.
    constexpr size_t kRemembered = 16;
    auto recall = [&](QSize size) -> std::optional<QImage> {
        for (const Made& m : m_made)
            if (m.data == entry.data.data() && m.size == entry.data.size() && m.wanted == size)
                return m.image;
        return std::nullopt;
    };
    auto remember = [&](QSize size, const QImage& image) {
        m_made.push_front({entry.data.data(), entry.data.size(), size, image});
        if (m_made.size() > kRemembered)
            m_made.pop_back();
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

QByteArray IconFile::groupAsIco(int index) const
{
    return icoFromEntries(entries(index));
}

std::vector<GroupName> IconFile::names() const
{
    return d ? groupNames(d->all.bytes()) : std::vector<GroupName>();
}

int countIcons(const QString& path)
{
    return IconFile(path).count();
}

std::vector<IconPair> extractIcons(const QString& path, int first, int count, QSize large, QSize small)
{
    std::vector<IconPair> out;
    const IconFile file(path);
    if (count <= 0 || first < 0 || first >= file.count())
        return out;
    const int last = int(qMin<qint64>(qint64(first) + count, file.count()));
    out.reserve(size_t(last - first));
    for (int i = first; i < last; ++i)
        out.push_back(file.extract(i, large, small));
    return out;
}

} // namespace zor::iconsource
