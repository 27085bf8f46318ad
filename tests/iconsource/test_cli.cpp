// The zor-icons command line.

#include "Fixtures.h"

#include "platform/iconsource/IconSource.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QSet>
#include <QFile>

#include <cstdio>

using namespace zor::iconfixtures;
using zor::iconsource::IconFile;

namespace {

struct Outcome { int code; QString out, err; };

Outcome zorIcons(const QStringList& args, const QString& program = ZOR_ICONS_EXE)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(ZorIcons, CountsIconsAndZeroForOtherFiles)
{
    REQUIRE_FIXTURES();
    EXPECT_EQ(zorIcons({"count", fixtures().manyDll}).out, "160");
    EXPECT_EQ(zorIcons({"count", fixtures().cursor}).out, "1");
    const QString text = fixtures().scratchPath("words.txt");
    writeBytes(text, "no icons here\n");
    const Outcome other = zorIcons({"count", text});
    EXPECT_EQ(other.code, 0);
    EXPECT_EQ(other.out, "0");
}

TEST(ZorIcons, FilesItCannotReadAndExportsThatWriteNothingFail)
{
    REQUIRE_FIXTURES();
    // An icon file whose directory points past its end: one icon, no image to be had.
    QByteArray broken = readBytes(fixtures().plainA);
    for (int entry : {0, 1})
        qToLittleEndian<quint32>(quint32(broken.size() + 10), broken.data() + 6 + entry * 16 + 12);
    const QString brokenIco = fixtures().scratchPath("broken.ico");
    writeBytes(brokenIco, broken);
    const QString missing = fixtures().path("nothing-here.ico");
    const QString out = fixtures().scratchPath("out");
    for (const QStringList& args : {QStringList{"count", missing}, QStringList{"count", fixtures().dir},
                                    QStringList{"export", missing, out}, QStringList{"export", brokenIco, out},
                                    QStringList{"export", brokenIco, out, "--format", "ico"}}) {
        const Outcome r = zorIcons(args);
        EXPECT_EQ(r.code, 1) << qPrintable(args.join(' '));
        EXPECT_TRUE(r.out.isEmpty()) << qPrintable(args.join(' '));
        EXPECT_FALSE(r.err.isEmpty()) << qPrintable(args.join(' '));
        EXPECT_TRUE(QDir(out).isEmpty()) << qPrintable(args.join(' '));
    }
}

TEST(ZorIcons, ExportsBothSizesAsPng)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const QString out = tmp.filePath("new/icons");
    const Outcome r = zorIcons({"export", fixtures().dll64, out});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, "5");
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 10);
    EXPECT_EQ(QImage(out + "/4-32.png").size(), QSize(32, 32));
    EXPECT_EQ(QImage(out + "/4-16.png").size(), QSize(16, 16));
    EXPECT_TRUE(sameImage(QImage(out + "/3-32.png"), icotoolImage(fixtures().depthsIco, 5)));
}

TEST(ZorIcons, ExportsGroupsAsIco)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const Outcome r = zorIcons({"export", fixtures().icl, tmp.path(), "--format", "ico"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, "3");
    EXPECT_EQ(readBytes(tmp.filePath("0.ico")), readBytes(fixtures().depthsIco));
    EXPECT_EQ(readBytes(tmp.filePath("1.ico")), readBytes(fixtures().plainA));

    // Several files: a subfolder each, named after the file, a repeated name numbered.
    const QString again = fixtures().scratchPath("plainA.ico");
    QFile::copy(fixtures().plainB, again);
    const QString out = tmp.filePath("many");
    const Outcome several = zorIcons({"export", "--format=ico", fixtures().icl, fixtures().plainA, again, out});
    ASSERT_EQ(several.code, 0) << qPrintable(several.err);
    EXPECT_EQ(several.out, QStringList({fixtures().icl + "\t3", fixtures().plainA + "\t1", again + "\t1"}).join('\n'));
    EXPECT_EQ(readBytes(out + "/three.icl/2.ico"), readBytes(fixtures().plainB));
    EXPECT_EQ(readBytes(out + "/plainA.ico/0.ico"), readBytes(fixtures().plainA));
    EXPECT_EQ(readBytes(out + "/plainA.ico~2/0.ico"), readBytes(fixtures().plainB));
}

TEST(ZorIcons, CountsAndListsSeveralFilesInOneCall)
{
    REQUIRE_FIXTURES();
    const Fixtures& f = fixtures();
    const QString missing = f.path("nothing-here.ico");
    const Outcome counted = zorIcons({"count", f.dll32, missing, f.manyIcl});
    EXPECT_EQ(counted.code, 1);
    EXPECT_EQ(counted.out, f.dll32 + "\t5\n" + f.manyIcl + "\t170");
    EXPECT_TRUE(counted.err.contains(missing));

    // The JSON listing holds what icotool lists, and the text one says as much.
    const Outcome listed = zorIcons({"list", "--json", f.depthsIco, f.tallDll});
    ASSERT_EQ(listed.code, 0) << qPrintable(listed.err);
    const QJsonArray files = QJsonDocument::fromJson(listed.out.toUtf8()).array();
    ASSERT_EQ(files.size(), 2);
    const QJsonArray images = files[0]["icons"][0]["images"].toArray();
    const auto expected = icotoolList(f.depthsIco);
    ASSERT_EQ(images.size(), qsizetype(expected.size()));
    for (qsizetype i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i]["width"].toInt(), expected[size_t(i)].width);
        EXPECT_EQ(images[i]["height"].toInt(), expected[size_t(i)].height);
        EXPECT_EQ(images[i]["depth"].toInt(), expected[size_t(i)].bits);
        EXPECT_EQ(images[i]["format"].toString(), i == 6 ? "PNG" : "BMP");
        EXPECT_GT(images[i]["bytes"].toInt(), 0);
    }
    EXPECT_EQ(files[1]["file"].toString(), f.tallDll);
    EXPECT_EQ(files[1]["icons"][0]["images"][0]["height"].toInt(), 313);
    const Outcome text = zorIcons({"list", f.tallDll});
    EXPECT_TRUE(text.out.contains("194 x 313") && text.out.contains("32-bit BMP")) << qPrintable(text.out);
}

// zor-icons counts and lists plain words itself, without Qt; its helper reads every option.
// Whichever runs them, every file (read, missing, a folder, no icon source, a name JSON must
// escape) gives the same bytes and status.
TEST(ZorIcons, CountAndListSayTheSameWithoutQtAsWithIt)
{
    REQUIRE_FIXTURES();
    const QString quoted = fixtures().scratchPath("a \"quoted\" \\ name.dll");
    QFile::copy(fixtures().dll32, quoted);
    const QString text = fixtures().scratchPath("words.txt");
    writeBytes(text, "no icons here\n");
    QStringList files = {quoted, text, fixtures().path("nothing-here.ico"), fixtures().dir};
    for (const QString& name : QDir(fixtures().dir).entryList(QDir::Files))
        files << fixtures().path(name);
    for (const QStringList& command : {QStringList{"count"}, QStringList{"list"}, QStringList{"list", "--json"}}) {
        for (const QStringList& args : {command + files, command + QStringList{quoted}, command + QStringList{text}}) {
            const Outcome plain = zorIcons(args), full = zorIcons(args, ZOR_ICONS_CORE_EXE);
            EXPECT_EQ(plain.code, full.code) << qPrintable(args.join(' '));
            EXPECT_EQ(plain.out, full.out) << qPrintable(args.join(' '));
            EXPECT_EQ(plain.err, full.err) << qPrintable(args.join(' '));
        }
    }
}

TEST(ZorIcons, DrawsThumbnailsFromTheBestImage)
{
    REQUIRE_FIXTURES();
    const Fixtures& f = fixtures();
    const QString out = f.scratchPath("thumb.png");
    struct Case { QString file; int side; QImage expected; };
    const QImage big = icotoolImage(f.pngOnlyIco, 1);
    // Above 256 the largest image up to the size asked, never enlarged: of a 1024 px white one,
    // 512 and 1024.
    const QString white = f.scratchPath("white1024.ico");
    writeBytes(white, icoAround(pngFile(1024, 1024, 0, 1, QByteArray(128 * 1024, char(0xff))), 0));
    QImage white512(512, 512, QImage::Format_ARGB32), white1024(1024, 1024, QImage::Format_ARGB32);
    white512.fill(Qt::white);
    white1024.fill(Qt::white);
    const Case cases[] = {
        {f.depthsIco, 48, icotoolImage(f.depthsIco, 6)},   // the 48 px image itself
        {f.pngOnlyIco, 100, big.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                .scaled(100, 100, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)},
        {f.icl, 32, icotoolImage(f.depthsIco, 5)},          // a library's first icon
        {f.depthsIco, 512, icotoolImage(f.depthsIco, 7)},   // its 256 px PNG
        {f.small16Ico, 1024, icotoolImage(f.small16Ico, 1)},
        {white, 512, white512},
        {white, 1024, white1024},
    };
    for (const Case& c : cases) {
        QFile::remove(out);
        const Outcome r = zorIcons({"thumbnail", "-s", QString::number(c.side), c.file, out});
        ASSERT_EQ(r.code, 0) << qPrintable(r.err);
        EXPECT_TRUE(sameImage(QImage(out), c.expected)) << qPrintable(c.file) << " at " << c.side;
    }
    const Outcome tall = zorIcons({"thumbnail", "--size=64", f.tallDll, out});
    ASSERT_EQ(tall.code, 0) << qPrintable(tall.err);
    EXPECT_EQ(QImage(out).size(), QSize(64, 64));

    const QString text = f.scratchPath("thumb.txt");
    writeBytes(text, "no icons\n");
    for (const QStringList& args : {QStringList{"thumbnail", "-s", "32", text, out},
                                    QStringList{"thumbnail", "-s", "32", f.plainA, f.scratchPath("no/such/folder.png")}}) {
        QFile::remove(out);
        const Outcome r = zorIcons(args);
        EXPECT_EQ(r.code, 1) << qPrintable(args.join(' '));
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

TEST(ZorIcons, DocumentsEveryCommandAndOption)
{
    const Outcome help = zorIcons({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* word : {"count FILE", "list [--json] FILE", "export [--format png|ico] FILE... DIR",
                             "thumbnail -s SIZE FILE OUTPUT.png", "--help", "--version", "--json", "--format",
                             "--size", "Exit status",
                             "create [--sizes LIST] [--depth 32|8|4] [--png] IMAGE... -o OUT.ico",
                             "build-icl [--name MODULE] [--names] ICON-OR-SOURCE... -o OUT.icl"})
        EXPECT_TRUE(help.out.contains(word)) << word;
    const Outcome version = zorIcons({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "zor-icons " ZOR_VERSION);
}

TEST(ZorIcons, RefusesWhatHoldsNoIconsAndBadUsage)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const QString out = tmp.filePath("out");
    const QString text = fixtures().scratchPath("plain.txt");
    writeBytes(text, "hello\n");
    const Outcome none = zorIcons({"export", text, out});
    EXPECT_EQ(none.code, 1);
    EXPECT_FALSE(none.err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(out));

    for (const QStringList& args :
         {QStringList{}, QStringList{"count"}, QStringList{"draw", text}, QStringList{"--bogus", "count", text},
          QStringList{"count", "--json", text}, QStringList{"export", text},
          QStringList{"export", text, out, "--format", "gif"}, QStringList{"export", text, out, "--format"},
          QStringList{"thumbnail", text, out}, QStringList{"thumbnail", "-s", "0", text, out},
          QStringList{"thumbnail", "-s", "1025", text, out}, QStringList{"thumbnail", "-s", "32", text}}) {
        const Outcome r = zorIcons(args);
        EXPECT_EQ(r.code, 2) << qPrintable(args.join(' '));
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(out));
}

namespace {
QList<QByteArray> zorIconsWith(const QList<QByteArray>& words)
{
    return QList<QByteArray>{ZOR_ICONS_EXE} + words;
}
} // namespace

// A file manager hands over names as bytes: they open, and come back out, byte for byte.
TEST(ZorIcons, NamesThatAreNotUtf8GoInAndComeOutAsTheirBytes)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const QByteArray folder = QFile::encodeName(tmp.path());
    const struct {
        QByteArray name;   // Latin-1 and Shift_JIS, neither of them UTF-8
        QString source;
        QByteArray count;
    } files[] = {{"caf\xe9.ico", fixtures().depthsIco, "1"},
                 {"\x83\x41\x83\x43\x83\x52\x83\x93.dll", fixtures().dll32, "5"}};
    for (const auto& f : files) {
        const QByteArray path = folder + '/' + f.name;
        const QByteArray bytes = readBytes(f.source);
        std::FILE* copy = std::fopen(path.constData(), "wb");
        ASSERT_NE(copy, nullptr);
        ASSERT_EQ(std::fwrite(bytes.constData(), 1, size_t(bytes.size()), copy), size_t(bytes.size()));
        std::fclose(copy);
        EXPECT_EQ(runBytes(zorIconsWith({"count", path})).out, f.count + '\n');
        EXPECT_TRUE(runBytes(zorIconsWith({"list", path})).out.startsWith(path + ": " + f.count + " icon"));
        const QJsonArray listed = QJsonDocument::fromJson(runBytes(zorIconsWith({"list", "--json", path})).out).array();
        ASSERT_EQ(listed.size(), 1);
        EXPECT_EQ(QByteArray::fromBase64(listed[0]["file_bytes"].toString().toLatin1()), path);
        const QByteArray out = folder + "/out-" + f.count;
        const Ran exported = runBytes(zorIconsWith({"export", "--format", "ico", path, out}));
        EXPECT_EQ(exported.code, 0) << exported.err.constData();
        EXPECT_EQ(QDir(QFile::decodeName(out)).entryList(QDir::Files).size(), f.count.toInt());
        const QByteArray thumb = out + "/thumb.png";
        EXPECT_EQ(runBytes(zorIconsWith({"thumbnail", "-s", "32", path, thumb})).code, 0);
        EXPECT_EQ(QImage(QFile::decodeName(thumb)).size(), QSize(32, 32));
    }
    // What the search prints opens again: the plain line's name, and the JSON line's bytes.
    const Ran found = runBytes(zorIconsWith({"search", folder}));
    const Ran json = runBytes(zorIconsWith({"search", "--json", folder}));
    QSet<QByteArray> named, decoded;
    for (const QByteArray& line : found.out.split('\n'))
        if (!line.isEmpty())
            named << line.split('\t').first();
    for (const QByteArray& line : json.out.split('\n'))
        if (!line.isEmpty())
            decoded << QByteArray::fromBase64(QJsonDocument::fromJson(line)["path_bytes"].toString().toLatin1());
    EXPECT_EQ(named, decoded);
    EXPECT_EQ(named.size(), 2);
    for (const QByteArray& path : named)
        EXPECT_EQ(runBytes(zorIconsWith({"count", path})).code, 0) << path.constData();
}

// Output nobody could write (a full disk, here /dev/full) is a failure, never a success.
TEST(ZorIcons, OutputThatCannotBeWrittenFails)
{
    REQUIRE_FIXTURES();
    const QByteArray ico = QFile::encodeName(fixtures().depthsIco);
    const QByteArray dir = QFile::encodeName(fixtures().dir);
    for (const QList<QByteArray>& words : {QList<QByteArray>{"count", ico}, {"list", ico}, {"list", "--json", ico},
                                           {"search", dir}, {"search", "--json", dir}, {"search", "--help"},
                                           {"--help"}, {"--version"}}) {
        const Ran r = runBytes(zorIconsWith(words), "/dev/full");
        EXPECT_NE(r.code, 0) << words.join(' ').constData();
        EXPECT_TRUE(r.err.contains("write error")) << words.join(' ').constData() << r.err.constData();
    }
}

// When a file gives no icons, list says why on standard error, and where the reader stopped.
TEST(ZorIcons, ListSaysWhyAFileGivesNoIcons)
{
    REQUIRE_FIXTURES();
    QByteArray pastEnd = readBytes(fixtures().plainA);
    for (int entry : {0, 1})
        qToLittleEndian<quint32>(quint32(pastEnd.size() + 10), pastEnd.data() + 6 + entry * 16 + 12);
    // A thousand groups sharing one record of images that are not there.
    HandMadeResources missing;
    missing.icons = icoImageData(readBytes(fixtures().plainA));
    missing.records = {iconGroup(readBytes(fixtures().plainA), std::vector<int>(256, 99))};
    missing.groups.assign(1000, 0);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* why;
    } rows[] = {
        {"missing.dll", handMadePe(missing), "every image refused"},
        {"words.txt", "no icons here\n", "not an icon source"},
        {"cut.dll", readBytes(fixtures().dll32).left(200), "cut short"},
        {"cut.ico", readBytes(fixtures().depthsIco).left(20), "cut short"},
        {"past-end.ico", pastEnd, "every image refused"},
    };
    for (const auto& row : rows) {
        const QString path = fixtures().scratchPath(row.name);
        writeBytes(path, row.bytes);
        const Outcome r = zorIcons({"list", path});
        EXPECT_EQ(r.code, 0) << row.name;
        EXPECT_TRUE(r.err.contains(path + ": " + row.why)) << row.name << ": " << r.err.toStdString();
    }
}

// A small file whose groups all name one group of 256 images would list or export hundreds
// of gigabytes: each input may make a command write 16 times its size (at least 16 MiB), and
// past that it stops, saying so, with nothing of the file half-written.
TEST(ZorIcons, OutputStopsAtALimitSetByTheInputsSize)
{
    REQUIRE_FIXTURES();
    const QByteArray ico = readBytes(fixtures().plainA);
    HandMadeResources shared;
    shared.icons = icoImageData(ico);
    shared.records = {iconGroup(ico, std::vector<int>(256, 1))};
    shared.groups.assign(131070, 0);
    const QString pe = fixtures().scratchPath("shared.dll"), ne = fixtures().scratchPath("shared.icl");
    writeBytes(pe, handMadePe(shared));
    shared.groups.assign(200000, 0);   // more than a library numbers: the first 131072 are read
    writeBytes(ne, handMadeNe(shared));
    EXPECT_EQ(zorIcons({"count", ne}).out, "131072");
    for (const QString& file : {pe, ne}) {
        const qint64 limit = qMax<qint64>(16 << 20, 16 * QFileInfo(file).size());
        for (const QStringList& command : {QStringList{"list"}, QStringList{"list", "--json"},
                                           QStringList{"export", "--format", "ico"}, QStringList{"export"}}) {
            SCOPED_TRACE((QFileInfo(file).fileName() + ' ' + command.join(' ')).toStdString());
            QTemporaryDir tmp;
            const QString out = tmp.filePath("out");
            const bool exporting = command.first() == "export";
            const Outcome r = zorIcons(command + QStringList{file} + (exporting ? QStringList{out} : QStringList{}));
            EXPECT_EQ(r.code, 1);
            EXPECT_TRUE(r.err.contains(file + (exporting ? ": stopped at icon " : ": not listed: the listing would pass "))
                        && r.err.contains(QStringLiteral("the output limit of %1 bytes").arg(limit)))
                << qPrintable(r.err);
            if (!exporting) {   // measured first: nothing of the file is printed
                EXPECT_EQ(r.out, command.size() == 2 ? "[\n]" : "");
                continue;
            }
            // Every file there is whole, and they are no more than the limit.
            qint64 total = 0;
            const QFileInfoList written = QDir(out).entryInfoList(QDir::Files | QDir::Hidden);
            for (const QFileInfo& f : written) {
                total += f.size();
                EXPECT_TRUE(f.suffix() == "png" ? !QImage(f.filePath()).isNull()
                                                : IconFile::fromData(readBytes(f.filePath())).entries(0).size() == 256)
                    << qPrintable(f.fileName());
            }
            EXPECT_GT(written.size(), 0);
            EXPECT_LE(total, limit);
            EXPECT_EQ(r.out.toInt(), command.size() == 1 ? written.size() / 2 : written.size());
        }
    }
}
