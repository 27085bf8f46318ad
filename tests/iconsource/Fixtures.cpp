#include "Fixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>

using namespace zor::iconfixtures;

Fixtures::Fixtures(const QString& folder)
    : dir(folder)
    , depthsIco(path("depths.ico"))
    , pngOnlyIco(path("only256.ico"))
    , cursor(path("arrow.cur"))
    , plainA(path("plainA.ico"))
    , plainB(path("plainB.ico"))
    , dll32(path("res32.dll"))
    , dll64(path("res64.dll"))
    , exe32(path("prog.exe"))
    , cpl64(path("panel.cpl"))
    , manyDll(path("many.dll"))
    , icl(path("three.icl"))
    , manyIcl(path("many.icl"))
    , tallIco(path("tall.ico"))
    , tallPngIco(path("tallpng.ico"))
    , tallDll(path("tall.dll"))
    , wideIco(path("wide.ico"))
    , wideOnlyIco(path("wideonly.ico"))
    , small16Ico(path("small16.ico"))
{
}

QString Fixtures::path(const QString& name) const
{
    return QDir(dir).filePath(name);
}

#ifdef ZOR_ICON_FIXTURES
const Fixtures& fixtures()
{
    static Fixtures f(QStringLiteral(ZOR_ICON_FIXTURES));
    static const bool checked = [] {
        const QByteArray error = readBytes(f.path(kFixturesErrorFile));
        if (!error.isEmpty())
            f.error = QString::fromUtf8(error);
        else if (!QFileInfo::exists(f.depthsIco))
            f.error = QStringLiteral("%1 is empty: build the make_iconsource_fixtures target").arg(f.dir);
        return true;
    }();
    Q_UNUSED(checked);
    return f;
}
#endif

// Equal where visible: a fully transparent pixel may carry any colour.
testing::AssertionResult sameImage(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height()
                                           << " instead of " << expected.width() << "x" << expected.height();
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = e.pixel(x, y);
            if (p != q && !(qAlpha(p) == 0 && qAlpha(q) == 0))
                return testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex << p
                                                   << " instead of " << q;
        }
    return testing::AssertionSuccess();
}

// Image number index (1-based) of an icon file as icotool extracts it.
QImage icotoolImage(const QString& ico, int index)
{
    QTemporaryDir out;
    runTool("icotool", {"-x", "-i", QString::number(index), "-o", out.path(), ico});
    const QStringList files = QDir(out.path()).entryList({"*.png"});
    return files.size() == 1 ? QImage(QDir(out.path()).filePath(files.first())) : QImage();
}

std::vector<Listed> icotoolList(const QString& ico)
{
    static const QRegularExpression re("--width=(\\d+) --height=(\\d+) --bit-depth=(\\d+)");
    std::vector<Listed> out;
    const QString text = QString::fromUtf8(runTool("icotool", {"-l", ico}));
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out.push_back({m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()});
    }
    return out;
}


QByteArray icoAround(const QByteArray& image, int side)
{
    QByteArray ico(22, '\0');
    qToLittleEndian<quint16>(1, ico.data() + 2);
    qToLittleEndian<quint16>(1, ico.data() + 4);
    ico[6] = char(side & 0xff);
    ico[7] = char(side & 0xff);
    qToLittleEndian<quint16>(1, ico.data() + 10);
    qToLittleEndian<quint16>(32, ico.data() + 12);
    qToLittleEndian<quint32>(quint32(image.size()), ico.data() + 14);
    qToLittleEndian<quint32>(22, ico.data() + 18);
    return ico + image;
}

QByteArray pngFile(int width, int height, int colorType, int bitDepth, const QByteArray& rows,
                   const QByteArray& palette, const QByteArray& transparency)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian(quint32(width), ihdr.data());
    qToBigEndian(quint32(height), ihdr.data() + 4);
    ihdr[8] = char(bitDepth);
    ihdr[9] = char(colorType);
    const qsizetype stride = height > 0 ? rows.size() / height : 0;
    QByteArray filtered;
    for (int y = 0; y < height; ++y)
        filtered += '\0' + rows.mid(y * stride, stride);   // filter type None
    QByteArray out = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr);
    if (!palette.isEmpty())
        out += pngChunk("PLTE", palette);
    if (!transparency.isEmpty())
        out += pngChunk("tRNS", transparency);
    // qCompress gives a zlib stream after a 4-byte length of its own.
    return out + pngChunk("IDAT", qCompress(filtered).mid(4)) + pngChunk("IEND", {});
}

qsizetype rsrcOffset(const QByteArray& pe)
{
    const quint32 header = qFromLittleEndian<quint32>(pe.constData() + 0x3c);
    const int sections = qFromLittleEndian<quint16>(pe.constData() + header + 6);
    const qsizetype table = header + 24 + qFromLittleEndian<quint16>(pe.constData() + header + 20);
    for (int i = 0; i < sections; ++i)
        if (pe.mid(table + i * 40, 5) == ".rsrc")
            return qFromLittleEndian<quint32>(pe.constData() + table + i * 40 + 20);
    return -1;
}
