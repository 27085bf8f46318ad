// Draws the program's artwork into resources/. Run it again after changing a drawing:
//   g++ -std=c++20 -fPIC make_artwork.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make_artwork
//   QT_QPA_PLATFORM=offscreen /tmp/make_artwork ..
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <functional>

struct Scheme {
    const char* name;
    QColor main, dark, light;
};

// Standard, gray, green, pink, blue, yellow: the toolbar's six hover schemes.
static const Scheme schemes[6] = {
    {"standard", QColor(255, 170, 40), QColor(150, 80, 10), QColor(255, 235, 170)},
    {"gray", QColor(150, 150, 150), QColor(70, 70, 70), QColor(225, 225, 225)},
    {"green", QColor(60, 185, 75), QColor(20, 100, 30), QColor(190, 245, 190)},
    {"pink", QColor(240, 110, 170), QColor(150, 30, 90), QColor(255, 205, 230)},
    {"blue", QColor(60, 130, 235), QColor(20, 55, 140), QColor(185, 215, 255)},
    {"yellow", QColor(245, 215, 40), QColor(140, 115, 0), QColor(255, 248, 175)},
};

static const Scheme normal = {"normal", QColor(90, 120, 170), QColor(40, 55, 90), QColor(215, 225, 240)};

static QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

static void save(const QImage& img, const QString& dir, const QString& name)
{
    img.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Toolbar glyph 1: an opening folder.
static void drawOpen(QPainter& p, const Scheme& s)
{
    p.setPen(QPen(s.dark, 1));
    p.setBrush(s.main.darker(115));
    p.drawRect(QRectF(1.5, 3.5, 12, 10));
    p.setBrush(s.main);
    QPolygonF front;
    front << QPointF(1.5, 13.5) << QPointF(4.5, 6.5) << QPointF(15.5, 6.5) << QPointF(12.5, 13.5);
    p.drawPolygon(front);
    p.setBrush(s.light);
    p.drawRect(QRectF(1.5, 2.5, 5, 2));
}

// Toolbar glyph 2: two large tiles.
static void drawLarge(QPainter& p, const Scheme& s)
{
    p.setPen(QPen(s.dark, 1));
    p.setBrush(s.main);
    p.drawRect(QRectF(0.5, 3.5, 6.5, 6.5));
    p.drawRect(QRectF(8.5, 3.5, 6.5, 6.5));
    p.setBrush(s.light);
    p.drawRect(QRectF(1.5, 11.5, 4.5, 2));
    p.drawRect(QRectF(9.5, 11.5, 4.5, 2));
}

// Toolbar glyph 3: a list of small tiles.
static void drawSmall(QPainter& p, const Scheme& s)
{
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 4; ++row) {
        p.setBrush(s.main);
        p.drawRect(1, 1 + row * 4, 3, 3);
        p.drawRect(9, 1 + row * 4, 3, 3);
        p.setBrush(s.dark);
        p.drawRect(5, 2 + row * 4, 3, 1);
        p.drawRect(13, 2 + row * 4, 2, 1);
    }
}

// The search window's details: rows of a small tile and columns of text.
static void drawDetails(QPainter& p, const Scheme& s)
{
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 4; ++row) {
        p.setBrush(s.main);
        p.drawRect(1, 1 + row * 4, 3, 3);
        p.setBrush(s.dark);
        p.drawRect(5, 2 + row * 4, 5, 1);
        p.drawRect(12, 2 + row * 4, 3, 1);
    }
}

// Toolbar glyph 4: go (open what the path box holds).
static void drawGo(QPainter& p, const Scheme& s)
{
    p.setPen(QPen(s.dark, 1));
    p.setBrush(s.main);
    QPolygonF arrow;
    arrow << QPointF(1.5, 5.5) << QPointF(8.5, 5.5) << QPointF(8.5, 1.5) << QPointF(14.5, 8)
          << QPointF(8.5, 14.5) << QPointF(8.5, 10.5) << QPointF(1.5, 10.5);
    p.drawPolygon(arrow);
    p.setPen(QPen(s.light, 1));
    p.drawLine(QPointF(2.5, 6.5), QPointF(8.5, 6.5));
}

static QImage glyph(const std::function<void(QPainter&, const Scheme&)>& draw, const Scheme& s)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, s);
    return img;
}

// The window icon: a magnifier over a grid of icons.
static QImage windowIcon(int size)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    const QColor tiles[4] = {QColor(230, 80, 70), QColor(70, 170, 90), QColor(60, 120, 220), QColor(240, 190, 40)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(QPen(QColor(40, 40, 60), 1));
        p.setBrush(tiles[i]);
        p.drawRoundedRect(QRectF(1.5 + (i % 2) * 12, 1.5 + (i / 2) * 12, 10, 10), 2, 2);
    }
    QRadialGradient lens(QPointF(19, 19), 9);
    lens.setColorAt(0, QColor(255, 255, 255, 220));
    lens.setColorAt(1, QColor(170, 210, 255, 160));
    p.setBrush(lens);
    p.setPen(QPen(QColor(30, 30, 50), 2.5));
    p.drawEllipse(QPointF(19, 19), 8, 8);
    p.setPen(QPen(QColor(110, 60, 20), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(25, 25), QPointF(30, 30));
    return img;
}

// Shown for an icon whose image cannot be read.
static QImage brokenIcon(int size)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(120, 120, 120), 1.5));
    p.setBrush(QColor(235, 235, 235));
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(21, 2);
    page.lineTo(27, 8);
    page.lineTo(27, 14);
    page.lineTo(22, 17);
    page.lineTo(26, 21);
    page.lineTo(27, 30);
    page.lineTo(5, 30);
    page.lineTo(5, 19);
    page.lineTo(9, 15);
    page.lineTo(5, 12);
    page.closeSubpath();
    p.drawPath(page);
    p.setPen(QPen(QColor(200, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 10), QPointF(21, 24));
    p.drawLine(QPointF(21, 10), QPointF(11, 24));
    return img;
}

// Enlarged view glyphs.
static QImage arrow(bool left)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 70, 30), 1));
    p.setBrush(QColor(70, 170, 80));
    QPolygonF a;
    a << QPointF(2, 8) << QPointF(8, 2) << QPointF(8, 5.5) << QPointF(14, 5.5) << QPointF(14, 10.5)
      << QPointF(8, 10.5) << QPointF(8, 14);
    if (!left)
        for (auto& pt : a)
            pt.setX(16 - pt.x());
    p.drawPolygon(a);
    return img;
}

static QImage ring()
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 40, 40), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
    return img;
}

static QImage banner()
{
    QImage img(468, 60, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 468, 0);
    g.setColorAt(0, QColor(20, 40, 110));
    g.setColorAt(1, QColor(120, 170, 235));
    p.fillRect(img.rect(), g);
    for (int i = 0; i < 14; ++i) {
        QColor c = QColor::fromHsv((i * 37) % 360, 120, 255, 90);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(250 + i * 16, 8 + (i % 3) * 15, 13, 13), 3, 3);
    }
    p.drawImage(QRect(12, 10, 40, 40), windowIcon(40));
    QFont f(QStringLiteral("DejaVu Sans"), 17, QFont::Bold);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(62, 6, 380, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QEL TORMELIA VIEWER"));
    // The line under the title is the dialog's own text, in the program's language.
    return img;
}

static QImage aboutBackground()
{
    QImage img(200, 150, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 150);
    g.setColorAt(0, QColor(250, 252, 255));
    g.setColorAt(1, QColor(200, 218, 245));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 9; ++i) {
        p.setBrush(QColor::fromHsv((i * 40) % 360, 40, 255, 120));
        p.drawEllipse(QPointF(20 + i * 22, 130 - (i % 4) * 6), 9, 9);
    }
    return img;
}

// A pointing hand, hot spot at (14, 3).
static QImage linkCursor()
{
    QImage img = canvas(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    QPainterPath hand;
    hand.moveTo(12, 4);
    hand.quadTo(14, 0.5, 16, 4);
    hand.lineTo(16, 12);
    hand.lineTo(22, 13);
    hand.quadTo(25, 14, 25, 17);
    hand.lineTo(24, 25);
    hand.lineTo(14, 25);
    hand.lineTo(8, 17);
    hand.quadTo(8, 14, 12, 16);
    hand.closeSubpath();
    p.drawPath(hand);
    return img;
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("..");
    const QString out = root + QStringLiteral("/art");
    QDir().mkpath(out);

    const std::function<void(QPainter&, const Scheme&)> glyphs[4] = {drawOpen, drawLarge, drawSmall, drawGo};
    for (int i = 0; i < 4; ++i)
        save(glyph(glyphs[i], normal), out, QStringLiteral("tb%1").arg(i + 1));
    for (int k = 0; k < 6; ++k) {
        for (int i = 0; i < 4; ++i)
            save(glyph(glyphs[i], schemes[k]), out, QStringLiteral("hot%1_%2").arg(k).arg(i + 1));
        // The option buttons' sample icon of each scheme.
        save(glyph(drawOpen, schemes[k]), out, QStringLiteral("sample%1").arg(k));
    }
    // 16, 32 and 48 are compiled in; all of them are installed as the desktop's icon.
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        save(windowIcon(size), out, QStringLiteral("zor%1").arg(size));
    save(brokenIcon(16), out, QStringLiteral("broken16"));
    save(brokenIcon(32), out, QStringLiteral("broken32"));
    save(arrow(true), out, QStringLiteral("view_prev"));
    save(arrow(false), out, QStringLiteral("view_next"));
    save(glyph(drawLarge, normal), out, QStringLiteral("view_large"));
    save(glyph(drawSmall, normal), out, QStringLiteral("view_small"));
    save(glyph(drawDetails, normal), out, QStringLiteral("view_details"));
    save(ring(), out, QStringLiteral("view_ok"));
    save(banner(), out, QStringLiteral("banner"));
    save(aboutBackground(), out, QStringLiteral("about_background"));
    save(linkCursor(), out, QStringLiteral("link_cursor"));
    return 0;
}
