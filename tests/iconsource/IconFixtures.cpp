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
