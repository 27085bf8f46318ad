// ICO and CUR files: counting, the choice of image per size, decoding against icotool.

#include "Fixtures.h"
#include "IconSource.h"

#include <QFile>

#include <sys/stat.h>

using namespace zor::iconsource;
using namespace zor::iconfixtures;


TEST(IcoFile, HoldsOneIconWhateverTheName)
{
    REQUIRE_FIXTURES();
    const Fixtures& f = fixtures();
    EXPECT_EQ(countIcons(f.depthsIco), 1);
    EXPECT_EQ(countIcons(f.pngOnlyIco), 1);
    EXPECT_EQ(countIcons(f.cursor), 1);

    // Content decides, not the name: an icon called .txt is an icon, a text called .ico is not.
    const QString renamed = f.scratchPath("icon-named.txt");
    QFile::copy(f.depthsIco, renamed);
    EXPECT_EQ(countIcons(renamed), 1);
    const QString text = f.scratchPath("text.ico");
    writeBytes(text, "not an icon at all\n");
    EXPECT_EQ(countIcons(text), 0);
    const QString empty = f.scratchPath("empty.ico");
    writeBytes(empty, {});
    EXPECT_EQ(countIcons(empty), 0);
    EXPECT_EQ(countIcons(f.path("missing.ico")), 0);
    EXPECT_EQ(countIcons(f.dir), 0);
    EXPECT_EQ(countIcons("/dev/zero"), 0);
    const QString fifo = f.scratchPath("fifo.ico");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(countIcons(fifo), 0);   // and does not wait for a writer
    EXPECT_TRUE(extractIcons(text, 0, 1).empty());
}

TEST(IcoFile, ListsTheEntriesIcotoolLists)
{
    REQUIRE_FIXTURES();
    for (const QString& path : {fixtures().depthsIco, fixtures().cursor, fixtures().plainB}) {
        const auto listed = icotoolList(path);
        const auto entries = IconFile(path).entries(0);
        ASSERT_EQ(entries.size(), listed.size()) << qPrintable(path);
        for (size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(entries[i].width, listed[i].width) << qPrintable(path) << " entry " << i;
            EXPECT_EQ(entries[i].height, listed[i].height) << qPrintable(path) << " entry " << i;
            EXPECT_EQ(entries[i].bitCount, listed[i].bits) << qPrintable(path) << " entry " << i;
        }
    }
}

TEST(IcoFile, DecodesEveryDepthAsIcotoolDoes)
{
    REQUIRE_FIXTURES();
    // 1, 4, 8, 24 and 32 bits with AND masks, and a PNG-compressed 256 px image; a cursor too.
    for (const QString& path : {fixtures().depthsIco, fixtures().cursor}) {
        const auto entries = IconFile(path).entries(0);
        for (size_t i = 0; i < entries.size(); ++i)
            EXPECT_TRUE(sameImage(decodeEntry(entries[i]), icotoolImage(path, int(i) + 1)))
                << qPrintable(path) << " entry " << i;
    }
}

TEST(IcoFile, TakesTheNearestSizeAtTheDeepestColours)
{
    REQUIRE_FIXTURES();
    const IconPair pair = IconFile(fixtures().depthsIco).extract(0);
    // 32 px at 32 bits beats 8 and 24 bits; of the two 16 px images the 4-bit one.
    EXPECT_TRUE(sameImage(pair.large, icotoolImage(fixtures().depthsIco, 5)));
    EXPECT_TRUE(sameImage(pair.small, icotoolImage(fixtures().depthsIco, 2)));

    const IconFile only(fixtures().pngOnlyIco);
    const QImage big = icotoolImage(fixtures().pngOnlyIco, 1);
    const IconPair scaled = only.extract(0);
    EXPECT_TRUE(sameImage(scaled.large, big.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    EXPECT_TRUE(sameImage(scaled.small, big.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    EXPECT_EQ(only.image(0, {48, 48}).size(), QSize(48, 48));
}

TEST(ChooseEntry, PrefersTheLargerOnATieThenTheDepthNearest32)
{
    auto entry = [](int side, int bits) {
        GroupEntry e;
        e.width = e.height = side;
        e.bitCount = bits;
        e.planes = 1;
        return e;
    };
    // 24 and 40 px are both 8 away from 32: take the larger, scaled down.
    EXPECT_EQ(chooseEntry({entry(24, 32), entry(40, 32)}, {32, 32}), 1);
    EXPECT_EQ(chooseEntry({entry(40, 32), entry(24, 32)}, {32, 32}), 0);
    EXPECT_EQ(chooseEntry({entry(32, 4), entry(32, 24), entry(32, 8)}, {32, 32}), 1);
    EXPECT_EQ(chooseEntry({entry(256, 32), entry(48, 8)}, {32, 32}), 1);
    EXPECT_EQ(chooseEntry({entry(16, 1), entry(16, 1)}, {16, 16}), 0);   // first of equals
    EXPECT_EQ(chooseEntry({}, {32, 32}), -1);
}

TEST(IcoFile, GroupAsIcoRebuildsTheFileItCameFrom)
{
    REQUIRE_FIXTURES();
    EXPECT_EQ(IconFile(fixtures().depthsIco).groupAsIco(0), readBytes(fixtures().depthsIco));
    EXPECT_TRUE(IconFile(fixtures().depthsIco).groupAsIco(1).isEmpty());

    // A cursor comes out as an icon with the same images.
    const QString asIco = fixtures().scratchPath("arrow-as.ico");
    writeBytes(asIco, IconFile(fixtures().cursor).groupAsIco(0));
    const auto listed = icotoolList(asIco);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_TRUE(sameImage(icotoolImage(asIco, 2), icotoolImage(fixtures().cursor, 2)));
}

TEST(IcoFile, DecodesSixteenBitImages)
{
    // icotool cannot write 16-bit images, so this 2 x 2 one is put together here:
    // 5-5-5 colours (or 5-6-5 through bit fields), the top right pixel masked out.
    auto dib = [](quint32 compression, std::initializer_list<quint16> pixels) {
        QByteArray d(40, '\0');
        auto put = [&d](int at, quint32 v, int bytes) {
            for (int i = 0; i < bytes; ++i)
                d[at + i] = char((v >> (8 * i)) & 0xff);
        };
        put(0, 40, 4);
        put(4, 2, 4);
        put(8, 4, 4);
        put(12, 1, 2);
        put(14, 16, 2);
        put(16, compression, 4);
        if (compression == 3) {
            d.append(QByteArray(12, '\0'));
            put(40, 0xf800, 4);
            put(44, 0x07e0, 4);
            put(48, 0x001f, 4);
        }
        for (quint16 p : pixels)   // bottom row first
            d.append(char(p & 0xff)).append(char(p >> 8));
        d.append(QByteArray::fromHex("00000000" "40000000"));   // AND rows, bottom first
        return d;
    };
    GroupEntry e555;
    const QByteArray bytes555 = dib(0, {0x7c00, 0x001f, 0x03e0, 0x7fff});
    e555.data = bytes555;
    const QImage rgb555 = decodeEntry(e555);
    ASSERT_EQ(rgb555.size(), QSize(2, 2));
    EXPECT_EQ(rgb555.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(rgb555.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(rgb555.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(qAlpha(rgb555.pixel(1, 0)), 0);

    GroupEntry e565;
    const QByteArray bytes565 = dib(3, {0xf800, 0x001f, 0x07e0, 0xffff});
    e565.data = bytes565;
    const QImage rgb565 = decodeEntry(e565);
    ASSERT_EQ(rgb565.size(), QSize(2, 2));
    EXPECT_EQ(rgb565.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(rgb565.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(qAlpha(rgb565.pixel(1, 0)), 0);
}
