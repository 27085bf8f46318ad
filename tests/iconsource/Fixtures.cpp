#include "Fixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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

