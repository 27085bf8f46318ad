// The walk's sources as IconFile: names as QString, entries as Qt views that keep the
// file's bytes alive.

#include "IconFile.h"

#include "Formats.h"

namespace zor::iconsource {

namespace {

walk::Bytes stdView(QByteArrayView v)
{
    return walk::Bytes(v.data(), size_t(v.size()));
}

walk::Entry walkEntry(const GroupEntry& e)
{
    return {e.width, e.height, e.colorCount, e.planes, e.bitCount, stdView(e.data)};
}

EmptyReason reasonOf(const walk::Stop& stop)
{
    return {EmptyReason::Kind(stop.kind), QString::fromStdString(stop.where)};
}

} // namespace

QString EmptyReason::text() const
{
    return QString::fromStdString(walk::Stop{walk::Stop::Kind(kind), where.toStdString()}.text());
}

IconFile IconFile::fromSource(std::shared_ptr<const walk::Source> source)
{
    IconFile f;
    f.d = std::move(source);
    return f;
}

IconFile IconFile::fromData(const QByteArray& bytes)
{
    auto kept = std::make_shared<const QByteArray>(bytes);
    return fromSource(walk::Source::of(stdView(*kept), kept));
}

IconFile IconFile::fromMapped(QByteArrayView bytes, std::shared_ptr<const void> owner)
{
    return fromSource(walk::Source::of(stdView(bytes), std::move(owner)));
}

QByteArrayView IconFile::bytes() const
{
    return d ? QByteArrayView(d->bytes().data(), qsizetype(d->bytes().size())) : QByteArrayView();
}

int IconFile::count() const
{
    return d ? d->count() : 0;
}

GroupName IconFile::groupName(int index) const
{
    if (!d || index < 0 || index >= int(d->resources().names.size()))
        return {};
    const walk::Name& n = d->resources().names[size_t(index)];
    return {QString::fromUtf16(n.name.data(), qsizetype(n.name.size())), n.language};
}

EmptyReason IconFile::whyEmpty() const
{
    return d ? reasonOf(d->whyEmpty()) : EmptyReason{EmptyReason::NotAnIconSource, {}};
}

std::vector<GroupEntry> IconFile::entries(int index) const
{
    std::vector<GroupEntry> out;
    if (!d)
        return out;
    const std::vector<walk::Entry> entries = d->entries(index);
    out.reserve(entries.size());
    for (const walk::Entry& e : entries)
        out.push_back({e.width, e.height, e.colorCount, e.planes, e.bitCount,
                       QByteArrayView(e.data.data(), qsizetype(e.data.size())), d});
    return out;
}

QByteArray IconFile::groupAsIco(int index) const
{
    return icoFromEntries(entries(index));
}

QByteArray icoFromEntries(const std::vector<GroupEntry>& list)
{
    std::vector<walk::Entry> entries;
    entries.reserve(list.size());
    for (const GroupEntry& e : list)
        entries.push_back(walkEntry(e));
    const qint64 size = walk::icoSize(entries);
    if (size == 0)
        return {};
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    walk::writeIco(entries, out.data());
    return out;
}

bool isPngEntry(const GroupEntry& entry)
{
    return walk::isPng(stdView(entry.data));
}

QSize entrySize(const GroupEntry& entry)
{
    const walk::Size size = walk::entrySize(walkEntry(entry));
    return QSize(size.width, size.height);
}

int entryDepth(const GroupEntry& entry)
{
    return walk::entryDepth(walkEntry(entry));
}

} // namespace zor::iconsource
