// ICO and CUR files: the ICONDIR that opens them, its ICONDIRENTRY records, and the
// GRPICONDIRENTRY records of a program's icon groups, which point at RT_ICON ids instead.

#include "Formats.h"

namespace zor::iconsource {

namespace {

// An .ico rebuilt from a group never grows past this, whatever its entries claim.
constexpr qint64 kMaxIcoBytes = 128 * 1024 * 1024;

struct ICONDIR {
    static constexpr qint64 size = 6;
    static constexpr quint16 typeIcon = 1;
    static constexpr quint16 typeCursor = 2;
    quint16 idReserved = 0;
    quint16 idType = 0;
    quint16 idCount = 0;

    static std::optional<ICONDIR> read(const ByteReader& r)
    {
        if (!r.has(0, size))
            return std::nullopt;
        return ICONDIR{*r.u16(0), *r.u16(2), *r.u16(4)};
    }
    void write(uchar* p) const
    {
        qToLittleEndian(idReserved, p);
        qToLittleEndian(idType, p + 2);
        qToLittleEndian(idCount, p + 4);
    }
};

// The fields ICONDIRENTRY (16 bytes, an ICO file) and GRPICONDIRENTRY (14 bytes, a
// program's group) share; they differ in their last field only.
struct DirectoryEntry {
    quint8 bWidth = 0;
    quint8 bHeight = 0;
    quint8 bColorCount = 0;
    quint8 bReserved = 0;
    quint16 wPlanes = 0;     // the hotspot's x in a cursor
    quint16 wBitCount = 0;   // the hotspot's y in a cursor
    quint32 dwBytesInRes = 0;

    static constexpr qint64 commonSize = 12;
    static DirectoryEntry readCommon(const ByteReader& r, qint64 at)
    {
        return {*r.u8(at), *r.u8(at + 1), *r.u8(at + 2), *r.u8(at + 3), *r.u16(at + 4), *r.u16(at + 6),
                *r.u32(at + 8)};
    }
    void writeCommon(uchar* p) const
    {
        p[0] = bWidth;
        p[1] = bHeight;
        p[2] = bColorCount;
        p[3] = bReserved;
        qToLittleEndian(wPlanes, p + 4);
        qToLittleEndian(wBitCount, p + 6);
        qToLittleEndian(dwBytesInRes, p + 8);
    }
};

struct ICONDIRENTRY : DirectoryEntry {
    static constexpr qint64 size = 16;
    quint32 dwImageOffset = 0;

    static std::optional<ICONDIRENTRY> read(const ByteReader& r, qint64 at)
    {
        if (!r.has(at, size))
            return std::nullopt;
        return ICONDIRENTRY{readCommon(r, at), *r.u32(at + commonSize)};
    }
    void write(uchar* p) const
    {
        writeCommon(p);
        qToLittleEndian(dwImageOffset, p + commonSize);
    }
};

struct GRPICONDIRENTRY : DirectoryEntry {
    static constexpr qint64 size = 14;
    quint16 nId = 0;   // the RT_ICON resource that holds the image

    static std::optional<GRPICONDIRENTRY> read(const ByteReader& r, qint64 at)
    {
        if (!r.has(at, size))
            return std::nullopt;
        return GRPICONDIRENTRY{readCommon(r, at), *r.u16(at + commonSize)};
    }
};

int sideOf(quint8 stored) { return stored == 0 ? 256 : stored; }

GroupEntry entryFrom(const DirectoryEntry& e, const std::shared_ptr<const IconFile::Parsed>& owner)
{
    GroupEntry g;
    g.owner = owner;
    g.width = sideOf(e.bWidth);
    g.height = sideOf(e.bHeight);
    g.colorCount = e.bColorCount;
    g.planes = e.wPlanes;
    g.bitCount = e.wBitCount;
    return g;
}

} // namespace

qint64 icoDirectoryEnd(QByteArrayView head)
{
    const auto dir = ICONDIR::read(ByteReader(head));
    if (!dir || dir->idReserved != 0 || (dir->idType != ICONDIR::typeIcon && dir->idType != ICONDIR::typeCursor)
        || dir->idCount == 0)
        return 0;
    return ICONDIR::size + qint64(dir->idCount) * ICONDIRENTRY::size;
}

bool readIcoFile(const ByteReader& file, Resources& out)
{
    const qint64 end = icoDirectoryEnd(file.bytes());
    if (end == 0)
        return false;
    out.isIcoFile = true;
    if (!file.has(0, end)) {
        out.stop(EmptyReason::CutShort, QStringLiteral("the icon directory ends %1").arg(at(end, file.size())));
        return true;
    }
    out.isCursor = *file.u16(2) == ICONDIR::typeCursor;
    out.addGroup(file.bytes(), {});
    return true;
}

std::vector<GroupEntry> readGroup(const std::shared_ptr<const IconFile::Parsed>& parsed, int index)
{
    std::vector<GroupEntry> out;
    const Resources& res = parsed->resources;
    if (index < 0 || size_t(index) >= res.groups.size())
        return out;
    const ByteReader dir(res.groups[size_t(index)]);
    // A group resource starts with the same three fields as an ICO file (GRPICONDIR).
    const auto header = ICONDIR::read(dir);
    if (!header)
        return out;
    const int n = qMin<int>(header->idCount, kMaxGroupEntries);
    out.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        if (res.isIcoFile) {
            const auto e = ICONDIRENTRY::read(dir, ICONDIR::size + qint64(i) * ICONDIRENTRY::size);
            if (!e)
                break;
            GroupEntry g = entryFrom(*e, parsed);
            g.data = parsed->all.slice(e->dwImageOffset, e->dwBytesInRes);
            if (res.isCursor) {   // these fields hold the hotspot in a cursor
                g.planes = 1;
                g.bitCount = 0;
                g.bitCount = entryDepth(g);
            }
            out.push_back(g);
        } else {
            const auto e = GRPICONDIRENTRY::read(dir, ICONDIR::size + qint64(i) * GRPICONDIRENTRY::size);
            if (!e)
                break;
            GroupEntry g = entryFrom(*e, parsed);
            const QByteArrayView image = res.icons.value(e->nId);
            // NE lengths are rounded up to the alignment unit; the group knows the true size.
            g.data = (e->dwBytesInRes > 0 && e->dwBytesInRes < quint32(image.size())) ? image.first(e->dwBytesInRes)
                                                                                        : image;
            out.push_back(g);
        }
    }
    return out;
}

QByteArray icoFromEntries(const std::vector<GroupEntry>& list)
{
    if (list.empty())
        return {};
    qint64 total = ICONDIR::size + qint64(list.size()) * ICONDIRENTRY::size;
    for (const GroupEntry& e : list) {
        if (e.data.isEmpty())
            return {};
        total += e.data.size();
    }
    if (total > kMaxIcoBytes)
        return {};

    QByteArray out(ICONDIR::size + qsizetype(list.size()) * ICONDIRENTRY::size, '\0');
    uchar* p = reinterpret_cast<uchar*>(out.data());
    ICONDIR{0, ICONDIR::typeIcon, quint16(list.size())}.write(p);
    quint32 offset = quint32(out.size());
    for (size_t i = 0; i < list.size(); ++i) {
        const GroupEntry& e = list[i];
        ICONDIRENTRY entry;
        entry.bWidth = quint8(e.width & 0xff);   // 256 is stored as 0
        entry.bHeight = quint8(e.height & 0xff);
        entry.bColorCount = quint8(e.colorCount);
        entry.wPlanes = quint16(e.planes);
        entry.wBitCount = quint16(e.bitCount);
        entry.dwBytesInRes = quint32(e.data.size());
        entry.dwImageOffset = offset;
        entry.write(p + ICONDIR::size + i * ICONDIRENTRY::size);
        offset += entry.dwBytesInRes;
    }
    out.reserve(qsizetype(total));
    for (const GroupEntry& e : list)
        out.append(e.data.data(), e.data.size());
    return out;
}

} // namespace zor::iconsource
