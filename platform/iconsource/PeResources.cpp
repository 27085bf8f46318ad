// PE32 and PE32+ programs and libraries: the resource directory (type, name, language)
// reached through the optional header's resource data directory and the section table.

#include "Formats.h"

namespace zor::iconsource {

namespace {

constexpr Bytes kPeSignature("PE\0\0", 4);

struct IMAGE_FILE_HEADER {
    static constexpr int64_t size = 20;
    uint16_t Machine = 0;
    uint16_t NumberOfSections = 0;
    uint32_t TimeDateStamp = 0;
    uint32_t PointerToSymbolTable = 0;
    uint32_t NumberOfSymbols = 0;
    uint16_t SizeOfOptionalHeader = 0;
    uint16_t Characteristics = 0;

    static std::optional<IMAGE_FILE_HEADER> read(const ByteReader& r, int64_t at)
    {
        if (!r.has(at, size))
            return std::nullopt;
        return IMAGE_FILE_HEADER{*r.u16(at), *r.u16(at + 2), *r.u32(at + 4), *r.u32(at + 8),
                                 *r.u32(at + 12), *r.u16(at + 16), *r.u16(at + 18)};
    }
};

// The optional header's first field tells PE32 from PE32+; the data directories follow
// NumberOfRvaAndSizes, which sits at a different place in each.
constexpr uint16_t IMAGE_NT_OPTIONAL_HDR32_MAGIC = 0x10b;
constexpr uint16_t IMAGE_NT_OPTIONAL_HDR64_MAGIC = 0x20b;
constexpr int64_t kNumberOfRvaAndSizesAt32 = 92;
constexpr int64_t kNumberOfRvaAndSizesAt64 = 108;
constexpr uint32_t IMAGE_DIRECTORY_ENTRY_RESOURCE = 2;

struct IMAGE_DATA_DIRECTORY {
    static constexpr int64_t size = 8;
    uint32_t VirtualAddress = 0;
    uint32_t Size = 0;
};

struct IMAGE_SECTION_HEADER {
    static constexpr int64_t size = 40;
    uint32_t VirtualSize = 0;   // Name (8 bytes) comes first
    uint32_t VirtualAddress = 0;
    uint32_t SizeOfRawData = 0;
    uint32_t PointerToRawData = 0;

    static std::optional<IMAGE_SECTION_HEADER> read(const ByteReader& r, int64_t at)
    {
        if (!r.has(at + 8, 16))   // from VirtualSize to PointerToRawData
            return std::nullopt;
        return IMAGE_SECTION_HEADER{*r.u32(at + 8), *r.u32(at + 12), *r.u32(at + 16), *r.u32(at + 20)};
    }
};

struct IMAGE_RESOURCE_DIRECTORY {
    static constexpr int64_t size = 16;
    uint16_t NumberOfNamedEntries = 0;   // at 12, after characteristics, time stamp and version
    uint16_t NumberOfIdEntries = 0;

    static std::optional<IMAGE_RESOURCE_DIRECTORY> read(const ByteReader& r, int64_t at)
    {
        if (!r.has(at + 12, 4))
            return std::nullopt;
        return IMAGE_RESOURCE_DIRECTORY{*r.u16(at + 12), *r.u16(at + 14)};
    }
};

constexpr uint32_t IMAGE_RESOURCE_NAME_IS_STRING = 0x80000000u;
constexpr uint32_t IMAGE_RESOURCE_DATA_IS_DIRECTORY = 0x80000000u;

struct IMAGE_RESOURCE_DIRECTORY_ENTRY {
    static constexpr int64_t size = 8;
    uint32_t Name = 0;           // an id, or a string's offset with IMAGE_RESOURCE_NAME_IS_STRING
    uint32_t OffsetToData = 0;   // a directory with IMAGE_RESOURCE_DATA_IS_DIRECTORY, else a data entry

    bool isDirectory() const { return OffsetToData & IMAGE_RESOURCE_DATA_IS_DIRECTORY; }
    uint32_t target() const { return OffsetToData & ~IMAGE_RESOURCE_DATA_IS_DIRECTORY; }
};

// Only its first two fields are read: CodePage and Reserved follow.
struct IMAGE_RESOURCE_DATA_ENTRY {
    uint32_t OffsetToData = 0;   // an RVA
    uint32_t Size = 0;

    static std::optional<IMAGE_RESOURCE_DATA_ENTRY> read(const ByteReader& r, int64_t at)
    {
        if (!r.has(at, 8))
            return std::nullopt;
        return IMAGE_RESOURCE_DATA_ENTRY{*r.u32(at), *r.u32(at + 4)};
    }
};

// Directories of more entries than this are cut: a resource section cannot hold more.
constexpr int64_t kMaxDirectoryEntries = 0x20000;

class PeReader {
public:
    explicit PeReader(const ByteReader& file) : m_file(file) {}

    void read(int64_t header, Resources& out);

private:
    Bytes fromRva(uint32_t rva) const;
    std::vector<IMAGE_RESOURCE_DIRECTORY_ENTRY> entriesAt(uint32_t offset, int64_t limit = kMaxDirectoryEntries) const;
    Bytes dataOf(const IMAGE_RESOURCE_DIRECTORY_ENTRY& name) const;
    walk::Name nameOf(const IMAGE_RESOURCE_DIRECTORY_ENTRY& name) const;

    const ByteReader& m_file;
    std::vector<IMAGE_SECTION_HEADER> m_sections;
    ByteReader m_rsrc;
};

void PeReader::read(int64_t header, Resources& out)
{
    const int64_t fileHeaderAt = header + kPeSignature.size();
    const auto fileHeader = IMAGE_FILE_HEADER::read(m_file, fileHeaderAt);
    const int64_t optional = fileHeaderAt + IMAGE_FILE_HEADER::size;
    const auto magic = m_file.u16(optional);
    if (!fileHeader || !magic) {
        out.stop(Stop::CutShort, "the PE headers end " + at(optional + 2, m_file.size()));
        return;
    }
    int64_t rvaCountAt = 0;
    if (*magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        rvaCountAt = optional + kNumberOfRvaAndSizesAt32;
    } else if (*magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        rvaCountAt = optional + kNumberOfRvaAndSizesAt64;
    } else {
        out.stop(Stop::NotAnIconSource, "an optional header of unknown kind 0x" + hex(*magic) + " at " + std::to_string(optional));
        return;
    }
    // DataDirectory, an array of IMAGE_DATA_DIRECTORY, follows the 32-bit NumberOfRvaAndSizes.
    const int64_t dataDirectory = rvaCountAt + int64_t(sizeof(uint32_t));
    const int64_t rsrcAt = dataDirectory + IMAGE_DIRECTORY_ENTRY_RESOURCE * IMAGE_DATA_DIRECTORY::size;
    const auto rvaCount = m_file.u32(rvaCountAt);
    const auto rsrcRva = m_file.u32(rsrcAt);
    if (!rvaCount || (*rvaCount > IMAGE_DIRECTORY_ENTRY_RESOURCE && !rsrcRva)) {
        out.stop(Stop::CutShort, "the data directories end " + at(rsrcAt + 4, m_file.size()));
        return;
    }
    if (*rvaCount <= IMAGE_DIRECTORY_ENTRY_RESOURCE || *rsrcRva == 0) {
        out.stop(Stop::NoIconGroups, "the program has no resources");
        return;
    }

    const int64_t table = optional + fileHeader->SizeOfOptionalHeader;
    for (int i = 0; i < fileHeader->NumberOfSections; ++i) {
        const auto section = IMAGE_SECTION_HEADER::read(m_file, table + int64_t(i) * IMAGE_SECTION_HEADER::size);
        if (!section)
            break;
        m_sections.push_back(*section);
    }
    m_rsrc = ByteReader(fromRva(*rsrcRva));
    if (m_rsrc.size() == 0) {
        out.stop(Stop::CutShort, "the resource section (RVA 0x" + hex(*rsrcRva) + ") lies in no section's data inside the file");
        return;
    }

    std::optional<uint32_t> groupDir, iconDir;
    for (const auto& type : entriesAt(0)) {
        if (!type.isDirectory() || (type.Name & IMAGE_RESOURCE_NAME_IS_STRING))
            continue;
        if (type.Name == RT_GROUP_ICON && !groupDir)
            groupDir = type.target();
        else if (type.Name == RT_ICON && !iconDir)
            iconDir = type.target();
    }
    if (!groupDir) {
        out.stop(Stop::NoIconGroups, "the resource directory has no RT_GROUP_ICON type");
        return;
    }
    const auto groups = entriesAt(*groupDir);
    out.groups.reserve(groups.size());
    out.names.reserve(groups.size());
    for (const auto& g : groups)
        out.addGroup(dataOf(g), nameOf(g));
    if (iconDir) {
        const auto icons = entriesAt(*iconDir);
        out.icons.reserve(icons.size());
        for (const auto& e : icons) {
            if ((e.Name & IMAGE_RESOURCE_NAME_IS_STRING) || e.Name > 0xffff || out.icons.count(uint16_t(e.Name)))
                continue;
            out.icons.emplace(uint16_t(e.Name), dataOf(e));
        }
    }
}

// The file bytes from rva to the end of its section's raw data.
Bytes PeReader::fromRva(uint32_t rva) const
{
    for (const IMAGE_SECTION_HEADER& s : m_sections) {
        const uint64_t span = std::max(s.VirtualSize, s.SizeOfRawData);
        if (rva < s.VirtualAddress || uint64_t(rva) >= uint64_t(s.VirtualAddress) + span)
            continue;
        const int64_t delta = int64_t(rva) - s.VirtualAddress;
        if (delta >= int64_t(s.SizeOfRawData))
            return {};
        return m_file.from(int64_t(s.PointerToRawData) + delta, int64_t(s.SizeOfRawData) - delta);
    }
    return {};
}

// The entries of the directory at offset, at most limit, cut to what lies inside the resource section.
std::vector<IMAGE_RESOURCE_DIRECTORY_ENTRY> PeReader::entriesAt(uint32_t offset, int64_t limit) const
{
    std::vector<IMAGE_RESOURCE_DIRECTORY_ENTRY> out;
    const auto dir = IMAGE_RESOURCE_DIRECTORY::read(m_rsrc, offset);
    if (!dir)
        return out;
    const int64_t total = std::min(int64_t(dir->NumberOfNamedEntries) + dir->NumberOfIdEntries, limit);
    const int64_t first = int64_t(offset) + IMAGE_RESOURCE_DIRECTORY::size;
    out.reserve(size_t(std::min<int64_t>(total, (m_rsrc.size() - offset) / IMAGE_RESOURCE_DIRECTORY_ENTRY::size)));
    for (int64_t i = 0; i < total; ++i) {
        const int64_t at = first + i * IMAGE_RESOURCE_DIRECTORY_ENTRY::size;
        if (!m_rsrc.has(at, IMAGE_RESOURCE_DIRECTORY_ENTRY::size))
            break;
        out.push_back({*m_rsrc.u32(at), *m_rsrc.u32(at + 4)});
    }
    return out;
}

// A name's data: the first language of its subdirectory (a data entry given directly is taken too).
Bytes PeReader::dataOf(const IMAGE_RESOURCE_DIRECTORY_ENTRY& name) const
{
    uint32_t dataEntry = name.OffsetToData;
    if (name.isDirectory()) {
        const auto languages = entriesAt(name.target(), 1);
        if (languages.empty() || languages.front().isDirectory())
            return {};
        dataEntry = languages.front().OffsetToData;
    }
    const auto data = IMAGE_RESOURCE_DATA_ENTRY::read(m_rsrc, dataEntry);
    if (!data)
        return {};
    return ByteReader(fromRva(data->OffsetToData)).slice(0, data->Size);
}

// "#12" for an id, else the counted UTF-16 string the entry points at; the first language.
walk::Name PeReader::nameOf(const IMAGE_RESOURCE_DIRECTORY_ENTRY& entry) const
{
    walk::Name n;
    if (!(entry.Name & IMAGE_RESOURCE_NAME_IS_STRING)) {
        for (const char c : "#" + std::to_string(entry.Name))
            n.name += char16_t(c);
    } else {
        const int64_t string = entry.Name & ~IMAGE_RESOURCE_NAME_IS_STRING;
        const auto length = m_rsrc.u16(string);
        const ByteReader text(length ? m_rsrc.slice(string + 2, int64_t(*length) * 2) : Bytes());
        n.name.resize(size_t(text.size() / 2));
        for (size_t i = 0; i < n.name.size(); ++i)
            n.name[i] = char16_t(*text.u16(int64_t(2 * i)));
    }
    if (entry.isDirectory()) {
        const auto languages = entriesAt(entry.target(), 1);
        if (!languages.empty() && !(languages.front().Name & IMAGE_RESOURCE_NAME_IS_STRING))
            n.language = int(languages.front().Name & 0xffff);
    }
    return n;
}

} // namespace

void readPeResources(const ByteReader& file, int64_t header, Resources& out)
{
    PeReader(file).read(header, out);
}

} // namespace zor::iconsource
