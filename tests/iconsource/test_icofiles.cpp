// ICO and CUR files: counting, the choice of image per size, decoding against icotool.

#include "Fixtures.h"
#include "OpenFile.h"
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
    EXPECT_TRUE(openFile(text).extract(0).large.isNull());
}

TEST(IcoFile, ListsTheEntriesIcotoolLists)
{
    REQUIRE_FIXTURES();
    for (const QString& path : {fixtures().depthsIco, fixtures().cursor, fixtures().plainB}) {
        const auto listed = icotoolList(path);
        const auto entries = openFile(path).entries(0);
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
        const auto entries = openFile(path).entries(0);
        for (size_t i = 0; i < entries.size(); ++i)
            EXPECT_TRUE(sameImage(decodeEntry(entries[i]), icotoolImage(path, int(i) + 1)))
                << qPrintable(path) << " entry " << i;
    }
}

TEST(IcoFile, TakesTheNearestSizeAtTheDeepestColours)
{
    REQUIRE_FIXTURES();
    const IconPair pair = openFile(fixtures().depthsIco).extract(0);
    // 32 px at 32 bits beats 8 and 24 bits; of the two 16 px images the 4-bit one.
    EXPECT_TRUE(sameImage(pair.large, icotoolImage(fixtures().depthsIco, 5)));
    EXPECT_TRUE(sameImage(pair.small, icotoolImage(fixtures().depthsIco, 2)));

    const IconFile only = openFile(fixtures().pngOnlyIco);
    const QImage big = icotoolImage(fixtures().pngOnlyIco, 1);
    const IconPair scaled = only.extract(0);
    EXPECT_TRUE(sameImage(scaled.large, big.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    EXPECT_TRUE(sameImage(scaled.small, big.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    EXPECT_EQ(only.image(0, {48, 48}).size(), QSize(48, 48));
}

TEST(ChooseEntry, PrefersTheSquareOfTheSizeThenShrinkingThenTheDepthNearest32)
{
    auto entry = [](int width, int height, int bits) {
        GroupEntry e;
        e.width = width;
        e.height = height;
        e.bitCount = bits;
        e.planes = 1;
        return e;
    };
    struct Case {
        std::vector<GroupEntry> entries;
        int side;
        int chosen;
    };
    const Case cases[] = {
        {{entry(32, 4, 32), entry(32, 32, 24), entry(32, 32, 8)}, 32, 1},   // the deepest of the exact size
        {{entry(24, 24, 32), entry(40, 40, 32)}, 32, 1},                     // shrink rather than enlarge
        {{entry(40, 40, 32), entry(24, 24, 32)}, 32, 0},
        {{entry(256, 256, 32), entry(48, 48, 8)}, 32, 1},                    // the nearest of the larger
        {{entry(16, 16, 32), entry(256, 256, 32)}, 32, 1},
        {{entry(16, 16, 32), entry(24, 24, 32)}, 32, 1},                     // the nearest of the smaller
        {{entry(32, 16, 32), entry(16, 16, 4)}, 16, 1},                      // square beats squashed
        {{entry(32, 16, 32), entry(32, 32, 32)}, 16, 1},                     // and fills more of the square
        {{entry(16, 16, 1), entry(16, 16, 1)}, 16, 0},                       // first of equals
        {{}, 32, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseEntry(c.entries, {c.side, c.side}), c.chosen) << "case " << (&c - cases);
}

TEST(IcoFile, FitsEveryImageIntoTheSquareWithItsAspectKept)
{
    REQUIRE_FIXTURES();
    const Fixtures& f = fixtures();
    // Opaque pictures; what lies outside the rectangle that keeps their aspect is transparent.
    QByteArray whiteRows(1024 * 128, char(0xff));
    const QByteArray png1024 = pngFile(1024, 1024, 0, 1, whiteRows);
    const QByteArray png1025 = pngFile(1032, 1025, 0, 1, QByteArray(129 * 1025, char(0xff)));
    struct Case {
        QByteArray file;
        int side;
        QRect opaque;   // empty: no picture
    };
    const Case cases[] = {
        {readBytes(f.tallIco), 32, {6, 0, 19, 32}},   // 194 x 313 -> 19 x 32, centred
        {readBytes(f.tallIco), 16, {3, 0, 9, 16}},
        {readBytes(f.tallPngIco), 32, {6, 0, 19, 32}},
        {readBytes(f.tallDll), 32, {6, 0, 19, 32}},
        {readBytes(f.wideIco), 16, {0, 0, 16, 16}},   // the square image, not the 32 x 16 one squashed
        {readBytes(f.wideOnlyIco), 16, {0, 4, 16, 8}},
        {readBytes(f.wideOnlyIco), 48, {0, 12, 48, 24}},
        {icoAround(png1024, 0), 32, {0, 0, 32, 32}},   // the largest that is decoded
        {icoAround(png1025, 0), 32, {}},
    };
    for (const Case& c : cases) {
        const QImage image = IconFile::fromData(c.file).image(0, {c.side, c.side});
        const int n = int(&c - cases);
        if (c.opaque.isEmpty()) {
            EXPECT_TRUE(image.isNull()) << "case " << n;
            continue;
        }
        ASSERT_EQ(image.size(), QSize(c.side, c.side)) << "case " << n;
        int wrong = 0;
        for (int y = 0; y < c.side; ++y)
            for (int x = 0; x < c.side; ++x)
                wrong += qAlpha(image.pixel(x, y)) != (c.opaque.contains(x, y) ? 255 : 0);
        EXPECT_EQ(wrong, 0) << "case " << n;
    }
}

TEST(IcoFile, EnlargesByWholeFactorsPixelForPixel)
{
    REQUIRE_FIXTURES();
    const IconFile file = openFile(fixtures().small16Ico);
    const QImage source = decodeEntry(file.entries(0).at(0));
    ASSERT_EQ(source.size(), QSize(16, 16));
    for (int factor : {2, 3}) {
        const QImage image = file.image(0, source.size() * factor);
        ASSERT_EQ(image.size(), source.size() * factor);
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                wrong += image.pixel(x, y) != source.pixel(x / factor, y / factor);
        EXPECT_EQ(wrong, 0) << "factor " << factor;
    }
}

TEST(IcoFile, GroupAsIcoRebuildsTheFileItCameFrom)
{
    REQUIRE_FIXTURES();
    EXPECT_EQ(openFile(fixtures().depthsIco).groupAsIco(0), readBytes(fixtures().depthsIco));
    EXPECT_TRUE(openFile(fixtures().depthsIco).groupAsIco(1).isEmpty());

    // A cursor comes out as an icon with the same images.
    const QString asIco = fixtures().scratchPath("arrow-as.ico");
    writeBytes(asIco, openFile(fixtures().cursor).groupAsIco(0));
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

TEST(IcoFile, ScalesPngOfEveryColourTypeWithoutNoise)
{
    // 256 px PNG images (the size Vista stores as PNG), the left half one colour and the
    // right half another, scaled down: well inside each half the colour comes out unchanged.
    constexpr int kSide = 256;
    const QByteArray redBlue = QByteArray::fromHex("ff0000" "0000ff");
    auto halves = [](int bits, char left, char right) {
        const int half = kSide * bits / 16;
        QByteArray rows;
        for (int y = 0; y < kSide; ++y)
            rows += QByteArray(half, left) + QByteArray(half, right);
        return rows;
    };
    struct Case {
        const char* what;
        QByteArray png;
        QRgb left, right;
    };
    const Case cases[] = {
        {"8-bit palette, right colour transparent",
         pngFile(kSide, kSide, 3, 8, halves(8, 0, 1), redBlue, QByteArray::fromHex("ff00")), qRgb(255, 0, 0), 0},
        {"4-bit palette, left colour transparent",
         pngFile(kSide, kSide, 3, 4, halves(4, 0x00, 0x11), redBlue, QByteArray::fromHex("00")), 0, qRgb(0, 0, 255)},
        {"1-bit palette", pngFile(kSide, kSide, 3, 1, halves(1, 0, char(0xff)), redBlue), qRgb(255, 0, 0), qRgb(0, 0, 255)},
        {"1-bit grey", pngFile(kSide, kSide, 0, 1, halves(1, 0, char(0xff))), qRgb(0, 0, 0), qRgb(255, 255, 255)},
        {"1-bit grey, black transparent",
         pngFile(kSide, kSide, 0, 1, halves(1, 0, char(0xff)), {}, QByteArray::fromHex("0000")), 0, qRgb(255, 255, 255)},
        {"2-bit grey", pngFile(kSide, kSide, 0, 2, halves(2, 0x55, char(0xff))), qRgb(85, 85, 85), qRgb(255, 255, 255)},
        {"8-bit grey, white transparent",
         pngFile(kSide, kSide, 0, 8, halves(8, 0x40, char(0xff)), {}, QByteArray::fromHex("00ff")), qRgb(64, 64, 64), 0},
    };
    for (const Case& c : cases) {
        const IconFile file = IconFile::fromData(icoAround(c.png, 0));
        for (int side : {16, 32, 48}) {
            const QImage image = file.image(0, {side, side});
            ASSERT_EQ(image.size(), QSize(side, side)) << c.what;
            int wrong = 0;
            for (int y = 1; y < side - 1; ++y) {
                for (int x = 1; x < side / 2 - 1; ++x) {
                    const QRgb left = image.pixel(x, y), right = image.pixel(side - 1 - x, y);
                    wrong += !(left == c.left || (qAlpha(c.left) == 0 && qAlpha(left) == 0));
                    wrong += !(right == c.right || (qAlpha(c.right) == 0 && qAlpha(right) == 0));
                }
            }
            EXPECT_EQ(wrong, 0) << c.what << " at " << side << " px";
        }
    }
}
