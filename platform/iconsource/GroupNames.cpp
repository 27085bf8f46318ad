// The names and languages of the icon groups of PE and NE images. It walks the resource
// directories the way IconFile does, so name i belongs to group i.

#include "IconSource.h"

#include <QtEndian>

#include <optional>

namespace zor::iconsource {

namespace {

constexpr quint32 kTypeGroupIcon = 14;
constexpr qint64 kMaxDirectoryEntries = 0x20000;

std::optional<quint32> u32At(QByteArrayView v, qint64 off)
{
    if (off < 0 || off > v.size() - 4)
        return std::nullopt;
    return qFromLittleEndian<quint32>(v.data() + off);
}

std::optional<quint16> u16At(QByteArrayView v, qint64 off)
{
    if (off < 0 || off > v.size() - 2)
        return std::nullopt;
    return qFromLittleEndian<quint16>(v.data() + off);
}

bool isIcoFile(QByteArrayView all)
{
    const auto reserved = u16At(all, 0), type = u16At(all, 2), n = u16At(all, 4);
    return reserved && *reserved == 0 && type && (*type == 1 || *type == 2) && n && *n > 0
        && 6 + qint64(*n) * 16 <= all.size();
}

QString numbered(quint32 id) { return QLatin1Char('#') + QString::number(id); }

std::vector<GroupName> peNames(QByteArrayView all, qint64 pe)
{
    std::vector<GroupName> out;
    const qint64 coff = pe + 4;
    const auto sectionCount = u16At(all, coff + 2);
    const auto optSize = u16At(all, coff + 16);
    const qint64 opt = coff + 20;
    const auto magic = u16At(all, opt);
    if (!sectionCount || !optSize || !magic || (*magic != 0x10b && *magic != 0x20b))
        return out;
    const qint64 rvaCountAt = opt + (*magic == 0x10b ? 92 : 108);
    const auto rvaCount = u32At(all, rvaCountAt);
    const auto rsrcRva = u32At(all, rvaCountAt + 4 + 2 * 8);
    if (!rvaCount || *rvaCount < 3 || !rsrcRva || *rsrcRva == 0)
        return out;

    // The resource section's bytes, from the section that holds its address.
    QByteArrayView rsrc;
    const qint64 table = opt + *optSize;
    for (int i = 0; i < *sectionCount; ++i) {
        const qint64 s = table + qint64(i) * 40;
        const auto vsize = u32At(all, s + 8), va = u32At(all, s + 12);
        const auto rawSize = u32At(all, s + 16), rawPtr = u32At(all, s + 20);
        if (!rawPtr)
            break;
        if (*rsrcRva < *va || quint64(*rsrcRva) >= quint64(*va) + qMax(*vsize, *rawSize))
            continue;
        const qint64 delta = qint64(*rsrcRva) - *va;
        const qint64 start = qint64(*rawPtr) + delta;
        if (delta < qint64(*rawSize) && start < all.size())
            rsrc = all.sliced(start, qMin<qint64>(qint64(*rawSize) - delta, all.size() - start));
        break;
    }
    if (rsrc.isEmpty())
        return out;

    struct Entry { quint32 name, target; };
    auto entriesAt = [&](quint32 off, qint64 limit) {
        std::vector<Entry> entries;
        const auto named = u16At(rsrc, qint64(off) + 12), ids = u16At(rsrc, qint64(off) + 14);
        if (!named || !ids)
            return entries;
        const qint64 total = qMin(qint64(*named) + *ids, limit);
        for (qint64 i = 0; i < total; ++i) {
            const qint64 e = qint64(off) + 16 + i * 8;
            const auto name = u32At(rsrc, e), target = u32At(rsrc, e + 4);
            if (!name || !target)
                break;
            entries.push_back({*name, *target});
        }
        return entries;
    };
    // A name is a counted UTF-16 string inside the section.
    auto nameOf = [&](quint32 name) -> QString {
        if (!(name & 0x80000000u))
            return numbered(name);
        const qint64 at = name & 0x7fffffffu;
        const auto length = u16At(rsrc, at);
        if (!length || at + 2 + qint64(*length) * 2 > rsrc.size())
            return {};
        QString text(*length, Qt::Uninitialized);
        for (int i = 0; i < *length; ++i)
            text[i] = QChar(*u16At(rsrc, at + 2 + i * 2));
        return text;
    };

    std::optional<quint32> groupDir;
    for (const Entry& type : entriesAt(0, kMaxDirectoryEntries)) {
        if ((type.target & 0x80000000u) && !(type.name & 0x80000000u) && type.name == kTypeGroupIcon) {
            groupDir = type.target & 0x7fffffffu;
            break;
        }
    }
    if (!groupDir)
        return out;
    const auto groups = entriesAt(*groupDir, kMaxDirectoryEntries);
    out.reserve(groups.size());
    for (const Entry& g : groups) {
        GroupName n{nameOf(g.name), -1};
        // The reader takes the first language of a name's subdirectory.
        if (g.target & 0x80000000u) {
            const auto langs = entriesAt(g.target & 0x7fffffffu, 1);
            if (!langs.empty() && !(langs.front().name & 0x80000000u))
                n.language = int(langs.front().name & 0xffff);
        }
        out.push_back(std::move(n));
    }
    return out;
}

std::vector<GroupName> neNames(QByteArrayView all, qint64 ne)
{
    std::vector<GroupName> out;
    const auto tableOff = u16At(all, ne + 0x24);
    const auto namesOff = u16At(all, ne + 0x26);
    if (!tableOff || !namesOff || *tableOff == *namesOff)
        return out;
    const qint64 table = ne + *tableOff;
    const qint64 end = *namesOff > *tableOff ? qMin<qint64>(ne + *namesOff, all.size()) : all.size();
    const auto shift = u16At(all, table);
    if (!shift || *shift > 24)
        return out;
    // A name that is not a number is a counted string at an offset from the table.
    auto nameOf = [&](quint16 id) -> QString {
        if (id & 0x8000)
            return numbered(id & 0x7fff);
        const qint64 at = table + id;
        if (at >= all.size())
            return {};
        const int length = quint8(all[at]);
        if (at + 1 + length > all.size())
            return {};
        return QString::fromLatin1(all.sliced(at + 1, length));
    };
    qint64 p = table + 2;
    while (p + 8 <= end) {
        const quint16 type = *u16At(all, p);
        if (type == 0)
            break;
        const quint16 n = *u16At(all, p + 2);
        p += 8;
        for (int i = 0; i < n; ++i, p += 12) {
            if (p + 12 > end)
                return out;
            if (type == (0x8000 | kTypeGroupIcon))
                out.push_back({nameOf(*u16At(all, p + 6)), -1});
        }
    }
    return out;
}

} // namespace

std::vector<GroupName> groupNames(QByteArrayView file)
{
    if (isIcoFile(file) || !file.startsWith("MZ"))
        return {};
    const auto lfanew = u32At(file, 0x3c);
    if (!lfanew || qint64(*lfanew) > file.size() - 4)
        return {};
    const QByteArrayView sig = file.sliced(*lfanew, 4);
    if (sig == QByteArrayView("PE\0\0", 4))
        return peNames(file, *lfanew);
    if (sig.startsWith("NE"))
        return neNames(file, *lfanew);
    return {};
}

} // namespace zor::iconsource
