// 16-bit NE programs and libraries (an .icl is one): the resource table the NE header
// points at, a list of TYPEINFO records each followed by its NAMEINFO records.

#include "Formats.h"

namespace zor::iconsource {

namespace {

// Fields of IMAGE_OS2_HEADER, relative to its start.
constexpr qint64 ne_rsrctab = 0x24;   // offset of the resource table
constexpr qint64 ne_restab = 0x26;    // offset of the resident-name table, which follows it

// Resource offsets and lengths count in units of 1 << rscAlignShift bytes.
constexpr quint16 kMaxAlignShift = 24;
// A type or name id with this bit is a number, else the offset of a string.
constexpr quint16 kIntegerId = 0x8000;

struct TYPEINFO {
    static constexpr qint64 size = 8;
    quint16 rtTypeID = 0;   // 0 ends the table
    quint16 rtResourceCount = 0;
    quint32 rtReserved = 0;
};

struct NAMEINFO {
    static constexpr qint64 size = 12;
    quint16 rnOffset = 0;
    quint16 rnLength = 0;
    quint16 rnFlags = 0;
    quint16 rnID = 0;
    quint16 rnHandle = 0;
    quint16 rnUsage = 0;
};

// "#12" for a number, else the counted string at that offset from the resource table.
QString nameOf(const ByteReader& file, qint64 table, quint16 id)
{
    if (id & kIntegerId)
        return QLatin1Char('#') + QString::number(id & ~kIntegerId);
    const auto length = file.u8(table + id);
    return length ? QString::fromLatin1(file.slice(table + id + 1, *length)) : QString();
}

} // namespace

void readNeResources(const ByteReader& file, qint64 header, Resources& out)
{
    const auto tableOffset = file.u16(header + ne_rsrctab);
    const auto namesOffset = file.u16(header + ne_restab);
    if (!tableOffset || !namesOffset) {
        out.stop(EmptyReason::CutShort, QStringLiteral("the NE header ends %1").arg(at(header + ne_restab + 2, file.size())));
        return;
    }
    if (*tableOffset == *namesOffset) {
        out.stop(EmptyReason::NoIconGroups, QStringLiteral("the NE module has no resource table"));
        return;
    }
    const qint64 table = header + *tableOffset;
    // The resident-name table follows the resource table; without that order read to the end.
    const qint64 end = *namesOffset > *tableOffset ? qMin<qint64>(header + *namesOffset, file.size()) : file.size();
    const ByteReader resources(file.bytes().first(qMax<qint64>(end, 0)));
    const auto rscAlignShift = resources.u16(table);
    if (!rscAlignShift) {
        out.stop(EmptyReason::CutShort, QStringLiteral("the resource table %1").arg(at(table, resources.size())));
        return;
    }
    if (*rscAlignShift > kMaxAlignShift) {
        out.stop(EmptyReason::NotAnIconSource, QStringLiteral("an alignment shift of %1 at %2").arg(*rscAlignShift).arg(table));
        return;
    }
    const int shift = *rscAlignShift;

    qint64 at = table + qint64(sizeof(quint16));   // the TYPEINFO records follow rscAlignShift
    while (resources.has(at, TYPEINFO::size)) {
        const TYPEINFO type{*resources.u16(at), *resources.u16(at + 2), *resources.u32(at + 4)};
        if (type.rtTypeID == 0)
            break;
        at += TYPEINFO::size;
        for (int i = 0; i < type.rtResourceCount; ++i, at += NAMEINFO::size) {
            if (!resources.has(at, NAMEINFO::size)) {
                out.stop(EmptyReason::CutShort, QStringLiteral("the resource table ends %1").arg(zor::iconsource::at(at, resources.size())));
                return;
            }
            const NAMEINFO name{*resources.u16(at), *resources.u16(at + 2), *resources.u16(at + 4),
                                *resources.u16(at + 6), *resources.u16(at + 8), *resources.u16(at + 10)};
            const QByteArrayView data = file.slice(qint64(name.rnOffset) << shift, qint64(name.rnLength) << shift);
            const quint16 id = name.rnID & ~kIntegerId;
            if (type.rtTypeID == (kIntegerId | RT_GROUP_ICON) && out.groups.size() < kMaxGroups)
                out.addGroup(data, {nameOf(file, table, name.rnID), -1});
            else if (type.rtTypeID == (kIntegerId | RT_ICON) && (name.rnID & kIntegerId) && !out.icons.contains(id))
                out.icons.insert(id, data);
        }
    }
}

} // namespace zor::iconsource
