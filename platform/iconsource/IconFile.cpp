// Opening an icon source and telling its format by content.

#include "Formats.h"

#include <QSet>


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

QByteArrayView IconFile::bytes() const
{
    return d ? d->all.bytes() : QByteArrayView();
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

QByteArray IconFile::groupAsIco(int index) const
{
    return icoFromEntries(entries(index));
}

} // namespace zor::iconsource
