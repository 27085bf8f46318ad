#include "IconSource.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QtEndian>

#include <bit>
#include <cstdlib>
#include <deque>
#include <limits>
#include <optional>

namespace zor::iconsource {

namespace {

constexpr quint16 kTypeIcon = 3;
constexpr quint16 kTypeGroupIcon = 14;
constexpr int kMaxDecodedSide = 256;
// Real groups hold a few dozen images; a hostile one repeated in every group must not make
// a load quadratic.
constexpr int kMaxGroupEntries = 256;
// An .ico rebuilt from a group never grows past this, whatever its entries claim.
constexpr qint64 kMaxIcoBytes = 128 * 1024 * 1024;
// Files read whole when they cannot be mapped (pipes, some special files) stop here.
constexpr qint64 kMaxReadBytes = 256 * 1024 * 1024;
constexpr qint64 kReadWholeBytes = 4 * 1024 * 1024;

// Little-endian reads that answer nullopt instead of reading past the end.
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

quint8 u8At(QByteArrayView v, qint64 off)
{
    return (off >= 0 && off < v.size()) ? quint8(v[off]) : 0;
}

// The bytes [off, off + len) when they lie wholly inside v, else an empty view.
QByteArrayView slice(QByteArrayView v, qint64 off, qint64 len)
{
    if (off < 0 || len <= 0 || off > v.size() || len > v.size() - off)
        return {};
    return v.sliced(off, len);
}

bool isPng(QByteArrayView data)
{
    return data.startsWith(QByteArrayView("\x89PNG\r\n\x1a\n", 8));
}

int sideOf(int stored) { return stored == 0 ? 256 : stored; }

// Colour depth of a stored image, from its own header where it has one.
int depthOf(const GroupEntry& e)
{
    // Planes times bits, kept small: hostile fields may hold anything up to 65535 each.
    auto product = [](int bits, int planes) { return int(qMin<qint64>(qint64(bits) * qMax(planes, 1), 1 << 16)); };
    if (isPng(e.data))
        return 32;
    if (auto size = u32At(e.data, 0); size && *size >= 40) {
        const int planes = u16At(e.data, 12).value_or(1);
        const int bits = u16At(e.data, 14).value_or(0);
        if (bits > 0)
            return product(bits, planes);
    }
    if (e.bitCount > 0)
        return product(e.bitCount, e.planes);
    int depth = 0;
    for (int colors = e.colorCount; colors > 1; colors >>= 1)
        ++depth;
    return depth;
}

QImage decodePng(QByteArrayView data)
{
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(4);   // MB; the side check below keeps us far under it
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxDecodedSide || size.height() > kMaxDecodedSide)
        return {};
    return reader.read();
}

// A DIB as icons store it: header, palette, colour rows, then the AND mask rows, bottom-up.
// Qt's ICO plugin drops the AND mask of 8- and 24-bit images and refuses 16-bit ones, so
// the pixels are read here; PNG images still go to Qt.
QImage decodeDib(QByteArrayView data)
{
    const auto headerSize = u32At(data, 0);
    const auto width = u32At(data, 4);
    const auto height = u32At(data, 8);
    const auto bits = u16At(data, 14);
    const auto compression = u32At(data, 16);
    const auto colorsUsed = u32At(data, 32);
    if (!headerSize || *headerSize < 40 || !colorsUsed)
        return {};
    const qint32 w = qint32(*width);
    const qint32 h = qint32(*height) / 2;   // XOR rows and AND rows
    if (w <= 0 || h <= 0 || w > kMaxDecodedSide || h > kMaxDecodedSide)
        return {};
    const int depth = *bits;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return {};
    const bool bitfields = *compression == 3 && (depth == 16 || depth == 32);
    if (*compression != 0 && !bitfields)
        return {};

    qint64 at = *headerSize;
    QList<QRgb> palette;
    if (depth <= 8) {
        const quint32 maxColors = 1u << depth;
        const quint32 n = (*colorsUsed == 0 || *colorsUsed > maxColors) ? maxColors : *colorsUsed;
        const QByteArrayView table = slice(data, at, qint64(n) * 4);
        if (table.isEmpty())
            return {};
        palette.resize(maxColors, qRgb(0, 0, 0));
        for (quint32 i = 0; i < n; ++i)
            palette[i] = qRgb(quint8(table[i * 4 + 2]), quint8(table[i * 4 + 1]), quint8(table[i * 4]));
        at += qint64(n) * 4;
    }
    quint32 masks[3] = {0x7c00, 0x03e0, 0x001f};
    if (bitfields) {
        for (int i = 0; i < 3; ++i) {
            const auto m = u32At(data, *headerSize == 40 ? at + i * 4 : 40 + i * 4);
            if (!m || *m == 0)
                return {};
            masks[i] = *m;
        }
        if (*headerSize == 40)
            at += 12;
    } else if (depth == 32) {
        masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff;
    }

    const qint64 xorStride = (qint64(w) * depth + 31) / 32 * 4;
    const qint64 andStride = (qint64(w) + 31) / 32 * 4;
    const QByteArrayView xorRows = slice(data, at, xorStride * h);
    if (xorRows.isEmpty())
        return {};
    const QByteArrayView andRows = slice(data, at + xorStride * h, andStride * h);   // may be missing

    // Scales a masked channel to 0..255.
    auto channel = [](quint32 value, quint32 mask) -> int {
        const int shift = std::countr_zero(mask);
        const quint32 max = mask >> shift;
        return max ? int(((value & mask) >> shift) * 255 / max) : 0;
    };

    QImage image(w, h, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
        const uchar* row = reinterpret_cast<const uchar*>(xorRows.data()) + (h - 1 - y) * xorStride;
        QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            switch (depth) {
            case 1: out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: out[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xf]; break;
            case 8: out[x] = palette[row[x]]; break;
            case 16: {
                const quint32 v = qFromLittleEndian<quint16>(row + x * 2);
                out[x] = qRgb(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
                break;
            }
            case 24: out[x] = qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]); break;
            case 32: {
                const quint32 v = qFromLittleEndian<quint32>(row + x * 4);
                const int alpha = row[x * 4 + 3];
                anyAlpha = anyAlpha || alpha != 0;
                out[x] = bitfields ? qRgba(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]), alpha)
                                   : qRgba(row[x * 4 + 2], row[x * 4 + 1], row[x * 4], alpha);
                break;
            }
            }
        }
    }
    // A 32-bit image with an alpha channel ignores its mask; every other one uses it.
    const bool useMask = !(depth == 32 && anyAlpha);
    for (int y = 0; y < h; ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uchar* mask = andRows.isEmpty() ? nullptr
                                              : reinterpret_cast<const uchar*>(andRows.data()) + (h - 1 - y) * andStride;
        for (int x = 0; x < w; ++x) {
            const bool transparent = mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
            if (useMask)
                out[x] = transparent ? 0 : (out[x] | 0xff000000u);
        }
    }
    return image;
}

QImage fitted(QImage image, QSize size)
{
    if (image.isNull() || image.size() == size)
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

struct IconFile::Parsed {
    std::unique_ptr<QFile> file;   // keeps the mapping alive
    QByteArray bytes;              // the data when it was read or given
    QByteArrayView all;

    bool isIcoFile = false;        // an ICO or CUR file: one group, the file's own directory
    bool isCursor = false;
    std::vector<QByteArrayView> groups;     // GRPICONDIR data, in directory order
    QHash<quint16, QByteArrayView> icons;   // RT_ICON by id (first language)

    // The last few pictures made. Libraries share images between groups, and a hostile file
    // can point thousands of groups at one huge image; each is then decoded once.
    struct Made { const char* data; qsizetype size; QSize wanted; QImage image; };
    mutable QMutex madeLock;
    mutable std::deque<Made> made;
    QImage picture(const GroupEntry& entry, QSize wanted) const;

    void parseIco();
    void parseExecutable();
    void parsePe(qint64 pe);
    void parseNe(qint64 ne);
};

void IconFile::Parsed::parseIco()
{
    const auto reserved = u16At(all, 0);
    const auto type = u16At(all, 2);
    const auto n = u16At(all, 4);
    if (!reserved || *reserved != 0 || !type || (*type != 1 && *type != 2) || !n || *n == 0)
        return;
    if (6 + qint64(*n) * 16 > all.size())
        return;
    isIcoFile = true;
    isCursor = *type == 2;
    groups.push_back(all);
}

void IconFile::Parsed::parseExecutable()
{
    if (!all.startsWith("MZ"))
        return;
    const auto lfanew = u32At(all, 0x3c);
    if (!lfanew)
        return;
    const QByteArrayView sig = slice(all, *lfanew, 4);
    if (sig == QByteArrayView("PE\0\0", 4))
        parsePe(*lfanew);
    else if (sig.startsWith("NE"))
        parseNe(*lfanew);
}

void IconFile::Parsed::parsePe(qint64 pe)
{
    const qint64 coff = pe + 4;
    const auto sectionCount = u16At(all, coff + 2);
    const auto optSize = u16At(all, coff + 16);
    const qint64 opt = coff + 20;
    const auto magic = u16At(all, opt);
    if (!sectionCount || !optSize || !magic)
        return;
    qint64 rvaCountAt = 0;
    if (*magic == 0x10b)
        rvaCountAt = opt + 92;
    else if (*magic == 0x20b)
        rvaCountAt = opt + 108;
    else
        return;
    const auto rvaCount = u32At(all, rvaCountAt);
    if (!rvaCount || *rvaCount < 3)
        return;
    const auto rsrcRva = u32At(all, rvaCountAt + 4 + 2 * 8);
    if (!rsrcRva || *rsrcRva == 0)
        return;

    struct Section { quint32 va, vsize, rawSize, rawPtr; };
    std::vector<Section> sections;
    const qint64 table = opt + *optSize;
    for (int i = 0; i < *sectionCount; ++i) {
        const qint64 s = table + qint64(i) * 40;
        const auto vsize = u32At(all, s + 8), va = u32At(all, s + 12);
        const auto rawSize = u32At(all, s + 16), rawPtr = u32At(all, s + 20);
        if (!rawPtr)
            break;
        sections.push_back({*va, *vsize, *rawSize, *rawPtr});
    }
    // The file bytes from rva to the end of its section's raw data.
    auto fromRva = [&](quint32 rva) -> QByteArrayView {
        for (const Section& s : sections) {
            const quint64 span = qMax(s.vsize, s.rawSize);
            if (rva < s.va || quint64(rva) >= quint64(s.va) + span)
                continue;
            const qint64 delta = qint64(rva) - s.va;
            const qint64 start = qint64(s.rawPtr) + delta;
            if (delta >= qint64(s.rawSize) || start >= all.size())
                return {};
            return all.sliced(start, qMin<qint64>(qint64(s.rawSize) - delta, all.size() - start));
        }
        return {};
    };

    const QByteArrayView rsrc = fromRva(*rsrcRva);
    if (rsrc.isEmpty())
        return;

    struct Entry { quint32 name, target; };
    // Entries of the directory at off, at most limit, cut to what lies inside the resource section.
    auto entriesAt = [&](quint32 off, qint64 limit = 0x20000) {
        std::vector<Entry> out;
        const auto named = u16At(rsrc, qint64(off) + 12), ids = u16At(rsrc, qint64(off) + 14);
        if (!named || !ids)
            return out;
        const qint64 total = qMin(qint64(*named) + *ids, limit);
        out.reserve(size_t(qMin<qint64>(total, (rsrc.size() - off) / 8)));
        for (qint64 i = 0; i < total; ++i) {
            const qint64 e = qint64(off) + 16 + i * 8;
            const auto name = u32At(rsrc, e), target = u32At(rsrc, e + 4);
            if (!name || !target)
                break;
            out.push_back({*name, *target});
        }
        return out;
    };
    // A name's data: the first language of its subdirectory (a leaf given directly is taken too).
    auto dataOf = [&](quint32 target) -> QByteArrayView {
        if (target & 0x80000000u) {
            const auto langs = entriesAt(target & 0x7fffffffu, 1);
            if (langs.empty() || (langs.front().target & 0x80000000u))
                return {};
            target = langs.front().target;
        }
        const auto rva = u32At(rsrc, target), size = u32At(rsrc, qint64(target) + 4);
        if (!rva || !size)
            return {};
        return slice(fromRva(*rva), 0, *size);
    };

    std::optional<quint32> groupDir, iconDir;
    for (const Entry& type : entriesAt(0)) {
        if (!(type.target & 0x80000000u) || (type.name & 0x80000000u))
            continue;
        if (type.name == kTypeGroupIcon && !groupDir)
            groupDir = type.target & 0x7fffffffu;
        else if (type.name == kTypeIcon && !iconDir)
            iconDir = type.target & 0x7fffffffu;
    }
    if (!groupDir)
        return;
    const auto groupEntries = entriesAt(*groupDir);
    groups.reserve(groupEntries.size());
    for (const Entry& g : groupEntries)
        groups.push_back(dataOf(g.target));
    if (iconDir) {
        const auto iconEntries = entriesAt(*iconDir);
        icons.reserve(qsizetype(iconEntries.size()));
        for (const Entry& e : iconEntries) {
            if (e.name & 0x80000000u || e.name > 0xffff || icons.contains(quint16(e.name)))
                continue;
            icons.insert(quint16(e.name), dataOf(e.target));
        }
    }
}

void IconFile::Parsed::parseNe(qint64 ne)
{
    const auto tableOff = u16At(all, ne + 0x24);
    const auto namesOff = u16At(all, ne + 0x26);
    if (!tableOff || !namesOff || *tableOff == *namesOff)
        return;
    const qint64 table = ne + *tableOff;
    // The resident-name table follows the resource table; without that order read to the end.
    const qint64 end = *namesOff > *tableOff ? qMin<qint64>(ne + *namesOff, all.size()) : all.size();
    const auto shift = u16At(all, table);
    if (!shift || *shift > 24)
        return;
    qint64 p = table + 2;
    while (p + 8 <= end) {
        const quint16 type = *u16At(all, p);
        if (type == 0)
            break;
        const quint16 n = *u16At(all, p + 2);
        p += 8;
        for (int i = 0; i < n; ++i, p += 12) {
            if (p + 12 > end)
                return;
            const qint64 off = qint64(*u16At(all, p)) << *shift;
            const qint64 len = qint64(*u16At(all, p + 2)) << *shift;
            const quint16 id = *u16At(all, p + 6);
            if (type == (0x8000 | kTypeGroupIcon))
                groups.push_back(slice(all, off, len));
            else if (type == (0x8000 | kTypeIcon) && (id & 0x8000) && !icons.contains(id & 0x7fff))
                icons.insert(id & 0x7fff, slice(all, off, len));
        }
    }
}

IconFile::IconFile(const QString& path)
{
    // Only regular files: opening a FIFO would wait for a writer, a device may never end.
    if (!QFileInfo(path).isFile())
        return;
    auto parsed = std::make_shared<Parsed>();
    parsed->file = std::make_unique<QFile>(path);
    QFile& file = *parsed->file;
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Small files are read in one go: mapping and unmapping costs more than reading
    // them, which shows when a folder of thousands of icons is listed.
    uchar* mapped = file.size() > kReadWholeBytes ? file.map(0, file.size()) : nullptr;
    if (mapped) {
        parsed->all = QByteArrayView(mapped, file.size());
    } else if (file.size() > 0 && file.size() <= kReadWholeBytes) {
        // Exactly the file's size: a larger buffer would be mapped and unmapped by malloc.
        parsed->bytes.resize(file.size());
        const qint64 got = file.read(parsed->bytes.data(), file.size());
        parsed->bytes.resize(std::max<qint64>(got, 0));
        parsed->all = parsed->bytes;
    } else {
        parsed->bytes = file.read(kMaxReadBytes);
        parsed->all = parsed->bytes;
    }
    d = std::move(parsed);
    parse();
}

IconFile IconFile::fromData(const QByteArray& bytes)
{
    IconFile f;
    auto parsed = std::make_shared<Parsed>();
    parsed->bytes = bytes;
    parsed->all = parsed->bytes;
    f.d = std::move(parsed);
    f.parse();
    return f;
}

void IconFile::parse()
{
    auto* p = const_cast<Parsed*>(d.get());
    p->parseIco();
    if (!p->isIcoFile)
        p->parseExecutable();
}

int IconFile::count() const
{
    return d ? int(d->groups.size()) : 0;
}

std::vector<GroupEntry> IconFile::entries(int index) const
{
    std::vector<GroupEntry> out;
    if (index < 0 || index >= count())
        return out;
    const QByteArrayView dir = d->groups[size_t(index)];
    const auto stored = u16At(dir, 4);
    if (!stored)
        return out;
    const int entrySize = d->isIcoFile ? 16 : 14;
    const int n = qMin<int>(*stored, kMaxGroupEntries);
    out.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const qint64 e = 6 + qint64(i) * entrySize;
        const auto bytes = u32At(dir, e + 8);
        const auto last = u16At(dir, e + entrySize - 2);
        if (!bytes || !last)
            break;
        GroupEntry g;
        g.owner = d;
        g.width = sideOf(u8At(dir, e));
        g.height = sideOf(u8At(dir, e + 1));
        g.colorCount = u8At(dir, e + 2);
        g.planes = *u16At(dir, e + 4);
        g.bitCount = *u16At(dir, e + 6);
        if (d->isIcoFile) {
            g.data = slice(d->all, *u32At(dir, e + 12), *bytes);
            if (d->isCursor) {   // these fields hold the hotspot in a cursor
                g.planes = 1;
                g.bitCount = 0;
                g.bitCount = depthOf(g);
            }
        } else {
            const QByteArrayView stored = d->icons.value(*last);
            // NE lengths are rounded up to the alignment unit; the group knows the true size.
            g.data = (*bytes > 0 && *bytes < quint32(stored.size())) ? stored.first(*bytes) : stored;
        }
        out.push_back(g);
    }
    return out;
}

int chooseEntry(const std::vector<GroupEntry>& entries, QSize wanted)
{
    int best = -1;
    int bestDistance = 0, bestArea = 0, bestDepthGap = 0;
    for (int i = 0; i < int(entries.size()); ++i) {
        const GroupEntry& e = entries[size_t(i)];
        const int distance = std::abs(e.width - wanted.width()) + std::abs(e.height - wanted.height());
        const int area = e.width * e.height;
        const int depthGap = std::abs(depthOf(e) - 32);
        const bool better = best < 0 || distance < bestDistance
            || (distance == bestDistance && (area > bestArea
                || (area == bestArea && depthGap < bestDepthGap)));
        if (better) {
            best = i;
            bestDistance = distance;
            bestArea = area;
            bestDepthGap = depthGap;
        }
    }
    return best;
}

QImage decodeEntry(const GroupEntry& entry)
{
    if (entry.data.isEmpty())
        return {};
    return isPng(entry.data) ? decodePng(entry.data) : decodeDib(entry.data);
}

QImage IconFile::Parsed::picture(const GroupEntry& entry, QSize wanted) const
{
    // Remembered under the wanted size, and the decoded original under an invalid size.
    constexpr size_t kRemembered = 16;
    auto recall = [&](QSize size) -> std::optional<QImage> {
        QMutexLocker lock(&madeLock);
        for (const Made& m : made)
            if (m.data == entry.data.data() && m.size == entry.data.size() && m.wanted == size)
                return m.image;
        return std::nullopt;
    };
    auto remember = [&](QSize size, const QImage& image) {
        QMutexLocker lock(&madeLock);
        made.push_front({entry.data.data(), entry.data.size(), size, image});
        if (made.size() > kRemembered)
            made.pop_back();
    };
    if (auto image = recall(wanted))
        return *image;
    QImage original;
    if (auto image = recall(QSize()))
        original = *image;
    else
        remember(QSize(), original = decodeEntry(entry));
    QImage image = fitted(original, wanted);
    if (image.size() != original.size())   // an exact-size image is already remembered
        remember(wanted, image);
    return image;
}

IconPair IconFile::extract(int index, QSize large, QSize small) const
{
    const auto list = entries(index);
    const int li = chooseEntry(list, large);
    const int si = chooseEntry(list, small);
    if (li < 0)
        return {};
    return {d->picture(list[size_t(li)], large), d->picture(list[size_t(si)], small)};
}

QImage IconFile::image(int index, QSize size) const
{
    const auto list = entries(index);
    const int i = chooseEntry(list, size);
    return i < 0 ? QImage() : d->picture(list[size_t(i)], size);
}

QByteArray IconFile::groupAsIco(int index) const
{
    const auto list = entries(index);
    if (list.empty())
        return {};
    qint64 total = 6 + qint64(list.size()) * 16;
    for (const GroupEntry& e : list) {
        if (e.data.isEmpty())
            return {};
        total += e.data.size();
    }
    if (total > kMaxIcoBytes)
        return {};

    QByteArray out(6 + qsizetype(list.size()) * 16, '\0');
    uchar* p = reinterpret_cast<uchar*>(out.data());
    qToLittleEndian<quint16>(1, p + 2);
    qToLittleEndian<quint16>(quint16(list.size()), p + 4);
    quint32 offset = quint32(out.size());
    for (size_t i = 0; i < list.size(); ++i) {
        const GroupEntry& e = list[i];
        uchar* q = p + 6 + i * 16;
        q[0] = uchar(e.width & 0xff);
        q[1] = uchar(e.height & 0xff);
        q[2] = uchar(e.colorCount);
        qToLittleEndian<quint16>(quint16(e.planes), q + 4);
        qToLittleEndian<quint16>(quint16(e.bitCount), q + 6);
        qToLittleEndian<quint32>(quint32(e.data.size()), q + 8);
        qToLittleEndian<quint32>(offset, q + 12);
        offset += quint32(e.data.size());
    }
    out.reserve(qsizetype(total));
    for (const GroupEntry& e : list)
        out.append(e.data.data(), e.data.size());
    return out;
}

int countIcons(const QString& path)
{
    return IconFile(path).count();
}

std::vector<IconPair> extractIcons(const QString& path, int first, int count, QSize large, QSize small)
{
    std::vector<IconPair> out;
    const IconFile file(path);
    if (count <= 0 || first < 0 || first >= file.count())
        return out;
    const int last = int(qMin<qint64>(qint64(first) + count, file.count()));
    out.reserve(size_t(last - first));
    for (int i = first; i < last; ++i)
        out.push_back(file.extract(i, large, small));
    return out;
}

} // namespace zor::iconsource
