// Opening an icon source, telling its format by content, and making pictures of its icons.

#include "Formats.h"

#include <QSet>

#include <cstring>
#include <optional>

namespace zor::iconsource {

namespace {

// IMAGE_DOS_HEADER: e_magic "MZ" opens every program; e_lfanew gives the new header's offset.
constexpr QByteArrayView kDosSignature("MZ", 2);
constexpr qint64 e_lfanew = 0x3c;

void readExecutable(const ByteReader& file, Resources& out)
{
    if (!file.bytes().startsWith(kDosSignature)) {
        out.stop(EmptyReason::NotAnIconSource, QStringLiteral("neither an icon file's header nor a program's (MZ) at 0"));
        return;
    }
    const auto header = file.u32(e_lfanew);
    if (!header) {
        out.stop(EmptyReason::CutShort, QStringLiteral("the DOS header's e_lfanew %1").arg(at(e_lfanew, file.size())));
        return;
    }
    const QByteArrayView signature = file.slice(*header, 4);
    if (signature.isEmpty())
        out.stop(EmptyReason::CutShort, QStringLiteral("the new header %1").arg(at(*header, file.size())));
    else if (signature == QByteArrayView("PE\0\0", 4))
        readPeResources(file, *header, out);
    else if (signature.startsWith("NE"))
        readNeResources(file, *header, out);
    else
        out.stop(EmptyReason::NotAnIconSource, QStringLiteral("a DOS program without a PE or NE header (at %1)").arg(*header));
    if (out.groups.empty())
        out.stop(EmptyReason::NoIconGroups, QStringLiteral("no RT_GROUP_ICON resources"));
}

} // namespace

QString at(qint64 offset, qint64 size)
{
    return QStringLiteral("at 0x%1, past the end of the file's %2 bytes").arg(offset, 0, 16).arg(size);
}

QString EmptyReason::text() const
{
    static const char* const kinds[] = {"", "not an icon source", "cut short", "no icon groups",
                                        "every image refused"};
    const QString what = QLatin1String(kinds[this->kind]);
    return where.isEmpty() ? what : what + QStringLiteral(": ") + where;
}

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

IconFile IconFile::fromData(const QByteArray& bytes)
{
    IconFile f;
    auto parsed = std::make_shared<Parsed>();
    parsed->bytes = bytes;
    parsed->all = ByteReader(parsed->bytes);
    f.d = parse(std::move(parsed));
    return f;
}

IconFile IconFile::fromMapped(QByteArrayView bytes, std::shared_ptr<const void> owner)
{
    IconFile f;
    auto parsed = std::make_shared<Parsed>();
    parsed->keep = std::move(owner);
    parsed->all = ByteReader(bytes);
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

GroupName IconFile::groupName(int index) const
{
    if (!d || index < 0 || size_t(index) >= d->resources.names.size())
        return {};
    return d->resources.names[size_t(index)];
}

EmptyReason IconFile::whyEmpty() const
{
    if (!d)
        return {EmptyReason::NotAnIconSource, {}};
    if (count() == 0)
        return d->resources.empty.kind != EmptyReason::None ? d->resources.empty
                                                              : EmptyReason{EmptyReason::NoIconGroups, {}};
    // Icons whose entries all lie outside the file, or point at no image, give no picture.
    // Groups that share one record are looked at once, however many they are.
    QSet<std::pair<const char*, qsizetype>> seen;
    for (int i = 0; i < count(); ++i) {
        const QByteArrayView record = d->resources.groups[size_t(i)];
        if (seen.contains({record.data(), record.size()}))
            continue;
        seen.insert({record.data(), record.size()});
        for (const GroupEntry& e : entries(i))
            if (!e.data.isEmpty())
                return {};
    }
    return {EmptyReason::ImagesRefused, QStringLiteral("no group has an image inside the file")};
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

QByteArray IconFile::groupAsIco(int index) const
{
    return icoFromEntries(entries(index));
}

} // namespace zor::iconsource
