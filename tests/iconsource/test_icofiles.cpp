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
    const QString renamed = f.path("icon-named.txt");
    QFile::copy(f.depthsIco, renamed);
    EXPECT_EQ(countIcons(renamed), 1);
    const QString text = f.path("text.ico");
    writeBytes(text, "not an icon at all\n");
    EXPECT_EQ(countIcons(text), 0);
    const QString empty = f.path("empty.ico");
    writeBytes(empty, {});
    EXPECT_EQ(countIcons(empty), 0);
    EXPECT_EQ(countIcons(f.path("missing.ico")), 0);
    EXPECT_EQ(countIcons(f.dir.path()), 0);
    EXPECT_EQ(countIcons("/dev/zero"), 0);
    const QString fifo = f.path("fifo.ico");
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
    const QString asIco = fixtures().path("arrow-as.ico");
    writeBytes(asIco, IconFile(fixtures().cursor).groupAsIco(0));
    const auto listed = icotoolList(asIco);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_TRUE(sameImage(icotoolImage(asIco, 2), icotoolImage(fixtures().cursor, 2)));
}
