#include "ViewerFixture.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDataStream>
#include <QFile>
#include <set>

namespace zor::test {

QImage largeTestImage(int n)
{
    QImage img(32, 32, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            img.setPixel(x, y, x < 4 && y < 4 ? qRgba(0, 0, 0, 0) : qRgb(x * 8, y * 8, 40 + n * 60));
    return img;
}

QImage smallTestImage(int n)
{
    QImage img(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            img.setPixel(x, y, x >= 12 && y >= 12 ? qRgba(0, 0, 0, 0) : qRgb(255 - x * 16, y * 16, 70 + n * 60));
    return img;
}

QByteArray makeIco(const QImage& large, const QImage& small)
{
    QList<QByteArray> pngs;
    for (const QImage* img : {&large, &small}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        img->save(&buffer, "PNG");
        pngs << bytes;
    }
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint16(0) << quint16(1) << quint16(pngs.size());
    quint32 offset = 6 + 16 * quint32(pngs.size());
    const QImage* images[] = {&large, &small};
    for (int i = 0; i < pngs.size(); ++i) {
        s << quint8(images[i]->width()) << quint8(images[i]->height()) << quint8(0) << quint8(0)
          << quint16(1) << quint16(32) << quint32(pngs[i].size()) << offset;
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray& png : pngs)
        s.writeRawData(png.constData(), int(png.size()));
    return out;
}

QColor windowColour()
{
    return QApplication::palette().color(QPalette::Window);
}

namespace {
// Where a new block starts along one axis: wherever any neighbouring pair differs.
std::vector<int> blockEdges(const QImage& img, bool columns)
{
    const int length = columns ? img.width() : img.height();
    const int across = columns ? img.height() : img.width();
    std::vector<int> edges{0};
    for (int i = 1; i < length; ++i)
        for (int j = 0; j < across; ++j) {
            const QRgb a = columns ? img.pixel(i - 1, j) : img.pixel(j, i - 1);
            const QRgb b = columns ? img.pixel(i, j) : img.pixel(j, i);
            if (a != b) {
                edges.push_back(i);
                break;
            }
        }
    edges.push_back(length);
    return edges;
}
} // namespace

::testing::AssertionResult isMagnified(const QImage& shown, const QImage& source)
{
    if (shown.isNull())
        return ::testing::AssertionFailure() << "nothing is shown";
    const QRgb background = windowColour().rgb();
    for (bool columns : {true, false}) {
        const std::vector<int> edges = blockEdges(shown, columns);
        const int blocks = int(edges.size()) - 1;
        const int wanted = columns ? source.width() : source.height();
        if (blocks != wanted)
            return ::testing::AssertionFailure() << blocks << " blocks along " << (columns ? "x" : "y")
                                                 << ", expected " << wanted;
        std::multiset<int> sizes;
        for (int b = 0; b < blocks; ++b)
            sizes.insert(edges[size_t(b) + 1] - edges[size_t(b)]);
        if (*sizes.rbegin() - *sizes.begin() > 1)
            return ::testing::AssertionFailure() << "blocks from " << *sizes.begin() << " to " << *sizes.rbegin()
                                                 << " pixels along " << (columns ? "x" : "y");
    }
    const std::vector<int> cols = blockEdges(shown, true);
    const std::vector<int> rows = blockEdges(shown, false);
    for (int by = 0; by + 1 < int(rows.size()); ++by)
        for (int bx = 0; bx + 1 < int(cols.size()); ++bx) {
            const QRgb p = source.pixel(bx, by);
            const QRgb want = qAlpha(p) == 0 ? background : (p | 0xff000000u);
            for (int y = rows[size_t(by)]; y < rows[size_t(by) + 1]; ++y)
                for (int x = cols[size_t(bx)]; x < cols[size_t(bx) + 1]; ++x)
                    if ((shown.pixel(x, y) | 0xff000000u) != want)
                        return ::testing::AssertionFailure()
                            << "pixel " << x << "," << y << " is " << std::hex << shown.pixel(x, y)
                            << ", source pixel " << std::dec << bx << "," << by << " is " << std::hex << want;
        }
    return ::testing::AssertionSuccess();
}

void ViewerTest::openFolder(const QStringList& names)
{
    for (int n = 0; n < names.size(); ++n) {
        QFile f(dir.filePath(names[n]));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(makeIco(largeTestImage(n), smallTestImage(n)));
    }
    form.Text1->setEditText(dir.path());
    form.Text1_Click();
    ASSERT_EQ(form.ListView1->itemCount(), names.size());
}

QString ViewerTest::openFile(const QString& name, int n)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(makeIco(largeTestImage(n), smallTestImage(n)));
    f.close();
    form.Text1->setEditText(path);
    form.Text1_Click();
    return path;
}

void ViewerTest::fillList(const QString& source, const QStringList& texts)
{
    form.FormatList();
    std::vector<ListItem> items;
    for (int i = 0; i < texts.size(); ++i) {
        form.ImageList1.add(largeTestImage(i));
        form.ImageList2.add(smallTestImage(i));
        items.push_back({texts[i], i + 1, i + 1});
    }
    form.ListView1->setIcons(&form.ImageList1);
    form.ListView1->setSmallIcons(&form.ImageList2);
    form.ListView1->addItems(std::move(items));
    form.SourceKind = texts.value(0) == QLatin1String("0") ? Form1::Kind::File : Form1::Kind::Folder;
    form.Text1->setEditText(source);
}

bool ViewerTest::openView(const std::function<void(Form2&)>& inside)
{
    const size_t before = tp.dialogs.opened.size();
    tp.dialogs.script = [&](QDialog& d) {
        inside(static_cast<Form2&>(d));
        return 0;
    };
    form.ListView1_DblClick();
    tp.dialogs.script = nullptr;
    return tp.dialogs.opened.size() > before;
}

} // namespace zor::test
