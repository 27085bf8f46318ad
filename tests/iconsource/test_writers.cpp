// Icon files and icon libraries zor makes, read back by tools no one here wrote:
// icotool, ImageMagick's identify and wrestool, and by zor's own reader.

#include "Fixtures.h"

#include "platform/iconsource/IclWriter.h"
#include "platform/iconsource/IcoWriter.h"
#include "platform/iconsource/IconSource.h"
#include "platform/iconsource/WholeFile.h"

#include <QBuffer>
#include <QDir>
#include <QHash>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zor::iconfixtures;
using namespace zor::iconsource;

namespace {

struct Outcome { int code; QString out, err; };

struct RunOptions {
    QString workDir;
    rlim_t sizeLimit = 0;     // RLIMIT_FSIZE of the child; 0 none
    bool keepPermissions = false;   // root in the child gives up overriding file permissions
    QString stdoutFile;       // where its standard output goes instead of a pipe
};

Outcome zorIcons(const QStringList& args, const RunOptions& o = {})
{
    QProcess p;
    if (!o.workDir.isEmpty())
        p.setWorkingDirectory(o.workDir);
    if (!o.stdoutFile.isEmpty())
        p.setStandardOutputFile(o.stdoutFile);
    p.setChildProcessModifier([o] {
        if (o.sizeLimit) {   // as a full disk does; zor-icons must not die of the signal it sends
            rlimit small{o.sizeLimit, o.sizeLimit};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        // Tests run as root: without these capabilities, root is held to a folder's mode bits
        // as its owner is.
        if (o.keepPermissions && geteuid() == 0
            && (prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE) != 0 || prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH) != 0))
            _exit(99);
    });
    p.start(ZOR_ICONS_EXE, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()).trimmed(), QString::fromUtf8(p.readAllStandardError())};
}

struct Identified {
    int width, height, depth;
    QString format;
    bool operator==(const Identified&) const = default;
};

// What ImageMagick sees: sizes, bits per channel (4 for 4-bit palettes; 8 for 8-bit
// palettes and 32-bit colour alike) and the coder, ICO for a bitmap, PNG for a PNG.
std::vector<Identified> identifyList(const QString& path)
{
    std::vector<Identified> out;
    const QString text = QString::fromUtf8(runTool("identify", {"-format", "%w %h %z %m\n", path}));
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(' ');
        out.push_back({f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3]});
    }
    return out;
}

std::ostream& operator<<(std::ostream& s, const Identified& i)
{
    return s << i.width << "x" << i.height << " " << i.depth << " " << i.format.toStdString();
}

const char* const kSvg = R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">
  <linearGradient id="g" x1="0" y1="0" x2="1" y2="1"><stop offset="0" stop-color="#ffd040"/><stop offset="1" stop-color="#c03010"/></linearGradient>
  <circle cx="24" cy="24" r="21" fill="url(#g)" stroke="#402000" stroke-width="2"/>
  <rect x="14" y="20" width="20" height="8" fill="#ffffff" fill-opacity="0.6"/>
</svg>
)svg";

// The drawing as Qt renders it at side x side, which each size of an icon made from it must be.
QImage svgAt(const QByteArray& svg, int side)
{
    QByteArray data = svg;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "svg");
    reader.setScaledSize({side, side});
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

// Every image `icotool -x` extracts, in the file's order. (Extracting one with -i takes the
// size of the image before it when that one is a PNG, so they are taken all at once.)
std::vector<QImage> icotoolImages(const QString& ico)
{
    QTemporaryDir out;
    runTool("icotool", {"-x", "-o", out.path(), ico});
    std::vector<QImage> images;
    const QDir dir(out.path());
    for (int i = 1;; ++i) {
        const QStringList found = dir.entryList({QStringLiteral("*_%1_*.png").arg(i)});
        if (found.size() != 1)
            return images;
        images.push_back(QImage(dir.filePath(found.first())));
    }
}

// `wrestool -x` of icon group `name`, and the bytes it should add after the .ico by its own
// accounting (icoutils 0.32): it counts the group resource's size once more, and each image
// at its resource's size where that is larger than the group says (an NE file rounds it to
// its alignment unit). It does so for every program, PE or NE.
std::pair<QByteArray, qint64> wrestoolGroup(const QString& path, const QString& name)
{
    QHash<QString, qint64> sizes;
    static const QRegularExpression line("--type=(\\S+) --name=('[^']*'|\\S+).*size=(\\d+)\\]");
    for (const QString& l : QString::fromUtf8(runTool("wrestool", {"-l", path})).split('\n')) {
        const auto m = line.match(l);
        if (m.hasMatch())
            sizes.insert(m.captured(1) + ":" + m.captured(2), m.captured(3).toLongLong());
    }
    // Its listing quotes names; its options take them bare.
    const QString bare = name.startsWith('\'') ? name.mid(1, name.size() - 2) : name;
    const QByteArray group = runTool("wrestool", {"-x", "--raw", "--type=14", "--name=" + bare, path});
    qint64 surplus = sizes.value("14:" + name);
    const int count = qFromLittleEndian<quint16>(group.constData() + 4);
    for (int i = 0; i < count; ++i) {
        const char* e = group.constData() + 6 + 14 * i;
        const qint64 stored = sizes.value("3:" + QString::number(qFromLittleEndian<quint16>(e + 12)));
        surplus += qMax<qint64>(0, stored - qFromLittleEndian<quint32>(e + 8));
    }
    return {runTool("wrestool", {"-x", "--type=14", "--name=" + bare, path}), surplus};
}

QStringList files(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

TEST(IcoWriter, WrittenIconsReadBackTheSameInEveryTool)
{
    REQUIRE_FIXTURES();
    struct Row { std::vector<int> sizes; int depth; bool png; };
    const Row rows[] = {
        {defaultIcoSizes(), 32, false},
        {icoSizes(), 32, true},
        {{16, 32, 48, 256}, 8, false},
        {{40, 24, 20, 16}, 4, false},
        {{64, 96, 128}, 8, false},
        {{128, 256}, 4, false},
    };
    // Graded alpha and thousands of colours, so the palettes must choose.
    const IconPicture picture(drawIcon(256, 32, 5));
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(n);
        const auto prepared = prepareIcoImages({picture}, {row.sizes, row.depth, row.png});
        ASSERT_EQ(prepared.size(), row.sizes.size());
        const QByteArray ico = writeIco(prepared);
        const QString path = fixtures().scratchPath(QStringLiteral("written%1.ico").arg(n++));
        ASSERT_TRUE(writeBytes(path, ico));

        std::vector<Listed> listed;
        std::vector<Identified> identified;
        qsizetype offset = 6 + 16 * qsizetype(prepared.size());
        ASSERT_EQ(qFromLittleEndian<quint16>(ico.constData() + 2), 1);
        ASSERT_EQ(qFromLittleEndian<quint16>(ico.constData() + 4), prepared.size());
        for (size_t i = 0; i < prepared.size(); ++i) {
            const PreparedImage& im = prepared[i];
            if (i > 0) {
                EXPECT_LT(std::pair(prepared[i - 1].depth, -prepared[i - 1].size), std::pair(im.depth, -im.size))
                    << "fewest bits first, each depth largest first";
            }
            const bool png = row.png || im.size == 256;
            EXPECT_EQ(im.png, png);
            EXPECT_EQ(im.depth, png ? 32 : row.depth);
            const char* e = ico.constData() + 6 + 16 * i;
            EXPECT_EQ(quint8(e[0]), im.size % 256);
            EXPECT_EQ(quint8(e[1]), im.size % 256);
            EXPECT_EQ(quint8(e[2]), im.depth == 4 ? 16 : 0);
            EXPECT_EQ(quint8(e[3]), 0);
            EXPECT_EQ(qFromLittleEndian<quint16>(e + 4), 1);
            EXPECT_EQ(qFromLittleEndian<quint16>(e + 6), im.depth);
            const quint32 bytes = qFromLittleEndian<quint32>(e + 8);
            EXPECT_EQ(qFromLittleEndian<quint32>(e + 12), offset) << "images follow each other";
            const QByteArray data = ico.mid(offset, bytes);
            if (png) {
                EXPECT_TRUE(data.startsWith("\x89PNG\r\n\x1a\n"));
            } else {
                EXPECT_EQ(qFromLittleEndian<qint32>(data.constData() + 8), 2 * im.size) << "colour and mask rows";
                EXPECT_EQ(qFromLittleEndian<quint16>(data.constData() + 14), im.depth);
            }
            offset += bytes;
            listed.push_back({im.size, im.size, im.depth});
            identified.push_back({im.size, im.size, im.depth == 4 ? 4 : 8, png ? "PNG" : "ICO"});
        }
        EXPECT_EQ(offset, ico.size());

        const auto icotool = icotoolList(path);
        ASSERT_EQ(icotool.size(), listed.size());
        for (size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(icotool[i].width, listed[i].width);
            EXPECT_EQ(icotool[i].height, listed[i].height);
            EXPECT_EQ(icotool[i].bits, listed[i].bits);
        }
        EXPECT_EQ(identifyList(path), identified);
        const auto entries = IconFile::fromData(ico).entries(0);
        ASSERT_EQ(entries.size(), prepared.size());
        const auto extracted = icotoolImages(path);
        ASSERT_EQ(extracted.size(), prepared.size());
        for (size_t i = 0; i < prepared.size(); ++i) {
            const QImage& written = prepared[i].image;
            EXPECT_TRUE(sameImage(extracted[i], written)) << "icotool, image " << i;
            EXPECT_TRUE(sameImage(decodeEntry(entries[i]), written)) << "zor, image " << i;
            EXPECT_EQ(entryDepth(entries[i]), prepared[i].depth);
            for (int y = 0; y < written.height(); ++y)
                for (int x = 0; x < written.width(); ++x) {
                    const int alpha = qAlpha(written.pixel(x, y));
                    if (prepared[i].depth < 32) {
                        ASSERT_TRUE(alpha == 0 || alpha == 255) << "a palette image is opaque or clear";
                    }
                }
        }
    }
}

TEST(IcoWriter, EachSizeComesFromThePictureThatFitsIt)
{
    const QImage small = drawIcon(16, 32, 1), wide = drawPicture(60, 40, 2), middle = drawIcon(48, 32, 3);
    const IconPicture drawing = IconPicture::fromData(kSvg);
    ASSERT_FALSE(drawing.isNull()) << "Qt's SVG image plugin (make deps installs it)";
    EXPECT_TRUE(drawing.isScalable());
    struct Row {
        std::vector<IconPicture> pictures;
        std::vector<std::pair<int, int>> expected;   // size, picture (negative: enlarged from -picture - 1)
    };
    const Row rows[] = {
        {{IconPicture(small), IconPicture(wide), IconPicture(middle)},
         {{256, -2}, {128, -2}, {96, -2}, {64, -2}, {48, 2}, {40, 2}, {32, 2}, {24, 2}, {20, 2}, {16, 0}}},
        {{IconPicture(small), IconPicture(wide), IconPicture(middle), drawing},
         {{256, 3}, {128, 3}, {96, 3}, {64, 3}, {48, 2}, {40, 3}, {32, 3}, {24, 3}, {20, 3}, {16, 0}}},
        {{IconPicture(small)}, {{32, -1}, {16, 0}}},
    };
    for (const Row& row : rows) {
        std::vector<int> sizes;
        for (const auto& [size, from] : row.expected)
            sizes.push_back(size);
        const auto prepared = prepareIcoImages(row.pictures, {sizes, 32, false});
        ASSERT_EQ(prepared.size(), row.expected.size());
        for (size_t i = 0; i < prepared.size(); ++i) {
            const auto [size, from] = row.expected[i];
            SCOPED_TRACE(size);
            EXPECT_EQ(prepared[i].size, size);
            EXPECT_EQ(prepared[i].source, from < 0 ? -from - 1 : from);
            EXPECT_EQ(prepared[i].enlarged, from < 0);
            const IconPicture& source = row.pictures[size_t(prepared[i].source)];
            if (source.isScalable()) {
                EXPECT_TRUE(sameImage(prepared[i].image, svgAt(kSvg, size))) << "drawn at its size";
            } else if (source.side() == size && source.size().width() == size) {
                EXPECT_TRUE(sameImage(prepared[i].image, source.render(size))) << "used as it is";
            }
        }
    }
    // The wide picture enlarged keeps its aspect, centred on transparent: 64 x 42 in 64 x 64.
    const auto enlarged = prepareIcoImages({IconPicture(wide)}, {{64}, 32, false});
    ASSERT_EQ(enlarged.size(), 1u);
    EXPECT_EQ(qAlpha(enlarged[0].image.pixel(32, 10)), 0);
    EXPECT_EQ(qAlpha(enlarged[0].image.pixel(32, 11)), 255);
    EXPECT_EQ(qAlpha(enlarged[0].image.pixel(32, 52)), 255);
    EXPECT_EQ(qAlpha(enlarged[0].image.pixel(32, 53)), 0);
}

TEST(ZorIconsCreate, MakesIconFilesFromPictureFiles)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const QString svg = tmp.filePath("mark.svg"), a16 = tmp.filePath("a16.png"), b48 = tmp.filePath("b48.png");
    writeBytes(svg, kSvg);
    drawIcon(16, 32, 7).save(a16);
    drawIcon(48, 32, 8).save(b48);
    // An animated GIF: a red frame, then a blue one.
    const QString red = tmp.filePath("red.png"), blue = tmp.filePath("blue.png"), gif = tmp.filePath("anim.gif");
    QImage frame(32, 32, QImage::Format_RGB32);
    frame.fill(Qt::red);
    frame.save(red);
    frame.fill(Qt::blue);
    frame.save(blue);
    runTool("convert", {"-delay", "20", red, blue, gif});
    ASSERT_EQ(QImageReader(gif).imageCount(), 2);

    struct Row {
        QStringList args;
        QStringList lines;                // what it prints, "SIZE BITS FORMAT from NAME"
        std::function<QImage(int)> expected;   // the pixels of each size
    };
    const Row rows[] = {
        {{svg}, {"256 32-bit PNG from mark.svg", "48 32-bit BMP from mark.svg", "32 32-bit BMP from mark.svg",
                 "24 32-bit BMP from mark.svg", "16 32-bit BMP from mark.svg"},
         [&](int size) { return svgAt(kSvg, size); }},
        {{"--sizes", "16,24,64", b48, a16}, {"64 32-bit BMP from b48.png (enlarged)", "24 32-bit BMP from b48.png",
                                             "16 32-bit BMP from a16.png"}, nullptr},
        {{"--sizes=48,16", "--png", svg}, {"48 32-bit PNG from mark.svg", "16 32-bit PNG from mark.svg"},
         [&](int size) { return svgAt(kSvg, size); }},
        {{"--depth", "4", "--sizes", "32", gif}, {"32 4-bit BMP from anim.gif"},
         [&](int) { return frame.fill(Qt::red), frame; }},
        {{"--depth=8", "--sizes", "256,32", gif}, {"32 8-bit BMP from anim.gif", "256 32-bit PNG from anim.gif (enlarged)"},
         [&](int size) { QImage f(size, size, QImage::Format_ARGB32); f.fill(Qt::red); return f; }},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const QString out = tmp.filePath(QStringLiteral("made%1.ico").arg(n++));
        const Outcome r = zorIcons(QStringList{"create"} + row.args + QStringList{"-o", out},
                                   {tmp.path(), 0, false, {}});
        ASSERT_EQ(r.code, 0) << qPrintable(r.err);
        QStringList lines;
        static const QRegularExpression line("^\\s*(\\d+) x \\d+\\s+(\\S+ \\S+)\\s+(\\d+) bytes  from (.*)$");
        const auto listed = icotoolList(out);
        const QStringList printed = r.out.split('\n');
        ASSERT_EQ(printed.size(), qsizetype(listed.size()));
        const auto extracted = icotoolImages(out);
        ASSERT_EQ(extracted.size(), listed.size());
        for (int i = 0; i < printed.size(); ++i) {
            const auto m = line.match(printed[i]);
            ASSERT_TRUE(m.hasMatch()) << qPrintable(printed[i]);
            lines << QStringLiteral("%1 %2 from %3").arg(m.captured(1), m.captured(2), QFileInfo(m.captured(4)).fileName());
            EXPECT_EQ(m.captured(1).toInt(), listed[size_t(i)].width);
            if (row.expected) {
                EXPECT_TRUE(sameImage(extracted[size_t(i)], row.expected(listed[size_t(i)].width)))
                    << "image " << i;
            }
        }
        EXPECT_EQ(lines.join(" | ").toStdString(), row.lines.join(" | ").toStdString());
    }
}

TEST(ZorIconsCreate, RefusesPicturesItCannotUseAndWritesNothing)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const QString zero = tmp.filePath("zero.png"), huge = tmp.filePath("huge.png"), broken = tmp.filePath("broken.svg");
    const QString text = tmp.filePath("words.png"), hugeSvg = tmp.filePath("huge.svg"), good = tmp.filePath("good.png");
    writeBytes(zero, pngFile(0, 0, 6, 8, {}));
    // The header of a 100,000 x 100,000 picture, with far fewer pixels after it.
    writeBytes(huge, pngFile(100000, 100000, 6, 8, QByteArray(400000, '\x40')));
    writeBytes(broken, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\"><rect width=");
    writeBytes(text, "not a picture\n");
    writeBytes(hugeSvg, QByteArray(kSvg).replace("width=\"48\" height=\"48\"", "width=\"100000\" height=\"100000\""));
    drawIcon(32, 32, 1).save(good);
    const QString out = tmp.filePath("out.ico");
    struct Row { QStringList args; int code; QString says; };
    const Row rows[] = {
        {{zero}, 1, zero + ": "},
        {{huge}, 1, huge + ": 100000 x 100000 pixels is too large"},
        {{broken}, 1, broken + ": the drawing cannot be"},
        {{text}, 1, text + ": not a picture"},
        {{good, tmp.filePath("missing.png")}, 1, tmp.filePath("missing.png") + ": No such file or directory"},
        {{tmp.path()}, 1, tmp.path() + ": is a folder"},
        {{"--png", "--depth", "8", good}, 2, "--png"},
        {{"--sizes", "16,17", good}, 2, "--sizes"},
        {{"--depth", "24", good}, 2, "--depth"},
        {{"--bogus", good}, 2, "unknown option --bogus"},
        {{}, 2, "IMAGE"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.args.join(' ').toStdString());
        const Outcome o = zorIcons(QStringList{"create"} + r.args + QStringList{"-o", out});
        EXPECT_EQ(o.code, r.code);
        EXPECT_TRUE(o.err.contains(r.says)) << qPrintable(o.err);
        EXPECT_TRUE(o.out.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    EXPECT_EQ(zorIcons({"create", good}).code, 2) << "no -o";
    // A drawing of any size is drawn at the icon's sizes.
    const Outcome big = zorIcons({"create", hugeSvg, "-o", out});
    EXPECT_EQ(big.code, 0) << qPrintable(big.err);
    EXPECT_TRUE(sameImage(icotoolImages(out).at(0), svgAt(kSvg, 256)));
}

TEST(ZorIconsBuildIcl, LibrariesReadBackWithWrestoolByteForByte)
{
    REQUIRE_FIXTURES();
    const Fixtures& f = fixtures();
    QTemporaryDir tmp;
    auto groupsOf = [](const QString& path) {
        std::vector<QByteArray> out;
        const IconFile file = IconFile::fromData(readBytes(path));
        for (int k = 0; k < file.count(); ++k)
            out.push_back(file.groupAsIco(k));
        return out;
    };
    const auto dll = groupsOf(f.dll32), many = groupsOf(f.manyIcl), three = groupsOf(f.icl);
    // What wrestool adds after the .ico it extracts, it adds to a program the mingw tools made too.
    const auto [fromDll, dllSurplus] = wrestoolGroup(f.dll32, "'ZETA'");
    EXPECT_EQ(fromDll.left(dll[1].size()), dll[1]);
    EXPECT_EQ(fromDll.size(), dll[1].size() + dllSurplus);
    EXPECT_GT(dllSurplus, 0);
    QStringList dllNames;
    const IconFile dllFile = IconFile::fromData(readBytes(f.dll32));
    for (int i = 0; i < dllFile.count(); ++i) {
        const GroupName g = dllFile.groupName(i);
        dllNames << (g.name.startsWith('#') ? g.name.mid(1) : "'" + g.name.toUpper() + "'");
    }
    auto numbers = [](int count) {
        QStringList names;
        for (int i = 1; i <= count; ++i)
            names << QString::number(i);
        return names;
    };
    struct Row {
        QStringList args;
        std::vector<QByteArray> groups;   // what went in, in order
        QStringList names;                // as wrestool names them
    };
    const Row rows[] = {
        {{f.icl}, three, numbers(3)},
        {{f.plainA, f.dll32 + ":2", f.manyIcl, f.depthsIco},
         [&] { auto g = std::vector{readBytes(f.plainA), dll[2]}; g.insert(g.end(), many.begin(), many.end());
               g.push_back(readBytes(f.depthsIco)); return g; }(),
         numbers(173)},
        {{"--names", f.dll32, f.cursor}, [&] { auto g = dll; g.push_back(groupsOf(f.cursor)[0]); return g; }(),
         dllNames + QStringList{"1"}},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const QString out = tmp.filePath(QStringLiteral("lib%1.icl").arg(n++));
        const Outcome r = zorIcons(QStringList{"build-icl"} + row.args + QStringList{"-o", out});
        ASSERT_EQ(r.code, 0) << qPrintable(r.err);
        EXPECT_EQ(r.out, QString::number(row.groups.size()));
        ASSERT_EQ(wrestoolGroups(out).join(' ').toStdString(), row.names.join(' ').toStdString());
        for (size_t i = 0; i < row.groups.size(); ++i) {
            const auto [extracted, surplus] = wrestoolGroup(out, row.names[qsizetype(i)]);
            EXPECT_EQ(extracted.left(row.groups[i].size()), row.groups[i]) << "group " << i;
            EXPECT_EQ(extracted.size(), row.groups[i].size() + surplus) << "group " << i;
        }
        const QByteArray library = readBytes(out);
        const IconFile read = IconFile::fromData(library);
        ASSERT_EQ(read.count(), int(row.groups.size()));
        for (size_t i = 0; i < row.groups.size(); ++i)
            EXPECT_EQ(read.groupAsIco(int(i)), row.groups[i]) << "zor, group " << i;
        EXPECT_TRUE(library.startsWith("MZ"));
        EXPECT_EQ(library.mid(qFromLittleEndian<quint32>(library.constData() + 0x3c), 2), "NE");
    }
}

TEST(IclWriter, HoldsWhatTheFormatHoldsAndRefusesTheRest)
{
    REQUIRE_FIXTURES();
    const QByteArray one = readBytes(fixtures().pngOnlyIco);   // one image
    // Find the capacity from the refusal of an impossible library, then fill it exactly.
    QString why;
    EXPECT_TRUE(writeIcl(std::vector<IclGroup>(5000, {one, {}}), "ICONS", &why).isEmpty());
    const auto m = QRegularExpression("room for (\\d+) icons and images together").match(why);
    ASSERT_TRUE(m.hasMatch()) << qPrintable(why);
    const int room = m.captured(1).toInt();
    EXPECT_GT(room, 5400);
    const QByteArray full = writeIcl(std::vector<IclGroup>(size_t(room / 2), {one, {}}), "ICONS", &why);
    ASSERT_FALSE(full.isEmpty()) << qPrintable(why);
    const QString path = fixtures().scratchPath("full.icl");
    writeBytes(path, full);
    EXPECT_EQ(wrestoolGroups(path).size(), room / 2);
    EXPECT_EQ(IconFile::fromData(full).count(), room / 2);
    EXPECT_TRUE(writeIcl(std::vector<IclGroup>(size_t(room / 2 + 1), {one, {}}), "ICONS", &why).isEmpty());

    for (const auto& [groups, module, says] :
         {std::tuple{std::vector<IclGroup>{}, QByteArray("ICONS"), "no icons"},
          std::tuple{std::vector<IclGroup>{{"not an icon", {}}}, QByteArray("ICONS"), "icon 1: not an icon file"},
          std::tuple{std::vector<IclGroup>{{readBytes(fixtures().cursor), {}}}, QByteArray("ICONS"), "a cursor"},
          std::tuple{std::vector<IclGroup>{{one.left(40), {}}}, QByteArray("ICONS"), "icon 1: image 1 lies outside"},
          std::tuple{std::vector<IclGroup>{{one, {}}}, QByteArray("TWO WORDS"), "module name"}}) {
        why.clear();
        EXPECT_TRUE(writeIcl(groups, module, &why).isEmpty());
        EXPECT_TRUE(why.contains(QLatin1String(says))) << qPrintable(why);
    }

    // Named groups keep their names (in upper case, as Windows compares them); a name taken
    // already, or beyond ASCII, is numbered like the groups without one.
    const QByteArray named = writeIcl({{one, "#7"}, {one, "Folder"}, {one, {}}, {one, "FOLDER"}, {one, "#7"},
                                       {one, "caf\xc3\xa9"}}, "ICONS");
    writeBytes(path, named);
    EXPECT_EQ(wrestoolGroups(path).join(' ').toStdString(), "7 'FOLDER' 1 2 3 4");
    std::vector<QString> names;
    const IconFile namedFile = IconFile::fromData(named);
    for (int i = 0; i < namedFile.count(); ++i)
        names.push_back(namedFile.groupName(i).name);
    EXPECT_EQ(names, (std::vector<QString>{"#7", "FOLDER", "#1", "#2", "#3", "#4"}));
}

TEST(ZorIconsBuildIcl, RefusesWhatItCannotHoldAndWritesNothing)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    QFile::copy(fixtures().plainA, tmp.filePath("a.ico"));
    const QString out = tmp.filePath("out.icl");
    const QString text = tmp.filePath("text.txt");
    writeBytes(text, "no icons\n");
    // More groups than an icon library can number.
    QStringList many{"build-icl"};
    for (int i = 0; i < 65536; ++i)
        many << "a.ico";
    struct Row { QStringList args; int code; QString says; };
    const Row rows[] = {
        {many, 1, out + ": cannot be made: 65536 icons are more than an icon library holds"},
        {QStringList{"build-icl"} + QStringList(14, fixtures().manyIcl), 1, out + ": cannot be made: 2380 icons with"},
        {{"build-icl", text}, 1, text + ": holds no icons"},
        {{"build-icl", fixtures().icl + ":3"}, 1, fixtures().icl + ": has no icon 3"},
        {{"build-icl", tmp.filePath("none.ico")}, 1, tmp.filePath("none.ico") + ": No such file or directory"},
        {{"build-icl", "a.ico", "--name", ""}, 2, "--name"},
        {{"build-icl", "--frobnicate", "a.ico"}, 2, "unknown option"},
        {{"build-icl"}, 2, "ICON-OR-SOURCE"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.args.mid(0, 4).join(' ').toStdString());
        const Outcome o = zorIcons(r.args + QStringList{"-o", out}, {tmp.path(), 0, false, {}});
        EXPECT_EQ(o.code, r.code);
        EXPECT_TRUE(o.err.contains(r.says)) << qPrintable(o.err.left(300));
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

TEST(ZorIconsWriters, TargetsThatCannotBeWrittenAreNamedAndLeaveNothing)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const QString picture = tmp.filePath("p.png"), ico = tmp.filePath("p.ico");
    drawIcon(48, 32, 4).save(picture);
    QFile::copy(fixtures().depthsIco, ico);
    const QString locked = tmp.filePath("locked"), open = tmp.filePath("open");
    QDir().mkpath(locked);
    QDir().mkpath(open);
    QDir().mkpath(open + "/taken.ico");
    QDir().mkpath(open + "/taken.icl");
    for (const char* pipe : {"/pipe.ico", "/pipe.icl"})
        ASSERT_EQ(mkfifo(QFile::encodeName(open + pipe).constData(), 0666), 0);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    struct Row {
        const char* what;
        QString target;
        RunOptions run;
        QString says;
    };
    const Row rows[] = {
        {"a read-only folder", locked + "/x", {{}, 0, true, {}}, locked + "/x.%1: cannot be written: Permission denied"},
        {"a full disk", open + "/full", {{}, 2000, false, {}}, open + "/full.%1: cannot be written: File too large"},
        {"a name that is a folder", open + "/taken", {}, open + "/taken.%1: cannot be written: is a folder"},
        {"a folder that is not there", open + "/none/x", {}, open + "/none/x.%1: cannot be written: No such file or directory"},
        {"a pipe", open + "/pipe", {}, open + "/pipe.%1: cannot be written: not a regular file"},
    };
    for (const QString& kind : {QStringLiteral("ico"), QStringLiteral("icl")}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.what) + " " + kind.toStdString());
            const QString target = row.target + "." + kind;
            const QStringList args = kind == "ico" ? QStringList{"create", picture, "-o", target}
                                                   : QStringList{"build-icl", ico, ico, "-o", target};
            const QStringList before = files(locked) + files(open);
            const Outcome o = zorIcons(args, row.run);
            EXPECT_EQ(o.code, 1) << qPrintable(o.err);
            EXPECT_TRUE(o.err.startsWith("zor-icons: " + row.says.arg(kind))) << qPrintable(o.err);
            EXPECT_TRUE(o.out.isEmpty());
            EXPECT_EQ((files(locked) + files(open)).join(' ').toStdString(), before.join(' ').toStdString())
                << "nothing left behind";
        }
    }
    // Standard output that cannot be written is an error too.
    const Outcome full = zorIcons({"build-icl", ico, "-o", open + "/ok.icl"}, {{}, 0, false, "/dev/full"});
    EXPECT_EQ(full.code, 1);
    EXPECT_TRUE(full.err.contains("standard output: No space left on device")) << qPrintable(full.err);
}

// On a full disk (here a file-size limit, which fails a write as a full disk does) an export
// stops at the first file it cannot write, naming it and why; what it wrote before is whole,
// and nothing of that file, nor of any after it, is left.
TEST(ZorIconsWriters, ExportStopsAtTheFirstFileThatCannotBeWritten)
{
    REQUIRE_FIXTURES();
    // The library's icons as .ico: 11502, 5430, 11502, 24237 and 3295 bytes; as PNG, 4-32.png
    // is the first of more than 1000 bytes.
    struct Row {
        QStringList format;
        rlim_t sizeLimit;
        QString failing, written;
    };
    const Row rows[] = {
        {{"--format", "ico"}, 12000, "3.ico", "0.ico 1.ico 2.ico"},
        {{}, 1000, "4-32.png", "0-16.png 0-32.png 1-16.png 1-32.png 2-16.png 2-32.png 3-16.png 3-32.png"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.failing.toStdString());
        QTemporaryDir tmp;
        const QString out = tmp.filePath("out");
        const Outcome o = zorIcons(QStringList{"export"} + row.format + QStringList{fixtures().dll64, out},
                                   {{}, row.sizeLimit, false, {}});
        EXPECT_EQ(o.code, 1);
        EXPECT_EQ(o.err.toStdString(), ("zor-icons: cannot write " + out + "/" + row.failing + ": File too large\n").toStdString());
        EXPECT_EQ(files(out).join(' ').toStdString(), row.written.toStdString());
        EXPECT_EQ(o.out.toInt(), row.written.count(".ico") + row.written.count("-32.png"));
        const QString whole = tmp.filePath("whole");
        ASSERT_EQ(zorIcons(QStringList{"export"} + row.format + QStringList{fixtures().dll64, whole}).code, 0);
        for (const QString& name : files(out))
            EXPECT_EQ(readBytes(out + "/" + name), readBytes(whole + "/" + name)) << qPrintable(name);
    }
}

// The one writer of whole files follows a link only when the user made it and it lies in a
// folder no one else may put links in: never one planted by another user, nor any in a shared
// folder such as /tmp, where the kernel's protected links would be the only guard of an open.
TEST(WholeFile, WritesThroughOnlyTheUsersOwnLinksInFoldersOfTheirOwn)
{
    QTemporaryDir tmp;
    constexpr uid_t kOther = 12345;   // someone else; only root can give them a link
    struct Row {
        const char* what;
        mode_t folderMode;
        bool others;      // the link is another user's
        bool viaShared;   // the link leads to a second link, in a sticky folder
        int error;
    };
    const Row rows[] = {
        {"my link in my folder", 0755, false, false, 0},
        {"my link in a sticky folder", 01777, false, false, EPERM},
        {"my link in a folder anyone may write", 0777, false, false, EPERM},
        {"another user's link", 0755, true, false, EPERM},
        {"another user's link in a sticky folder", 01777, true, false, EPERM},
        {"my link to a link of mine in a sticky folder", 0755, false, true, EPERM},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.others && geteuid() != 0)
            continue;
        const QByteArray base = QFile::encodeName(tmp.path()) + "/" + QByteArray::number(n++);
        const QByteArray folder = base + "-folder", important = base + "-important.txt", link = folder + "/0.ico";
        ASSERT_TRUE(writeBytes(QFile::decodeName(important), "keep"));
        ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
        QByteArray leadsTo = important;
        if (row.viaShared) {
            const QByteArray shared = base + "-shared";
            ASSERT_EQ(::mkdir(shared.constData(), 0700), 0);
            ASSERT_EQ(::symlink(important.constData(), (shared + "/hop").constData()), 0);
            ASSERT_EQ(::chmod(shared.constData(), 01777), 0);
            leadsTo = shared + "/hop";
        }
        ASSERT_EQ(::symlink(leadsTo.constData(), link.constData()), 0);
        if (row.others) {
            ASSERT_EQ(::lchown(link.constData(), kOther, kOther), 0);
        }
        ASSERT_EQ(::chmod(folder.constData(), row.folderMode), 0);

        EXPECT_EQ(zor::writeWhole(link, "icon"), row.error);
        EXPECT_EQ(readBytes(QFile::decodeName(important)), row.error ? "keep" : "icon");
        struct stat st {};
        EXPECT_TRUE(::lstat(link.constData(), &st) == 0 && S_ISLNK(st.st_mode)) << "the link stays a link";
        EXPECT_EQ(files(QFile::decodeName(folder)), QStringList{"0.ico"}) << "nothing left behind";
    }
}
