// Damaged and hostile input: never a crash or a hang, only fewer icons or null images.

#include "Fixtures.h"
#include "IconSource.h"
#include "ReadEverything.h"

#include <QColorSpace>
#include <QtEndian>

#include <random>

using namespace zor::iconsource;
using namespace zor::iconfixtures;

namespace {

// Reads everything the file offers and fails the test with what came out wrong.
void readAll(const QByteArray& bytes)
{
    const QString wrong = readEverything(bytes);
    ASSERT_TRUE(wrong.isEmpty()) << qPrintable(wrong);
}

void put16(QByteArray& b, qsizetype at, quint16 v) { qToLittleEndian(v, b.data() + at); }
void put32(QByteArray& b, qsizetype at, quint32 v) { qToLittleEndian(v, b.data() + at); }
quint32 get32(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 get16(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }

} // namespace

TEST(BadInput, TruncatedFixturesGiveFewerIconsOrNullImages)
{
    REQUIRE_FIXTURES();
    for (const QString& path : fixtures().all()) {
        const QByteArray bytes = readBytes(path);
        for (qsizetype n = 0; n < qMin<qsizetype>(bytes.size(), 700); ++n)
            ASSERT_NO_FATAL_FAILURE(readAll(bytes.left(n))) << qPrintable(path) << " cut at " << n;
        for (qsizetype n = 700; n < bytes.size(); n += qMax<qsizetype>(1, bytes.size() / 150))
            ASSERT_NO_FATAL_FAILURE(readAll(bytes.left(n))) << qPrintable(path) << " cut at " << n;
    }
}

TEST(BadInput, FlippedBytesGiveFewerIconsOrNullImages)
{
    REQUIRE_FIXTURES();
    std::mt19937 random(20261207);
    for (const QString& path : fixtures().all()) {
        const QByteArray original = readBytes(path);
        for (int round = 0; round < 100; ++round) {
            QByteArray bytes = original;
            const int flips = 1 + int(random() % 8);
            // Mostly the headers and directories, where a flip changes most.
            const qsizetype span = round % 2 ? bytes.size() : qMin<qsizetype>(bytes.size(), 1024);
            for (int i = 0; i < flips; ++i)
                bytes[qsizetype(random() % span)] ^= char(1 << (random() % 8));
            ASSERT_NO_FATAL_FAILURE(readAll(bytes)) << qPrintable(path) << " round " << round;
        }
    }
}

TEST(BadInput, IcoDirectoriesThatLie)
{
    REQUIRE_FIXTURES();
    const QByteArray good = readBytes(fixtures().plainA);

    QByteArray hugeCount = good;
    put16(hugeCount, 4, 0xffff);   // the directory cannot fit
    EXPECT_EQ(IconFile::fromData(hugeCount).count(), 0);
    QByteArray zeroCount = good;
    put16(zeroCount, 4, 0);
    EXPECT_EQ(IconFile::fromData(zeroCount).count(), 0);

    QByteArray pastEnd = good;
    put32(pastEnd, 6 + 12, quint32(good.size() + 10));
    put32(pastEnd, 6 + 16 + 12, 0xfffffff0u);
    const IconFile lost = IconFile::fromData(pastEnd);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_TRUE(lost.extract(0).large.isNull());
    EXPECT_TRUE(lost.extract(0).small.isNull());
    EXPECT_TRUE(lost.groupAsIco(0).isEmpty());

    QByteArray twoGigabytes = good;
    put32(twoGigabytes, 6 + 8, 0x80000000u);
    EXPECT_TRUE(IconFile::fromData(twoGigabytes).extract(0).large.isNull());
    EXPECT_FALSE(IconFile::fromData(twoGigabytes).extract(0).small.isNull());
}

TEST(BadInput, ImagesThatClaimToBeHuge)
{
    // A DIB header of 60000 x 60000 pixels behind a 32 px directory entry.
    QByteArray dib(40 + 64, '\0');
    put32(dib, 0, 40);
    put32(dib, 4, 60000);
    put32(dib, 8, 120000);
    put16(dib, 12, 1);
    put16(dib, 14, 32);
    EXPECT_TRUE(IconFile::fromData(icoAround(dib)).extract(0).large.isNull());

    // A PNG whose header says 60000 x 60000, with a valid checksum.
    QByteArray ihdr(13, '\0');
    qToBigEndian(quint32(60000), ihdr.data());
    qToBigEndian(quint32(60000), ihdr.data() + 4);
    ihdr[8] = 8;
    ihdr[9] = 6;
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr)
        + pngChunk("IDAT", QByteArray(64, '\0')) + pngChunk("IEND", {});
    const IconFile file = IconFile::fromData(icoAround(png, 0));
    ASSERT_EQ(file.count(), 1);
    EXPECT_TRUE(file.extract(0).large.isNull());
    EXPECT_TRUE(file.image(0, {256, 256}).isNull());

    // A library of nothing but images larger than 256 px: a few are decoded, not all.
    std::vector<QByteArray> groups;
    for (int i = 0; i < kMaxOversizeDecodes + 8; ++i) {
        // Grey, every one different, so none is a picture made before.
        groups.push_back(icoAround(pngFile(300, 300, 0, 8, QByteArray(300 * 300, char(i))), 0));
    }
    const IconFile library = IconFile::fromData(neLibrary(groups));
    ASSERT_EQ(library.count(), int(groups.size()));
    int decoded = 0;
    for (int i = 0; i < library.count(); ++i)
        decoded += library.extract(i).large.isNull() ? 0 : 1;
    EXPECT_EQ(decoded, kMaxOversizeDecodes);
}

TEST(BadInput, PeResourceDirectoriesThatLoopOrOverflow)
{
    REQUIRE_FIXTURES();
    const QByteArray good = readBytes(fixtures().dll32);
    const qsizetype root = rsrcOffset(good);
    ASSERT_GT(root, 0);
    const int types = get16(good, root + 12) + get16(good, root + 14);

    // Every type entry, then every entry of the first type, pointing back at the root.
    QByteArray loop = good;
    for (int i = 0; i < types; ++i)
        put32(loop, root + 16 + i * 8 + 4, 0x80000000u);
    EXPECT_NO_FATAL_FAILURE(readAll(loop));
    QByteArray inner = good;
    const qsizetype firstType = root + (get32(good, root + 16 + 4) & 0x7fffffff);
    const int names = get16(good, firstType + 12) + get16(good, firstType + 14);
    for (int i = 0; i < names; ++i)
        put32(inner, firstType + 16 + i * 8 + 4, 0x80000000u | quint32(firstType - root));
    EXPECT_NO_FATAL_FAILURE(readAll(inner));

    QByteArray counts = good;
    put16(counts, root + 12, 0xffff);
    put16(counts, root + 14, 0xffff);
    EXPECT_NO_FATAL_FAILURE(readAll(counts));

    // Every name of every type leading to a language directory that claims 131070 entries.
    QByteArray wide = counts;
    for (int t = 0; t < types; ++t) {
        const qsizetype type = root + (get32(good, root + 16 + t * 8 + 4) & 0x7fffffff);
        const int n = get16(good, type + 12) + get16(good, type + 14);
        for (int i = 0; i < n; ++i)
            put32(wide, type + 16 + i * 8 + 4, 0x80000000u);
    }
    EXPECT_NO_FATAL_FAILURE(readAll(wide));

    QByteArray sections = good;
    put16(sections, get32(good, 0x3c) + 6, 0xffff);
    EXPECT_NO_FATAL_FAILURE(readAll(sections));

    QByteArray header = good;
    put32(header, 0x3c, 0xfffffff0u);
    EXPECT_EQ(IconFile::fromData(header).count(), 0);
}

TEST(BadInput, NeResourceTablesThatLie)
{
    REQUIRE_FIXTURES();
    const QByteArray good = readBytes(fixtures().icl);
    const quint32 ne = get32(good, 0x3c);
    const qsizetype table = ne + get16(good, ne + 0x24);

    for (quint16 shift : {quint16(0), quint16(15), quint16(24), quint16(0xffff)}) {
        QByteArray b = good;
        put16(b, table, shift);
        EXPECT_NO_FATAL_FAILURE(readAll(b)) << "shift " << shift;
    }
    QByteArray count = good;
    put16(count, table + 4, 0xffff);
    EXPECT_NO_FATAL_FAILURE(readAll(count));

    QByteArray offsets = good;
    put16(offsets, table + 2 + 8, 0xffff);
    put16(offsets, table + 2 + 8 + 2, 0xffff);
    EXPECT_NO_FATAL_FAILURE(readAll(offsets));

    QByteArray pastEnd = good;
    put16(pastEnd, ne + 0x24, 0xfff0);
    put16(pastEnd, ne + 0x26, 0xfff8);
    EXPECT_EQ(IconFile::fromData(pastEnd).count(), 0);
}

// The PNG decoder is handed only the chunks that make the picture: text and colour profiles,
// which inflate without a bound of their own, and whatever follows IEND never reach it, and
// pixel data that inflates past what the picture's size holds is refused before it is inflated.
TEST(BadInput, PngChunksBeyondThePictureAreNeverInflated)
{
    QByteArray rows, filtered;
    for (int y = 0; y < 16; ++y) {
        const QByteArray row = QByteArray::fromHex("c01e1eff").repeated(16);
        rows += row;
        filtered += '\0' + row;
    }
    const QByteArray plain = pngFile(16, 16, 6, 8, rows);
    const QByteArray inflating = qCompress(QByteArray(8 << 20, ' '), 9).mid(4);
    const QByteArray text = pngChunk("tEXt", QByteArray("Title\0icon", 10)) + zTxtChunk(8 << 20)
        + pngChunk("iTXt", QByteArray("Comment\0\1\0\0\0", 12) + inflating)
        + pngChunk("iCCP", QByteArray("icc\0\0", 5) + inflating) + pngChunk("zzZz", inflating);
    QByteArray longChunk(8, '\0');
    qToBigEndian(quint32(0xfffffff0u), longChunk.data());
    longChunk.replace(4, 4, "zTXt");
    const QByteArray withoutEnd = plain.left(plain.size() - 12);
    const struct {
        const char* what;
        QByteArray png;
        bool decodes;
    } rowsOf[] = {
        {"plain", plain, true},
        {"text, a profile and a chunk of no known kind", pngWithChunks(plain, text), true},
        {"text after IEND", plain + zTxtChunk(8 << 20), true},
        {"a chunk longer than the file", withoutEnd + longChunk + "Comment", false},
        {"pixel data that inflates past the picture",
         plain.left(33) + pngChunk("IDAT", qCompress(filtered + QByteArray(64 << 20, '\0'), 9).mid(4))
             + pngChunk("IEND", {}),
         false},
    };
    for (const auto& row : rowsOf) {
        SCOPED_TRACE(row.what);
        const IconFile file = IconFile::fromData(icoAround(row.png, 16));
        const auto entries = file.entries(0);
        ASSERT_EQ(entries.size(), 1u);
        const QImage image = decodeEntry(entries[0]);
        ASSERT_EQ(image.isNull(), !row.decodes);
        if (!row.decodes)
            continue;
        EXPECT_EQ(image.size(), QSize(16, 16));
        EXPECT_EQ(image.pixel(7, 7), qRgb(0xc0, 0x1e, 0x1e));
        EXPECT_TRUE(image.textKeys().isEmpty()) << qPrintable(image.textKeys().join(' '));
        EXPECT_FALSE(image.colorSpace().isValid());
        EXPECT_NO_FATAL_FAILURE(readAll(icoAround(row.png, 16)));
    }
}
