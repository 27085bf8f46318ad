// 16-bit NE programs and libraries (an .icl is one): the resource table the NE header
// points at, a list of TYPEINFO records each followed by its NAMEINFO records.

#include "Formats.h"

namespace zor::iconsource {

namespace {

// Fields of IMAGE_OS2_HEADER, relative to its start.
constexpr int64_t ne_rsrctab = 0x24;   // offset of the resource table
constexpr int64_t ne_restab = 0x26;    // offset of the resident-name table, which follows it

// Resource offsets and lengths count in units of 1 << rscAlignShift bytes.
constexpr uint16_t kMaxAlignShift = 24;
// A type or name id with this bit is a number, else the offset of a string.
constexpr uint16_t kIntegerId = 0x8000;

struct TYPEINFO {
    static constexpr int64_t size = 8;
    uint16_t rtTypeID = 0;   // 0 ends the table
    uint16_t rtResourceCount = 0;
    uint32_t rtReserved = 0;
};

struct NAMEINFO {
    static constexpr int64_t size = 12;
    uint16_t rnOffset = 0;
    uint16_t rnLength = 0;
    uint16_t rnFlags = 0;
    uint16_t rnID = 0;
    uint16_t rnHandle = 0;
    uint16_t rnUsage = 0;
};

// "#12" for a number, else the counted string (Latin-1) at that offset from the resource table.
std::u16string nameOf(const ByteReader& file, int64_t table, uint16_t id)
{
    std::u16string name;
    const auto length = (id & kIntegerId) ? std::nullopt : file.u8(table + id);
    for (const char c : (id & kIntegerId) ? "#" + std::to_string(id & ~kIntegerId)
                                          : std::string(length ? file.slice(table + id + 1, *length) : Bytes()))
        name += char16_t(uint8_t(c));
    return name;
}

} // namespace

void readNeResources(const ByteReader& file, int64_t header, Resources& out)
{
    const auto tableOffset = file.u16(header + ne_rsrctab);
    const auto namesOffset = file.u16(header + ne_restab);
    if (!tableOffset || !namesOffset) {
        out.stop(Stop::CutShort, "the NE header ends " + at(header + ne_restab + 2, file.size()));
        return;
    }
    if (*tableOffset == *namesOffset) {
        out.stop(Stop::NoIconGroups, "the NE module has no resource table");
        return;
    }
    const int64_t table = header + *tableOffset;
    // The resident-name table follows the resource table; without that order read to the end.
    const int64_t end = *namesOffset > *tableOffset ? std::min<int64_t>(header + *namesOffset, file.size()) : file.size();
    const ByteReader resources(file.bytes().substr(0, size_t(std::max<int64_t>(end, 0))));
    const auto rscAlignShift = resources.u16(table);
    if (!rscAlignShift) {
        out.stop(Stop::CutShort, "the resource table " + at(table, resources.size()));
        return;
    }
    if (*rscAlignShift > kMaxAlignShift) {
        out.stop(Stop::NotAnIconSource, "an alignment shift of " + std::to_string(*rscAlignShift) + " at " + std::to_string(table));
        return;
    }
    const int shift = *rscAlignShift;

    int64_t at = table + int64_t(sizeof(uint16_t));   // the TYPEINFO records follow rscAlignShift
    while (resources.has(at, TYPEINFO::size)) {
        const TYPEINFO type{*resources.u16(at), *resources.u16(at + 2), *resources.u32(at + 4)};
        if (type.rtTypeID == 0)
            break;
        at += TYPEINFO::size;
        for (int i = 0; i < type.rtResourceCount; ++i, at += NAMEINFO::size) {
            if (!resources.has(at, NAMEINFO::size)) {
                out.stop(Stop::CutShort, "the resource table ends " + zor::iconsource::at(at, resources.size()));
                return;
            }
            const NAMEINFO name{*resources.u16(at), *resources.u16(at + 2), *resources.u16(at + 4),
                                *resources.u16(at + 6), *resources.u16(at + 8), *resources.u16(at + 10)};
            const Bytes data = file.slice(int64_t(name.rnOffset) << shift, int64_t(name.rnLength) << shift);
            const uint16_t id = name.rnID & ~kIntegerId;
            if (type.rtTypeID == (kIntegerId | RT_GROUP_ICON) && out.groups.size() < kMaxGroups)
                out.addGroup(data, {nameOf(file, table, name.rnID), -1});
            else if (type.rtTypeID == (kIntegerId | RT_ICON) && (name.rnID & kIntegerId) && !out.icons.count(id))
                out.icons.emplace(id, data);
        }
    }
}

} // namespace zor::iconsource
