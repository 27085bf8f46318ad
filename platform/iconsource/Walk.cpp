// Telling a file's format by content, and walking to its icon groups.

#include "Formats.h"

#include <set>
#include <utility>

namespace zor::iconsource {

namespace {

// IMAGE_DOS_HEADER: e_magic "MZ" opens every program; e_lfanew gives the new header's offset.
constexpr Bytes kDosSignature("MZ", 2);
constexpr int64_t e_lfanew = 0x3c;

void readExecutable(const ByteReader& file, Resources& out)
{
    if (!file.bytes().starts_with(kDosSignature)) {
        out.stop(Stop::NotAnIconSource, "neither an icon file's header nor a program's (MZ) at 0");
        return;
    }
    const auto header = file.u32(e_lfanew);
    if (!header) {
        out.stop(Stop::CutShort, "the DOS header's e_lfanew " + at(e_lfanew, file.size()));
        return;
    }
    const Bytes signature = file.slice(*header, 4);
    if (signature.empty())
        out.stop(Stop::CutShort, "the new header " + at(*header, file.size()));
    else if (signature == Bytes("PE\0\0", 4))
        readPeResources(file, *header, out);
    else if (signature.starts_with("NE"))
        readNeResources(file, *header, out);
    else
        out.stop(Stop::NotAnIconSource, "a DOS program without a PE or NE header (at " + std::to_string(*header) + ")");
    if (out.groups.empty())
        out.stop(Stop::NoIconGroups, "no RT_GROUP_ICON resources");
}

} // namespace

std::string hex(uint64_t value)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789abcdef"[value % 16]);
        value /= 16;
    } while (value != 0);
    return digits;
}

std::string at(int64_t offset, int64_t size)
{
    return "at 0x" + hex(uint64_t(offset)) + ", past the end of the file's " + std::to_string(size) + " bytes";
}

namespace walk {

std::string Stop::text() const
{
    static const char* const kinds[] = {"", "not an icon source", "cut short", "no icon groups",
                                        "every image refused"};
    const std::string what = kinds[kind];
    return where.empty() ? what : what + ": " + where;
}

std::shared_ptr<const Source> Source::of(Bytes bytes, std::shared_ptr<const void> keep)
{
    auto source = std::make_shared<Source>();
    source->m_keep = std::move(keep);
    source->m_bytes = bytes;
    if (!readIcoFile(ByteReader(bytes), source->m_resources))
        readExecutable(ByteReader(bytes), source->m_resources);
    return source;
}

Stop Source::whyEmpty() const
{
    if (count() == 0)
        return m_resources.empty.kind != Stop::None ? m_resources.empty : Stop{Stop::NoIconGroups, {}};
    // Icons whose entries all lie outside the file, or point at no image, give no picture.
    // Groups that share one record are looked at once, however many they are.
    std::set<std::pair<const char*, size_t>> seen;
    for (int i = 0; i < count(); ++i) {
        const Bytes record = m_resources.groups[size_t(i)];
        if (!seen.insert({record.data(), record.size()}).second)
            continue;
        for (const Entry& e : entries(i))
            if (!e.data.empty())
                return {};
    }
    return {Stop::ImagesRefused, "no group has an image inside the file"};
}

std::vector<Entry> Source::entries(int index) const
{
    return readGroup(ByteReader(m_bytes), m_resources, index);
}

} // namespace walk

} // namespace zor::iconsource
