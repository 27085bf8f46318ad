#include "IconFixtures.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zor::iconfixtures {

QStringList missingTools(const QStringList& tools)
{
    QStringList missing;
    for (const QString& t : tools)
        if (QStandardPaths::findExecutable(t).isEmpty())
            missing << t;
    return missing;
}

QByteArray runTool(const QString& program, const QStringList& args, const QString& workDir)
{
    if (!missingTools({program}).isEmpty())
        throw ToolError(QStringLiteral("%1 is not installed (make deps installs it)").arg(program).toStdString());
    QProcess p;
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        throw ToolError(QStringLiteral("%1 %2 failed: %3")
                            .arg(program, args.join(u' '), QString::fromLocal8Bit(p.readAllStandardError()))
                            .toStdString());
    }
    return p.readAllStandardOutput();
}

QImage drawIcon(int size, int bits, int seed)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int cx = x - size / 2, cy = y - size / 2;
            const bool inside = cx * cx + cy * cy < (size * size) / 4 + seed % 7;
            if (!inside && bits < 32)
                continue;
            QRgb c = 0;
            switch (bits) {
            case 1:
                c = ((x / 2 + y + seed) % 3) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                break;
            case 4:
                c = qRgb((x + seed) % 4 * 85, (y % 4) * 85, 0);
                break;
            case 8:
                c = qRgb((x + seed) % 16 * 16, (y % 16) * 16, 128);
                break;
            case 24:
                c = qRgb((x * 7 + seed) % 256, (y * 13) % 256, (x * y + seed * 31) % 256);
                break;
            default: {
                const int alpha = inside ? 255 - (x * 255 / size) / 2 : (x + y + seed) % 3 * 40;
                c = qRgba((x * 5 + seed * 17) % 256, (y * 9) % 256, (seed * 53) % 256, alpha);
            }
            }
            image.setPixel(x, y, c);
        }
    }
    return image;
}

QImage drawPicture(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed * 29) % 256, (y * 5) % 256, (x + y + seed) % 2 * 200));
    return image;
}

QString makeIco(const QString& dir, const QString& name, const std::vector<IcoImage>& images, bool cursor)
{
    QStringList args{QStringLiteral("-c"), QStringLiteral("-o"), name};
    if (cursor)
        args << QStringLiteral("--cursor") << QStringLiteral("-X") << QStringLiteral("3")
             << QStringLiteral("-Y") << QStringLiteral("5");
    int n = 0;
    for (const IcoImage& im : images) {
        const QString png = QStringLiteral("%1.%2.png").arg(name).arg(n++);
        const QImage picture = im.height > 0 ? drawPicture(im.size, im.height, im.seed)
                                             : drawIcon(im.size, im.bits, im.seed);
        if (!picture.save(QDir(dir).filePath(png)))
            throw ToolError("cannot write " + png.toStdString());
        if (im.png)
            args << QStringLiteral("-r") << png;
        else
            args << QStringLiteral("-b") << QString::number(im.bits) << png;
    }
    runTool(QStringLiteral("icotool"), args, dir);
    return QDir(dir).filePath(name);
}

QString makePe(const QString& dir, const QString& name, const QString& rcText, bool pe64, PeKind kind)
{
    const QString prefix = pe64 ? QStringLiteral("x86_64-w64-mingw32-") : QStringLiteral("i686-w64-mingw32-");
    const QString rc = name + QStringLiteral(".rc"), obj = name + QStringLiteral(".res.o");
    if (!writeBytes(QDir(dir).filePath(rc), rcText.toUtf8()))
        throw ToolError("cannot write " + rc.toStdString());
    runTool(prefix + QStringLiteral("windres"),
            {QStringLiteral("--preprocessor=cpp"), QStringLiteral("-i"), rc, QStringLiteral("-O"),
             QStringLiteral("coff"), QStringLiteral("-o"), obj},
            dir);
    QStringList ld;
    if (kind != PeKind::Exe)
        ld << QStringLiteral("-shared");
    // No time stamp: the same script makes the same bytes, so the fuzz corpus stays put.
    ld << QStringLiteral("--no-insert-timestamp") << QStringLiteral("-e") << QStringLiteral("0")
       << QStringLiteral("-o") << name << obj;
    runTool(prefix + QStringLiteral("ld"), ld, dir);
    return QDir(dir).filePath(name);
}

namespace {

void put16(QByteArray& b, qsizetype at, quint16 v) { qToLittleEndian(v, b.data() + at); }
void put32(QByteArray& b, qsizetype at, quint32 v) { qToLittleEndian(v, b.data() + at); }
void append16(QByteArray& b, quint16 v) { b.append(char(v & 0xff)).append(char(v >> 8)); }

struct IcoImageData {
    QByteArray header;   // the 16-byte directory entry
    QByteArray data;
};

std::vector<IcoImageData> icoImages(const QByteArray& ico)
{
    std::vector<IcoImageData> out;
    const int n = qFromLittleEndian<quint16>(ico.constData() + 4);
    for (int i = 0; i < n; ++i) {
        const QByteArray entry = ico.mid(6 + i * 16, 16);
        const quint32 size = qFromLittleEndian<quint32>(entry.constData() + 8);
        const quint32 offset = qFromLittleEndian<quint32>(entry.constData() + 12);
        out.push_back({entry, ico.mid(offset, size)});
    }
    return out;
}

} // namespace

QByteArray neLibrary(const std::vector<QByteArray>& icoFiles)
{
    struct Resource { quint16 id; QByteArray data; };
    std::vector<Resource> icons, groups;
    for (const QByteArray& ico : icoFiles) {
        const auto images = icoImages(ico);
        QByteArray group;
        append16(group, 0);
        append16(group, 1);
        append16(group, quint16(images.size()));
        for (const auto& im : images) {
            const quint16 id = quint16(icons.size() + 1);
            group.append(im.header.left(12));
            append16(group, id);
            icons.push_back({id, im.data});
        }
        groups.push_back({quint16(groups.size() + 1), group});
    }

    const QByteArray moduleName("ICONS");
    const qsizetype tableSize = 2 + 8 + 12 * qsizetype(icons.size()) + 8 + 12 * qsizetype(groups.size()) + 2 + 1;
    const qsizetype residentSize = 1 + moduleName.size() + 2 + 1;
    const qsizetype neAt = 0x40;
    const qsizetype table = 0x40;   // relative to the NE header
    const qsizetype resident = table + tableSize;
    const qsizetype imports = resident + residentSize;   // module refs and imported names: empty
    const qsizetype entries = imports + 1;
    const qsizetype nonResident = neAt + entries + 2;
    const QByteArray description("zor test icons");
    const qsizetype headersEnd = nonResident + 1 + description.size() + 2 + 1;
    if (entries > 0xffff)   // the header addresses its tables with 16 bits
        throw ToolError("too many resources for an NE image");

    // The smallest alignment whose 16-bit offsets still reach the end of the file.
    quint16 shift = 4;
    for (;; ++shift) {
        const qint64 unit = qint64(1) << shift;
        qint64 end = headersEnd;
        for (const auto* list : {&icons, &groups})
            for (const Resource& r : *list)
                end = (end + unit - 1) / unit * unit + r.data.size();
        if ((end >> shift) < 0xffff)
            break;
    }

    QByteArray out(headersEnd, '\0');
    out[0] = 'M';
    out[1] = 'Z';
    put32(out, 0x3c, quint32(neAt));
    out[neAt] = 'N';
    out[neAt + 1] = 'E';
    out[neAt + 2] = 5;
    out[neAt + 3] = 10;
    put16(out, neAt + 0x04, quint16(entries));
    put16(out, neAt + 0x06, 2);
    put16(out, neAt + 0x0c, 0x8000);   // a library
    put16(out, neAt + 0x20, quint16(1 + description.size() + 2 + 1));
    put16(out, neAt + 0x22, quint16(table));
    put16(out, neAt + 0x24, quint16(table));
    put16(out, neAt + 0x26, quint16(resident));
    put16(out, neAt + 0x28, quint16(imports));
    put16(out, neAt + 0x2a, quint16(imports));
    put32(out, neAt + 0x2c, quint32(nonResident));
    put16(out, neAt + 0x32, shift);
    out[neAt + 0x36] = 2;   // Windows
    put16(out, neAt + 0x3e, 0x030a);

    qsizetype r = neAt + resident;
    out[r] = char(moduleName.size());
    out.replace(r + 1, moduleName.size(), moduleName);
    out[nonResident] = char(description.size());
    out.replace(nonResident + 1, description.size(), description);

    // Resource data after the headers, each piece on an alignment boundary.
    auto place = [&](const QByteArray& data, quint16& offset, quint16& length) {
        const qsizetype unit = qsizetype(1) << shift;
        out.append(QByteArray((unit - out.size() % unit) % unit, '\0'));
        offset = quint16(out.size() >> shift);
        length = quint16((data.size() + unit - 1) >> shift);
        out.append(data);
    };
    qsizetype p = neAt + table;
    put16(out, p, shift);
    p += 2;
    for (auto [type, list] : {std::pair{quint16(0x8003), &icons}, std::pair{quint16(0x800e), &groups}}) {
        put16(out, p, type);
        put16(out, p + 2, quint16(list->size()));
        p += 8;
        for (const Resource& res : *list) {
            quint16 offset = 0, length = 0;
            place(res.data, offset, length);
            put16(out, p, offset);
            put16(out, p + 2, length);
            put16(out, p + 4, 0x1c30);   // moveable, pure, discardable
            put16(out, p + 6, quint16(0x8000 | res.id));
            p += 12;
        }
    }
    const qsizetype unit = qsizetype(1) << shift;
    out.append(QByteArray((unit - out.size() % unit) % unit, '\0'));
    return out;
}

std::vector<QByteArray> icoImageData(const QByteArray& ico)
{
    std::vector<QByteArray> out;
    for (const IcoImageData& im : icoImages(ico))
        out.push_back(im.data);
    return out;
}

QByteArray iconGroup(const QByteArray& ico, const std::vector<int>& ids)
{
    const auto images = icoImages(ico);
    QByteArray group;
    append16(group, 0);
    append16(group, 1);
    append16(group, quint16(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i) {
        group.append(images[i % images.size()].header.left(12));
        append16(group, quint16(ids[i]));
    }
    return group;
}

QByteArray handMadePe(const HandMadeResources& r)
{
    // The resource section: the root with two types, their directories, a language
    // directory and a data entry for each icon and record, then the data. A directory numbers
    // at most 0xffff named and 0xffff numbered entries: groups past those are named, all alike.
    const qsizetype icons = qsizetype(r.icons.size()), records = qsizetype(r.records.size());
    const qsizetype groups = qsizetype(r.groups.size());
    const qsizetype named = qMax<qsizetype>(0, groups - 0xffff);
    if (icons > 0xffff || named > 0xffff)
        throw ToolError("too many resources for a PE image");
    const qsizetype iconDir = 16 + 2 * 8, groupDir = iconDir + 16 + 8 * icons;
    const qsizetype name = groupDir + 16 + 8 * groups;
    const qsizetype languages = name + 8;   // the name, counted UTF-16
    const qsizetype entries = languages + 24 * (icons + records);
    constexpr quint32 rva = 0x1000;
    QByteArray rsrc(entries + 16 * (icons + records), '\0');
    put16(rsrc, 14, 2);
    put32(rsrc, 16, 3);
    put32(rsrc, 20, 0x80000000u | quint32(iconDir));
    put32(rsrc, 24, 14);
    put32(rsrc, 28, 0x80000000u | quint32(groupDir));
    put16(rsrc, name, 3);
    rsrc.replace(name + 2, 6, QByteArray("I\0C\0O\0", 6));
    // Resource i (icons first, then records): its language directory, data entry and data.
    auto place = [&](qsizetype i, const QByteArray& data) {
        const qsizetype language = languages + 24 * i, entry = entries + 16 * i;
        put16(rsrc, language + 14, 1);
        put32(rsrc, language + 16, 0x409);
        put32(rsrc, language + 20, quint32(entry));
        rsrc.append(QByteArray((4 - rsrc.size() % 4) % 4, '\0'));
        put32(rsrc, entry, rva + quint32(rsrc.size()));
        put32(rsrc, entry + 4, quint32(data.size()));
        rsrc.append(data);
    };
    put16(rsrc, iconDir + 14, quint16(icons));
    for (qsizetype i = 0; i < icons; ++i) {
        put32(rsrc, iconDir + 16 + 8 * i, quint32(i + 1));
        put32(rsrc, iconDir + 16 + 8 * i + 4, 0x80000000u | quint32(languages + 24 * i));
        place(i, r.icons[size_t(i)]);
    }
    for (qsizetype i = 0; i < records; ++i)
        place(icons + i, r.records[size_t(i)]);
    put16(rsrc, groupDir + 12, quint16(named));
    put16(rsrc, groupDir + 14, quint16(groups - named));
    for (qsizetype g = 0; g < groups; ++g) {
        const qsizetype at = groupDir + 16 + 8 * g;
        put32(rsrc, at, g < named ? 0x80000000u | quint32(name) : quint32(g - named + 1));
        put32(rsrc, at + 4, 0x80000000u | quint32(languages + 24 * (icons + r.groups[size_t(g)])));
    }
    const qsizetype rawSize = (rsrc.size() + 0x1ff) / 0x200 * 0x200;
    const qsizetype virtualSize = (rsrc.size() + 0xfff) / 0x1000 * 0x1000;
    rsrc.append(QByteArray(rawSize - rsrc.size(), '\0'));

    QByteArray pe(0x200, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(pe, 0x3c, 0x40);
    pe.replace(0x40, 4, QByteArray("PE\0\0", 4));
    put16(pe, 0x44, 0x14c);    // i386
    put16(pe, 0x46, 1);        // one section
    put16(pe, 0x54, 0xe0);     // the optional header's size
    put16(pe, 0x56, 0x2102);   // a 32-bit DLL
    const qsizetype optional = 0x58;
    put16(pe, optional, 0x10b);
    put32(pe, optional + 28, 0x10000000u);   // image base
    put32(pe, optional + 32, 0x1000);        // section and file alignment
    put32(pe, optional + 36, 0x200);
    put16(pe, optional + 48, 4);             // subsystem version 4.0
    put32(pe, optional + 56, quint32(rva + virtualSize));
    put32(pe, optional + 60, 0x200);
    put16(pe, optional + 68, 2);             // GUI
    put32(pe, optional + 92, 16);
    put32(pe, optional + 96 + 2 * 8, rva);   // the resource directory
    put32(pe, optional + 96 + 2 * 8 + 4, quint32(rsrc.size()));
    const qsizetype section = optional + 0xe0;
    pe.replace(section, 5, QByteArray(".rsrc"));
    put32(pe, section + 8, quint32(virtualSize));
    put32(pe, section + 12, rva);
    put32(pe, section + 16, quint32(rawSize));
    put32(pe, section + 20, 0x200);
    put32(pe, section + 36, 0x40000040u);    // initialised data, readable
    return pe + rsrc;
}

QByteArray handMadeNe(const HandMadeResources& r)
{
    const qsizetype neAt = 0x40, resident = 0x40;   // relative to the NE header
    const QByteArray names("\x05" "ICONS\0\0\0", 9);
    const qsizetype table = resident + names.size();
    // TYPEINFO records of at most 0xffff resources each.
    auto records = [](size_t n) { return qsizetype(n + 0xfffe) / 0xffff; };
    const qsizetype tableSize = 2 + 8 * (records(r.icons.size()) + records(r.groups.size()))
        + 12 * qsizetype(r.icons.size() + r.groups.size()) + 2;
    const qsizetype dataAt = neAt + table + tableSize;
    quint16 shift = 4;
    for (;; ++shift) {
        const qint64 unit = qint64(1) << shift;
        qint64 end = dataAt;
        for (const auto* list : {&r.icons, &r.records})
            for (const QByteArray& data : *list)
                end = (end + unit - 1) / unit * unit + data.size();
        if ((end >> shift) < 0xffff)
            break;
    }
    QByteArray out(dataAt, '\0');
    out[0] = 'M';
    out[1] = 'Z';
    put32(out, 0x3c, quint32(neAt));
    out[neAt] = 'N';
    out[neAt + 1] = 'E';
    put16(out, neAt + 0x0c, 0x8000);   // a library
    put16(out, neAt + 0x24, quint16(table));
    put16(out, neAt + 0x26, quint16(resident));
    out[neAt + 0x36] = 2;   // Windows
    out.replace(neAt + resident, names.size(), names);

    struct Placed { quint16 offset, length; };
    const qsizetype unit = qsizetype(1) << shift;
    auto place = [&](const QByteArray& data) {
        out.append(QByteArray((unit - out.size() % unit) % unit, '\0'));
        const Placed p{quint16(out.size() >> shift), quint16((data.size() + unit - 1) >> shift)};
        out.append(data);
        return p;
    };
    std::vector<Placed> icons, groups;
    for (const QByteArray& data : r.icons)
        icons.push_back(place(data));
    for (const QByteArray& data : r.records)
        groups.push_back(place(data));
    out.append(QByteArray((unit - out.size() % unit) % unit, '\0'));

    qsizetype p = neAt + table;
    put16(out, p, shift);
    p += 2;
    auto type = [&](quint16 id, size_t count, const std::function<Placed(size_t)>& of) {
        for (size_t first = 0; first < count; first += 0xffff) {
            const size_t n = std::min<size_t>(0xffff, count - first);
            put16(out, p, id);
            put16(out, p + 2, quint16(n));
            p += 8;
            for (size_t i = first; i < first + n; ++i, p += 12) {
                const Placed placed = of(i);
                put16(out, p, placed.offset);
                put16(out, p + 2, placed.length);
                put16(out, p + 4, 0x1c30);
                put16(out, p + 6, quint16(0x8000 | ((i + 1) & 0x7fff)));
            }
        }
    };
    type(0x8003, r.icons.size(), [&](size_t i) { return icons[i]; });
    type(0x800e, r.groups.size(), [&](size_t i) { return groups[size_t(r.groups[i])]; });
    return out;
}

QByteArray pngChunk(const char* type, const QByteArray& payload)
{
    const QByteArray body = QByteArray(type, 4) + payload;
    quint32 crc = 0xffffffffu;   // the CRC-32 PNG uses
    for (char c : body) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    QByteArray length(4, '\0'), tail(4, '\0');
    qToBigEndian(quint32(payload.size()), length.data());
    qToBigEndian(crc ^ 0xffffffffu, tail.data());
    return length + body + tail;
}

QByteArray pngWithChunks(const QByteArray& png, const QByteArray& chunks)
{
    constexpr qsizetype ihdrEnd = 8 + 4 + 4 + 13 + 4;
    return png.left(ihdrEnd) + chunks + png.mid(ihdrEnd);
}

QByteArray zTxtChunk(qsizetype inflated)
{
    // The keyword, its end, compression method 0, then a zlib stream (qCompress puts a
    // 4-byte length of its own before it).
    return pngChunk("zTXt", QByteArray("Comment\0\0", 9) + qCompress(QByteArray(inflated, ' '), 9).mid(4));
}

QStringList wrestoolGroups(const QString& path)
{
    const QString listing = QString::fromUtf8(
        runTool(QStringLiteral("wrestool"), {QStringLiteral("-l"), QStringLiteral("--type=group_icon"), path}));
    static const QRegularExpression name(QStringLiteral("--name=('[^']*'|\\S+)"));
    QStringList groups;
    for (const QString& line : listing.split(u'\n', Qt::SkipEmptyParts)) {
        const auto m = name.match(line);
        if (m.hasMatch() && !groups.contains(m.captured(1)))
            groups << m.captured(1);
    }
    return groups;
}

QString makeIconFolder(const QString& folder, int count, const std::function<QString(int)>& nameOf)
{
    if (QDir(folder).exists())
        return folder;
    const QString src = folder + QStringLiteral(".src");
    QDir().mkpath(folder);
    QDir().mkpath(src);
    const std::vector<std::vector<IcoImage>> variants = {
        {{32, 4, false, 1}, {16, 4, false, 2}},
        {{32, 8, false, 3}},
        {{48, 24, false, 4}, {32, 24, false, 5}, {16, 24, false, 6}},
        {{32, 32, false, 7}, {16, 32, false, 8}},
        {{256, 32, true, 9}, {48, 32, false, 10}},
        {{16, 1, false, 11}},
    };
    std::vector<QByteArray> bytes;
    for (size_t v = 0; v < variants.size(); ++v)
        bytes.push_back(readBytes(makeIco(src, QStringLiteral("v%1.ico").arg(v), variants[v])));
    for (int i = 0; i < count; ++i)
        writeBytes(folder + QLatin1Char('/') + nameOf(i), bytes[size_t(i) % bytes.size()]);
    return folder;
}

QString makeLibrary(const QString& dir, int iconCount, bool ne)
{
    // A few distinct groups, repeated: 16 and 32 px as DIBs, 48 px as PNG in every other
    // variant, 256 px always PNG.
    constexpr int kVariants = 6;
    QStringList icoNames;
    for (int v = 0; v < kVariants; ++v) {
        icoNames << makeIco(dir, QStringLiteral("lib%1.ico").arg(v),
                            {{16, 32, false, v}, {32, 32, false, v + 1}, {48, 32, v % 2 == 0, v + 2},
                             {256, 32, true, v + 3}});
    }
    if (ne) {
        std::vector<QByteArray> variants, files;
        for (const QString& n : icoNames)
            variants.push_back(readBytes(n));
        for (int i = 0; i < iconCount; ++i)
            files.push_back(variants[size_t(i % kVariants)]);
        const QString path = QDir(dir).filePath(QStringLiteral("lib%1.icl").arg(iconCount));
        if (!writeBytes(path, neLibrary(files)))
            throw ToolError("cannot write " + path.toStdString());
        return path;
    }
    QString rc;
    for (int i = 0; i < iconCount; ++i)
        rc += QStringLiteral("%1 ICON \"lib%2.ico\"\n").arg(i + 1).arg(i % kVariants);
    return makePe(dir, QStringLiteral("lib%1.dll").arg(iconCount), rc, false, PeKind::Dll);
}

Ran runBytes(const QList<QByteArray>& argv, const QByteArray& outFile, int timeoutMs)
{
    Ran ran;
    QTemporaryDir dir;
    const QByteArray out = outFile.isEmpty() ? QFile::encodeName(dir.filePath("out")) : outFile;
    const QByteArray err = QFile::encodeName(dir.filePath("err"));
    std::vector<QByteArray> words(argv.begin(), argv.end());
    std::vector<char*> args;
    for (QByteArray& w : words)
        args.push_back(w.data());
    args.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int o = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int e = ::open(err.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0)
            ::_exit(126);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (clock.elapsed() > timeoutMs) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return ran;
        }
        QThread::msleep(5);
    }
    ran.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (outFile.isEmpty())
        ran.out = readBytes(QFile::decodeName(out));
    ran.err = readBytes(QFile::decodeName(err));
    return ran;
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace zor::iconfixtures
