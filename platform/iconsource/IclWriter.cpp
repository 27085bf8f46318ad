// Icon libraries: an MZ header whose stub says the file needs Windows, then the NE header
// and its tables (resource table, resident names with the module name, empty module and
// import tables, an empty entry table, the non-resident names), then the resources, each
// on a boundary of the resource table's alignment unit: the RT_ICON images, then the
// RT_GROUP_ICON directories (GRPICONDIR, entries carrying RT_ICON ids instead of offsets).

#include "IclWriter.h"

#include "QtByteReader.h"

#include <QHash>
#include <QSet>
#include <QtEndian>

#include <optional>

namespace zor::iconsource {

namespace {

constexpr qsizetype kMzHeaderSize = 0x40;
constexpr qsizetype kNeAt = 0x80;             // after the MZ header and its stub
constexpr qsizetype kNeHeaderSize = 0x40;
constexpr qsizetype kTypeInfoSize = 8;
constexpr qsizetype kNameInfoSize = 12;
constexpr qsizetype kGroupEntrySize = 14;     // GRPICONDIRENTRY
constexpr qsizetype kIcoEntrySize = 16;       // ICONDIRENTRY
constexpr qsizetype kEntryTableSize = 2;      // one empty bundle
constexpr quint16 kIntegerId = 0x8000;
constexpr quint16 kMaxId = 0x7fff;
constexpr quint16 RT_ICON = 3;
constexpr quint16 RT_GROUP_ICON = 14;
// Moveable, pure, discardable: as resource compilers mark icons.
constexpr quint16 kResourceFlags = 0x1c30;
constexpr quint16 kFirstShift = 4;
constexpr quint16 kLastShift = 20;
constexpr qint64 kMaxLibraryBytes = qint64(2) << 30;

// DOS code: print the message that follows it, then exit with 1.
const char kStubCode[] = "\x0e\x1f\xba\x0e\x00\xb4\x09\xcd\x21\xb8\x01\x4c\xcd\x21";
const char kStubMessage[] = "This program requires Microsoft Windows.\r\n$";

void setWhy(QString* why, const QString& text)
{
    if (why)
        *why = text;
}

void put16(QByteArray& b, qsizetype at, quint16 v) { qToLittleEndian(v, b.data() + at); }
void put32(QByteArray& b, qsizetype at, quint32 v) { qToLittleEndian(v, b.data() + at); }
void append16(QByteArray& b, quint16 v)
{
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}
void appendCounted(QByteArray& b, const QByteArray& s)
{
    b.append(char(s.size()));
    b.append(s);
}

struct Resource {
    quint16 id = 0;       // with kIntegerId, or the offset of its name in the resource table
    QByteArrayView data;  // an image
    QByteArray own;       // a group directory
    QByteArrayView bytes() const { return own.isEmpty() ? data : QByteArrayView(own); }
};

// The group directory of an .ico file, its images becoming RT_ICON resources from nextId on.
std::optional<QByteArray> groupOf(QByteArrayView ico, quint16& nextId, std::vector<Resource>& icons, QString& why)
{
    const QtByteReader r(ico);
    const auto reserved = r.u16(0), type = r.u16(2), count = r.u16(4);
    if (!reserved || *reserved != 0 || !type || (*type != 1 && *type != 2) || !count || *count == 0) {
        why = QStringLiteral("not an icon file");
        return std::nullopt;
    }
    if (*type == 2) {
        why = QStringLiteral("a cursor, not an icon");
        return std::nullopt;
    }
    if (!r.has(6, qint64(*count) * kIcoEntrySize)) {
        why = QStringLiteral("its directory is cut short");
        return std::nullopt;
    }
    QByteArray group;
    append16(group, 0);
    append16(group, 1);
    append16(group, *count);
    for (int i = 0; i < *count; ++i) {
        const qint64 at = 6 + qint64(i) * kIcoEntrySize;
        const QByteArrayView image = r.slice(*r.u32(at + 12), *r.u32(at + 8));
        if (image.isEmpty()) {
            why = QStringLiteral("image %1 lies outside the file").arg(i + 1);
            return std::nullopt;
        }
        if (nextId > kMaxId) {
            why = QStringLiteral("more than %1 images in all: resource ids have 15 bits").arg(kMaxId);
            return std::nullopt;
        }
        group.append(ico.sliced(at, 12));   // the fields a group entry shares with the file's
        append16(group, nextId);
        icons.push_back({quint16(kIntegerId | nextId), image, {}});
        ++nextId;
    }
    return group;
}

// "#N" as the number N, when it is one a resource id can be.
std::optional<quint16> numberIn(const QByteArray& name)
{
    if (!name.startsWith('#'))
        return std::nullopt;
    bool ok = false;
    const uint n = name.mid(1).toUInt(&ok);
    if (!ok || n < 1 || n > kMaxId || name.mid(1) != QByteArray::number(n))
        return std::nullopt;
    return quint16(n);
}

bool plainName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 255 || name.startsWith('#'))
        return false;
    for (char c : name)
        if (c < 0x21 || c > 0x7e)
            return false;
    return true;
}

} // namespace

QByteArray moduleNameFor(const QByteArray& fileName)
{
    QByteArray base = fileName.mid(fileName.lastIndexOf('/') + 1);
    if (const qsizetype dot = base.lastIndexOf('.'); dot > 0)
        base.truncate(dot);
    QByteArray name;
    for (char c : base)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            name.append(char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
    return name.isEmpty() ? QByteArrayLiteral("ICONS") : name.left(255);
}

QByteArray writeIcl(const std::vector<IclGroup>& groups, const QByteArray& moduleName, QString* why)
{
    if (groups.empty()) {
        setWhy(why, QStringLiteral("no icons to put in the library"));
        return {};
    }
    if (!plainName(moduleName)) {
        setWhy(why, QStringLiteral("the module name must be 1 to 255 letters, digits or signs of plain ASCII"));
        return {};
    }
    if (groups.size() > kMaxId) {
        setWhy(why, QStringLiteral("%1 icons are more than an icon library holds: resource ids have 15 bits, "
                                   "and its resource table must fit in 64 KB (about 5,400 icons and images together)")
                        .arg(groups.size()));
        return {};
    }

    // Names first: numbers and strings the groups keep, each once (as Windows compares them,
    // ignoring case); the rest numbered from 1.
    std::vector<std::optional<quint16>> numbers(groups.size());
    std::vector<QByteArray> strings(groups.size());
    QSet<quint16> usedNumbers;
    QSet<QByteArray> usedStrings;
    for (size_t i = 0; i < groups.size(); ++i) {
        const QByteArray& name = groups[i].name;
        if (const auto n = numberIn(name); n && !usedNumbers.contains(*n)) {
            numbers[i] = n;
            usedNumbers.insert(*n);
        } else if (plainName(name) && !usedStrings.contains(name.toUpper())) {
            strings[i] = name.toUpper();
            usedStrings.insert(strings[i]);
        }
    }
    quint16 next = 1;
    for (size_t i = 0; i < groups.size(); ++i) {
        if (numbers[i] || !strings[i].isEmpty())
            continue;
        while (usedNumbers.contains(next))
            ++next;
        numbers[i] = next;
        usedNumbers.insert(next);
    }

    std::vector<Resource> icons, directories;
    quint16 nextIcon = 1;
    for (size_t i = 0; i < groups.size(); ++i) {
        QString problem;
        auto directory = groupOf(groups[i].ico, nextIcon, icons, problem);
        if (!directory) {
            setWhy(why, QStringLiteral("icon %1: %2").arg(i + 1).arg(problem));
            return {};
        }
        directories.push_back({numbers[i] ? quint16(kIntegerId | *numbers[i]) : quint16(0), {}, *directory});
    }

    // The resource table, with the names after it.
    const qsizetype tableAt = kNeHeaderSize;   // from the NE header
    QByteArray names;
    const qsizetype namesAt = 2 + 2 * kTypeInfoSize + kNameInfoSize * qsizetype(icons.size() + directories.size()) + 2;
    for (size_t i = 0; i < directories.size(); ++i) {
        if (directories[i].id)
            continue;
        const qsizetype at = namesAt + names.size();
        if (at > 0xffff)
            break;   // too large a table anyway; told below
        directories[i].id = quint16(at);
        appendCounted(names, strings[i]);
    }
    names.append('\0');
    const qsizetype tableSize = namesAt + names.size();

    QByteArray resident;
    appendCounted(resident, moduleName);
    append16(resident, 0);   // the module name's ordinal
    resident.append('\0');
    const qsizetype residentAt = tableAt + tableSize;
    const qsizetype importsAt = residentAt + resident.size();   // module references: none
    const qsizetype entriesAt = importsAt + 1;                    // imported names: the empty one
    if (entriesAt + kEntryTableSize > 0xffff) {
        const qsizetype fixed = entriesAt + kEntryTableSize
            - kNameInfoSize * qsizetype(icons.size() + directories.size()) - names.size() + 1;
        setWhy(why, QStringLiteral("%1 icons with %2 images are more than an icon library holds: its resource "
                                   "table must fit in 64 KB, room for %3 icons and images together")
                        .arg(groups.size()).arg(icons.size()).arg((0xffff - fixed) / kNameInfoSize));
        return {};
    }
    QByteArray nonResident;
    appendCounted(nonResident, moduleName);   // the description
    append16(nonResident, 0);
    nonResident.append('\0');
    const qsizetype nonResidentAt = kNeAt + entriesAt + kEntryTableSize;
    const qsizetype headersEnd = nonResidentAt + nonResident.size();

    // The smallest alignment at which every offset and length fits 16 bits.
    std::vector<const Resource*> order;
    for (const auto* list : {&icons, &directories})
        for (const Resource& r : *list)
            order.push_back(&r);
    quint16 shift = kFirstShift;
    qint64 end = 0;
    for (;; ++shift) {
        if (shift > kLastShift) {
            setWhy(why, QStringLiteral("the icons are too large for one icon library"));
            return {};
        }
        const qint64 unit = qint64(1) << shift;
        bool fits = true;
        end = headersEnd;
        for (const Resource* r : order) {
            end = (end + unit - 1) / unit * unit;
            if ((end >> shift) > 0xffff || (r->bytes().size() + unit - 1) / unit > 0xffff) {
                fits = false;
                break;
            }
            end += r->bytes().size();
        }
        end = (end + unit - 1) / unit * unit;
        if (fits && end <= kMaxLibraryBytes)
            break;
    }
    const qint64 unit = qint64(1) << shift;

    QByteArray out(headersEnd, '\0');
    out.reserve(end);
    // MZ header and stub.
    out[0] = 'M';
    out[1] = 'Z';
    put16(out, 0x02, quint16(kNeAt));   // bytes in the last page: the DOS image is the header and stub
    put16(out, 0x04, 1);                // pages
    put16(out, 0x08, quint16(kMzHeaderSize / 16));
    put16(out, 0x0c, 0xffff);           // most paragraphs it asks for
    put16(out, 0x10, quint16(kNeAt + 0x38));   // a stack past the stub
    put16(out, 0x18, quint16(kMzHeaderSize));  // relocations at 0x40: a new-style executable
    put32(out, 0x3c, quint32(kNeAt));
    out.replace(kMzHeaderSize, sizeof kStubCode - 1, QByteArray(kStubCode, sizeof kStubCode - 1));
    out.replace(kMzHeaderSize + sizeof kStubCode - 1, sizeof kStubMessage - 1, kStubMessage);

    // NE header.
    const qsizetype ne = kNeAt;
    out[ne] = 'N';
    out[ne + 1] = 'E';
    out[ne + 2] = 5;    // linker version 5.10
    out[ne + 3] = 10;
    put16(out, ne + 0x04, quint16(entriesAt));
    put16(out, ne + 0x06, quint16(kEntryTableSize));
    put16(out, ne + 0x0c, 0x8000);   // a library
    put16(out, ne + 0x20, quint16(nonResident.size()));
    put16(out, ne + 0x22, quint16(tableAt));   // segments: none
    put16(out, ne + 0x24, quint16(tableAt));
    put16(out, ne + 0x26, quint16(residentAt));
    put16(out, ne + 0x28, quint16(importsAt));
    put16(out, ne + 0x2a, quint16(importsAt));
    put32(out, ne + 0x2c, quint32(nonResidentAt));
    put16(out, ne + 0x32, shift);
    out[ne + 0x36] = 2;                  // Windows
    put16(out, ne + 0x3e, 0x030a);       // 3.10

    out.replace(ne + residentAt, resident.size(), resident);
    out.replace(nonResidentAt, nonResident.size(), nonResident);
    out.replace(ne + tableAt + namesAt, names.size(), names);

    // The resource table, placing each resource after the headers as it goes.
    qsizetype p = ne + tableAt;
    put16(out, p, shift);
    p += 2;
    for (const auto& [type, list] : {std::pair{RT_ICON, &icons}, std::pair{RT_GROUP_ICON, &directories}}) {
        put16(out, p, quint16(kIntegerId | type));
        put16(out, p + 2, quint16(list->size()));
        p += kTypeInfoSize;
        for (const Resource& r : *list) {
            out.append(QByteArray((unit - out.size() % unit) % unit, '\0'));
            put16(out, p, quint16(out.size() >> shift));
            put16(out, p + 2, quint16((r.bytes().size() + unit - 1) >> shift));
            put16(out, p + 4, kResourceFlags);
            put16(out, p + 6, r.id);
            p += kNameInfoSize;
            out.append(r.bytes().data(), r.bytes().size());
        }
    }
    out.append(QByteArray((unit - out.size() % unit) % unit, '\0'));
    return out;
}

} // namespace zor::iconsource
