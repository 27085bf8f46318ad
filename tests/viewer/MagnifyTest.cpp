// The magnified picture: pixel replication onto the whole inner area of the view,
// transparent parts in the window colour, kept by the view when it repaints.
#include "ViewerFixture.h"

#include "viewer/Kakudai.h"
#include "viewer/PictureBox.h"

#include <QPainter>
#include <QToolButton>

namespace zor::test {
namespace {

// A source buffer as the view holds one: the square at its top-left, other colours around.
QImage bufferWith(const QImage& square)
{
    QImage buffer(37, 37, QImage::Format_RGB32);
    buffer.fill(Qt::red);
    QPainter p(&buffer);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(square.rect(), windowColour());
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(0, 0, square);
    return buffer;
}

TEST(Magnify, BlocksWithinOnePixelFillTheArea)
{
    // Sizes that divide evenly and sizes that leave remainders of every kind.
    for (int n : {32, 16})
        for (int side : {381, 385, 383, 100, 47, 33, 16 * 24, 512}) {
            const QImage source = n == 32 ? largeTestImage(0) : smallTestImage(0);
            const QImage shown = Kakudai::Magnify(bufferWith(source), n, QSize(side, side));
            ASSERT_EQ(shown.size(), QSize(side, side));
            EXPECT_TRUE(isMagnified(shown, source)) << n << " onto " << side;
        }
}

TEST(Magnify, NonSquareAreaScalesEachAxis)
{
    const QImage source = largeTestImage(1);
    const QImage shown = Kakudai::Magnify(bufferWith(source), 32, QSize(200, 381));
    EXPECT_TRUE(isMagnified(shown, source));
}

TEST_F(ViewerTest, ViewShowsTheMagnifiedIconInsideItsFrame)
{
    openFolder({"a.ico", "b.ico"});
    form.ClickedItem = 2;
    openView([&](Form2& v) {
        PictureBox& view = *v.Picture1;
        const QRect inner = view.contentsRect();
        EXPECT_EQ(view.size(), QSize(385, 385));
        EXPECT_LT(inner.width(), 385);
        EXPECT_EQ(inner.width(), inner.height());
        EXPECT_EQ(view.innerSize(), inner.size());

        // About 12 pixels a block for the large image, about 24 for the small one.
        ASSERT_EQ(view.picture().size(), inner.size());
        EXPECT_TRUE(isMagnified(view.picture(), largeTestImage(1)));
        v.show();
        // What the widget paints inside its frame is the picture, every time it repaints.
        for (int pass = 0; pass < 2; ++pass) {
            const QImage painted = view.grab().toImage().copy(inner);
            EXPECT_TRUE(isMagnified(painted, largeTestImage(1))) << "pass " << pass;
        }
        v.button(6)->click();
        const QImage painted = view.grab().toImage().copy(inner);
        EXPECT_TRUE(isMagnified(painted, smallTestImage(1)));
        v.close();
    });
}

TEST_F(ViewerTest, TransparentPartsShowTheWindowColour)
{
    openFolder({"a.ico"});
    form.ClickedItem = 1;
    openView([&](Form2& v) {
        const QImage& large = v.Picture1->picture();
        const QRgb bg = windowColour().rgb();
        // The top-left 4 x 4 pixels of the large image are transparent: about 48 x 48 here.
        EXPECT_EQ(large.pixel(0, 0), bg);
        EXPECT_EQ(large.pixel(40, 40), bg);
        EXPECT_NE(large.pixel(60, 60), bg);
        v.button(6)->click();
        // The small image after the large one: its transparent corner is not the large image.
        const QImage& small = v.Picture1->picture();
        EXPECT_EQ(small.pixel(small.width() - 1, small.height() - 1), bg);
        EXPECT_EQ(small.pixel(small.width() - 90, small.height() - 90), bg);
        EXPECT_NE(small.pixel(0, 0), bg);
        EXPECT_TRUE(isMagnified(small, smallTestImage(0)));
    });
}

} // namespace
} // namespace zor::test
