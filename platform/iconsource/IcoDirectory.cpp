// ICO and CUR files: the ICONDIR that opens them, its ICONDIRENTRY records, and the
// GRPICONDIRENTRY records of a program's icon groups, which point at RT_ICON ids instead.

#include "Formats.h"

#include <cstring>

namespace zor::iconsource {

namespace {

// An .ico rebuilt from a group never grows past this, whatever its entries claim.
constexpr int64_t kMaxIcoBytes = 128 * 1024 * 1024;

void put16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v)
{
    put16(p, uint16_t(v));
    put16(p + 2, uint16_t(v >> 16));
}

struct ICONDIR {
    static constexpr int64_t size = 6;
    static constexpr uint16_t typeIcon = 1;
    static constexpr uint16_t typeCursor = 2;
    uint16_t idReserved = 0;
    uint16_t idType = 0;
    uint16_t idCount = 0;

    static std::optional<ICONDIR> read(const ByteReader& r)
    {
        if (!r.has(0, size))
            return std::nullopt;
        return ICONDIR{*r.u16(0), *r.u16(2), *r.u16(4)};
    }
    void write(uint8_t* p) const
    {
        put16(p, idReserved);
        put16(p + 2, idType);
        put16(p + 4, idCount);
    }
};

// The fields ICONDIRENTRY (16 bytes, an ICO file) and GRPICONDIRENTRY (14 bytes, a
// program's group) share; they differ in their last field only.
struct DirectoryEntry {
    uint8_t bWidth = 0;
    uint8_t bHeight = 0;
    uint8_t bColorCount = 0;
    uint8_t bReserved = 0;
    uint16_t wPlanes = 0;     // the hotspot's x in a cursor
    uint16_t wBitCount = 0;   // the hotspot's y in a cursor
    uint32_t dwBytesInRes = 0;

    static constexpr int64_t commonSize = 12;
    static DirectoryEntry readCommon(const ByteReader& r, int64_t at)
    {
        return {*r.u8(at), *r.u8(at + 1), *r.u8(at + 2), *r.u8(at + 3), *r.u16(at + 4), *r.u16(at + 6),
                *r.u32(at + 8)};
    }
    void writeCommon(uint8_t* p) const
    {
        p[0] = bWidth;
        p[1] = bHeight;
        p[2] = bColorCount;
        p[3] = bReserved;
        put16(p + 4, wPlanes);
        put16(p + 6, wBitCount);
        put32(p + 8, dwBytesInRes);
    }
};

struct ICONDIRENTRY : DirectoryEntry {
    static constexpr int64_t size = 16;
    uint32_t dwImageOffset = 0;

    static std::optional<ICONDIRENTRY> read(const ByteReader& r, int64_t at)
    {
        if (!r.has(at, size))
            return std::nullopt;
        return ICONDIRENTRY{readCommon(r, at), *r.u32(at + commonSize)};
    }
    void write(uint8_t* p) const
    {
        writeCommon(p);
        put32(p + commonSize, dwImageOffset);
    }
};

struct GRPICONDIRENTRY : DirectoryEntry {
    static constexpr int64_t size = 14;
    uint16_t nId = 0;   // the RT_ICON resource that holds the image

    static std::optional<GRPICONDIRENTRY> read(const ByteReader& r, int64_t at)
    {
        if (!r.has(at, size))
            return std::nullopt;
        return GRPICONDIRENTRY{readCommon(r, at), *r.u16(at + commonSize)};
    }
};

int sideOf(uint8_t stored) { return stored == 0 ? 256 : stored; }

walk::Entry entryFrom(const DirectoryEntry& e)
{
    walk::Entry g;
    g.width = sideOf(e.bWidth);
    g.height = sideOf(e.bHeight);
    g.colorCount = e.bColorCount;
    g.planes = e.wPlanes;
    g.bitCount = e.wBitCount;
    return g;
}

} // namespace

int64_t icoDirectoryEnd(Bytes head)
{
    const auto dir = ICONDIR::read(ByteReader(head));
    if (!dir || dir->idReserved != 0 || (dir->idType != ICONDIR::typeIcon && dir->idType != ICONDIR::typeCursor)
        || dir->idCount == 0)
        return 0;
    return ICONDIR::size + int64_t(dir->idCount) * ICONDIRENTRY::size;
}

bool readIcoFile(const ByteReader& file, Resources& out)
{
    const int64_t end = icoDirectoryEnd(file.bytes());
    if (end == 0)
        return false;
    out.isIcoFile = true;
    if (!file.has(0, end)) {
        out.stop(Stop::CutShort, "the icon directory ends " + at(end, file.size()));
        return true;
    }
    out.isCursor = *file.u16(2) == ICONDIR::typeCursor;
    out.addGroup(file.bytes(), {});
    return true;
}

std::vector<walk::Entry> readGroup(const ByteReader& file, const Resources& res, int index)
{
    std::vector<walk::Entry> out;
    if (index < 0 || size_t(index) >= res.groups.size())
        return out;
    const ByteReader dir(res.groups[size_t(index)]);
    // A group resource starts with the same three fields as an ICO file (GRPICONDIR).
    const auto header = ICONDIR::read(dir);
    if (!header)
        return out;
    const int n = std::min<int>(header->idCount, kMaxGroupEntries);
    out.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        if (res.isIcoFile) {
            const auto e = ICONDIRENTRY::read(dir, ICONDIR::size + int64_t(i) * ICONDIRENTRY::size);
            if (!e)
                break;
            walk::Entry g = entryFrom(*e);
            g.data = file.slice(e->dwImageOffset, e->dwBytesInRes);
            if (res.isCursor) {   // these fields hold the hotspot in a cursor
                g.planes = 1;
                g.bitCount = 0;
                g.bitCount = walk::entryDepth(g);
            }
            out.push_back(g);
        } else {
            const auto e = GRPICONDIRENTRY::read(dir, ICONDIR::size + int64_t(i) * GRPICONDIRENTRY::size);
            if (!e)
                break;
            walk::Entry g = entryFrom(*e);
            const auto found = res.icons.find(e->nId);
            const Bytes image = found == res.icons.end() ? Bytes() : found->second;
            // NE lengths are rounded up to the alignment unit; the group knows the true size.
            g.data = (e->dwBytesInRes > 0 && e->dwBytesInRes < image.size()) ? image.substr(0, e->dwBytesInRes) : image;
            out.push_back(g);
        }
    }
    return out;
}

namespace walk {

int64_t icoSize(const std::vector<Entry>& list)
{
    if (list.empty())
        return 0;
    int64_t total = ICONDIR::size + int64_t(list.size()) * ICONDIRENTRY::size;
    for (const Entry& e : list) {
        if (e.data.empty())
            return 0;
        total += int64_t(e.data.size());
    }
    return total > kMaxIcoBytes ? 0 : total;
}

void writeIco(const std::vector<Entry>& list, char* out)
{
    auto* p = reinterpret_cast<uint8_t*>(out);
    ICONDIR{0, ICONDIR::typeIcon, uint16_t(list.size())}.write(p);
    uint32_t offset = uint32_t(ICONDIR::size + list.size() * ICONDIRENTRY::size);
    for (size_t i = 0; i < list.size(); ++i) {
        const Entry& e = list[i];
        ICONDIRENTRY entry;
        entry.bWidth = uint8_t(e.width & 0xff);   // 256 is stored as 0
        entry.bHeight = uint8_t(e.height & 0xff);
        entry.bColorCount = uint8_t(e.colorCount);
        entry.wPlanes = uint16_t(e.planes);
        entry.wBitCount = uint16_t(e.bitCount);
        entry.dwBytesInRes = uint32_t(e.data.size());
        entry.dwImageOffset = offset;
        entry.write(p + ICONDIR::size + i * ICONDIRENTRY::size);
        std::memcpy(p + offset, e.data.data(), e.data.size());
        offset += entry.dwBytesInRes;
    }
}

} // namespace walk

} // namespace zor::iconsource
