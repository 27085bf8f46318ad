// PE32 and PE32+ programs and libraries: the resource directory (type, name, language)
// reached through the optional header's resource data directory and the section table.

#include "Formats.h"

namespace zor::iconsource {

namespace {

constexpr QByteArrayView kPeSignature("PE\0\0", 4);

struct IMAGE_FILE_HEADER {
    static constexpr qint64 size = 20;
    quint16 Machine = 0;
    quint16 NumberOfSections = 0;
    quint32 TimeDateStamp = 0;
    quint32 PointerToSymbolTable = 0;
    quint32 NumberOfSymbols = 0;
    quint16 SizeOfOptionalHeader = 0;
    quint16 Characteristics = 0;

    static std::optional<IMAGE_FILE_HEADER> read(const ByteReader& r, qint64 at)
    {
        if (!r.has(at, size))
            return std::nullopt;
        return IMAGE_FILE_HEADER{*r.u16(at), *r.u16(at + 2), *r.u32(at + 4), *r.u32(at + 8),
                                 *r.u32(at + 12), *r.u16(at + 16), *r.u16(at + 18)};
    }
};

// The optional header's first field tells PE32 from PE32+; the data directories follow
// NumberOfRvaAndSizes, which sits at a different place in each.
constexpr quint16 IMAGE_NT_OPTIONAL_HDR32_MAGIC = 0x10b;
constexpr quint16 IMAGE_NT_OPTIONAL_HDR64_MAGIC = 0x20b;
constexpr qint64 kNumberOfRvaAndSizesAt32 = 92;
constexpr qint64 kNumberOfRvaAndSizesAt64 = 108;
constexpr quint32 IMAGE_DIRECTORY_ENTRY_RESOURCE = 2;

struct IMAGE_DATA_DIRECTORY {
    static constexpr qint64 size = 8;
    quint32 VirtualAddress = 0;
    quint32 Size = 0;
};

struct IMAGE_SECTION_HEADER {
    static constexpr qint64 size = 40;
    quint32 VirtualSize = 0;   // Name (8 bytes) comes first
    quint32 VirtualAddress = 0;
    quint32 SizeOfRawData = 0;
    quint32 PointerToRawData = 0;

    static std::optional<IMAGE_SECTION_HEADER> read(const ByteReader& r, qint64 at)
    {
        if (!r.has(at + 8, 16))   // from VirtualSize to PointerToRawData
            return std::nullopt;
        return IMAGE_SECTION_HEADER{*r.u32(at + 8), *r.u32(at + 12), *r.u32(at + 16), *r.u32(at + 20)};
    }
};

struct IMAGE_RESOURCE_DIRECTORY {
    static constexpr qint64 size = 16;
    quint16 NumberOfNamedEntries = 0;   // at 12, after characteristics, time stamp and version
    quint16 NumberOfIdEntries = 0;

    static std::optional<IMAGE_RESOURCE_DIRECTORY> read(const ByteReader& r, qint64 at)
    {
        if (!r.has(at + 12, 4))
            return std::nullopt;
        return IMAGE_RESOURCE_DIRECTORY{*r.u16(at + 12), *r.u16(at + 14)};
    }
};

constexpr quint32 IMAGE_RESOURCE_NAME_IS_STRING = 0x80000000u;
constexpr quint32 IMAGE_RESOURCE_DATA_IS_DIRECTORY = 0x80000000u;

struct IMAGE_RESOURCE_DIRECTORY_ENTRY {
    static constexpr qint64 size = 8;
    quint32 Name = 0;           // an id, or a string's offset with IMAGE_RESOURCE_NAME_IS_STRING
    quint32 OffsetToData = 0;   // a directory with IMAGE_RESOURCE_DATA_IS_DIRECTORY, else a data entry

    bool isDirectory() const { return OffsetToData & IMAGE_RESOURCE_DATA_IS_DIRECTORY; }
    quint32 target() const { return OffsetToData & ~IMAGE_RESOURCE_DATA_IS_DIRECTORY; }
};

// Only its first two fields are read: CodePage and Reserved follow.
struct IMAGE_RESOURCE_DATA_ENTRY {
    quint32 OffsetToData = 0;   // an RVA
    quint32 Size = 0;

    static std::optional<IMAGE_RESOURCE_DATA_ENTRY> read(const ByteReader& r, qint64 at)
    {
        if (!r.has(at, 8))
            return std::nullopt;
        return IMAGE_RESOURCE_DATA_ENTRY{*r.u32(at), *r.u32(at + 4)};
    }
};

// Directories of more entries than this are cut: a resource section cannot hold more.
constexpr qint64 kMaxDirectoryEntries = 0x20000;

class PeReader {
public:
    explicit PeReader(const ByteReader& file) : m_file(file) {}

    void read(qint64 header, Resources& out);

private:
    QByteArrayView fromRva(quint32 rva) const;
    std::vector<IMAGE_RESOURCE_DIRECTORY_ENTRY> entriesAt(quint32 offset, qint64 limit = kMaxDirectoryEntries) const;
    QByteArrayView dataOf(const IMAGE_RESOURCE_DIRECTORY_ENTRY& name) const;
    GroupName nameOf(const IMAGE_RESOURCE_DIRECTORY_ENTRY& name) const;

    const ByteReader& m_file;
    std::vector<IMAGE_SECTION_HEADER> m_sections;
    ByteReader m_rsrc;
};

void PeReader::read(qint64 header, Resources& out)
{
    const qint64 fileHeaderAt = header + kPeSignature.size();
    const auto fileHeader = IMAGE_FILE_HEADER::read(m_file, fileHeaderAt);
    const qint64 optional = fileHeaderAt + IMAGE_FILE_HEADER::size;
    const auto magic = m_file.u16(optional);
    if (!fileHeader || !magic) {
        out.stop(EmptyReason::CutShort, QStringLiteral("the PE headers end %1").arg(at(optional + 2, m_file.size())));
        return;
    }
    qint64 rvaCountAt = 0;
    if (*magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        rvaCountAt = optional + kNumberOfRvaAndSizesAt32;
    } else if (*magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        rvaCountAt = optional + kNumberOfRvaAndSizesAt64;
    } else {
        out.stop(EmptyReason::NotAnIconSource, QStringLiteral("an optional header of unknown kind 0x%1 at %2").arg(*magic, 0, 16).arg(optional));
        return;
    }
    // DataDirectory, an array of IMAGE_DATA_DIRECTORY, follows the 32-bit NumberOfRvaAndSizes.
    const qint64 dataDirectory = rvaCountAt + qint64(sizeof(quint32));
    const qint64 rsrcAt = dataDirectory + IMAGE_DIRECTORY_ENTRY_RESOURCE * IMAGE_DATA_DIRECTORY::size;
    const auto rvaCount = m_file.u32(rvaCountAt);
    const auto rsrcRva = m_file.u32(rsrcAt);
    if (!rvaCount || (*rvaCount > IMAGE_DIRECTORY_ENTRY_RESOURCE && !rsrcRva)) {
        out.stop(EmptyReason::CutShort, QStringLiteral("the data directories end %1").arg(at(rsrcAt + 4, m_file.size())));
        return;
    }
    if (*rvaCount <= IMAGE_DIRECTORY_ENTRY_RESOURCE || *rsrcRva == 0) {
        out.stop(EmptyReason::NoIconGroups, QStringLiteral("the program has no resources"));
        return;
    }

    const qint64 table = optional + fileHeader->SizeOfOptionalHeader;
    for (int i = 0; i < fileHeader->NumberOfSections; ++i) {
        const auto section = IMAGE_SECTION_HEADER::read(m_file, table + qint64(i) * IMAGE_SECTION_HEADER::size);
        if (!section)
            break;
        m_sections.push_back(*section);
    }
    m_rsrc = ByteReader(fromRva(*rsrcRva));
    if (m_rsrc.size() == 0) {
        out.stop(EmptyReason::CutShort, QStringLiteral("the resource section (RVA 0x%1) lies in no section's data inside the file")
                                            .arg(*rsrcRva, 0, 16));
        return;
    }

    std::optional<quint32> groupDir, iconDir;
    for (const auto& type : entriesAt(0)) {
        if (!type.isDirectory() || (type.Name & IMAGE_RESOURCE_NAME_IS_STRING))
            continue;
        if (type.Name == RT_GROUP_ICON && !groupDir)
            groupDir = type.target();
        else if (type.Name == RT_ICON && !iconDir)
            iconDir = type.target();
    }
    if (!groupDir) {
        out.stop(EmptyReason::NoIconGroups, QStringLiteral("the resource directory has no RT_GROUP_ICON type"));
        return;
    }
    const auto groups = entriesAt(*groupDir);
    out.groups.reserve(groups.size());
    out.names.reserve(groups.size());
    for (const auto& g : groups)
        out.addGroup(dataOf(g), nameOf(g));
    if (iconDir) {
        const auto icons = entriesAt(*iconDir);
        out.icons.reserve(qsizetype(icons.size()));
        for (const auto& e : icons) {
            if ((e.Name & IMAGE_RESOURCE_NAME_IS_STRING) || e.Name > 0xffff || out.icons.contains(quint16(e.Name)))
                continue;
            out.icons.insert(quint16(e.Name), dataOf(e));
        }
    }
}

// The file bytes from rva to the end of its section's raw data.
QByteArrayView PeReader::fromRva(quint32 rva) const
{
    for (const IMAGE_SECTION_HEADER& s : m_sections) {
        const quint64 span = qMax(s.VirtualSize, s.SizeOfRawData);
        if (rva < s.VirtualAddress || quint64(rva) >= quint64(s.VirtualAddress) + span)
            continue;
        const qint64 delta = qint64(rva) - s.VirtualAddress;
        if (delta >= qint64(s.SizeOfRawData))
            return {};
        return m_file.from(qint64(s.PointerToRawData) + delta, qint64(s.SizeOfRawData) - delta);
    }
    return {};
}

// The entries of the directory at offset, at most limit, cut to what lies inside the resource section.
std::vector<IMAGE_RESOURCE_DIRECTORY_ENTRY> PeReader::entriesAt(quint32 offset, qint64 limit) const
{
    std::vector<IMAGE_RESOURCE_DIRECTORY_ENTRY> out;
    const auto dir = IMAGE_RESOURCE_DIRECTORY::read(m_rsrc, offset);
    if (!dir)
        return out;
    const qint64 total = qMin(qint64(dir->NumberOfNamedEntries) + dir->NumberOfIdEntries, limit);
    const qint64 first = qint64(offset) + IMAGE_RESOURCE_DIRECTORY::size;
    out.reserve(size_t(qMin<qint64>(total, (m_rsrc.size() - offset) / IMAGE_RESOURCE_DIRECTORY_ENTRY::size)));
    for (qint64 i = 0; i < total; ++i) {
        const qint64 at = first + i * IMAGE_RESOURCE_DIRECTORY_ENTRY::size;
        if (!m_rsrc.has(at, IMAGE_RESOURCE_DIRECTORY_ENTRY::size))
            break;
        out.push_back({*m_rsrc.u32(at), *m_rsrc.u32(at + 4)});
    }
    return out;
}

// A name's data: the first language of its subdirectory (a data entry given directly is taken too).
QByteArrayView PeReader::dataOf(const IMAGE_RESOURCE_DIRECTORY_ENTRY& name) const
{
    quint32 dataEntry = name.OffsetToData;
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
GroupName PeReader::nameOf(const IMAGE_RESOURCE_DIRECTORY_ENTRY& entry) const
{
    GroupName n;
    if (!(entry.Name & IMAGE_RESOURCE_NAME_IS_STRING)) {
        n.name = QLatin1Char('#') + QString::number(entry.Name);
    } else {
        const qint64 string = entry.Name & ~IMAGE_RESOURCE_NAME_IS_STRING;
        const auto length = m_rsrc.u16(string);
        const QByteArrayView text = length ? m_rsrc.slice(string + 2, qint64(*length) * 2) : QByteArrayView();
        n.name.resize(text.size() / 2);
        for (qsizetype i = 0; i < n.name.size(); ++i)
            n.name[i] = QChar(qFromLittleEndian<quint16>(text.data() + 2 * i));
    }
    if (entry.isDirectory()) {
        const auto languages = entriesAt(entry.target(), 1);
        if (!languages.empty() && !(languages.front().Name & IMAGE_RESOURCE_NAME_IS_STRING))
            n.language = int(languages.front().Name & 0xffff);
    }
    return n;
}

} // namespace

void readPeResources(const ByteReader& file, qint64 header, Resources& out)
{
    PeReader(file).read(header, out);
}

} // namespace zor::iconsource
