#include "Fixtures.h"

#include <QDir>
#include <QRegularExpression>

using namespace zor::iconfixtures;

namespace {

// Named groups come first (windres sorts them), numbered ones ascend; group 2 exists in two
// languages and the first (US English) holds plainB.
const char* const kScript =
    "LANGUAGE 9, 1\n"
    "7 ICON \"depths.ico\"\n"
    "ZETA ICON \"plainA.ico\"\n"
    "ALPHA ICON \"plainB.ico\"\n"
    "2 ICON \"plainB.ico\"\n"
    "LANGUAGE 17, 1\n"
    "2 ICON \"plainA.ico\"\n"
    "300 ICON \"only256.ico\"\n";

void make(Fixtures& f)
{
    const QString dir = f.dir.path();
    f.depthsIco = makeIco(dir, "depths.ico",
                          {{16, 1, false, 1}, {16, 4, false, 2}, {32, 8, false, 3}, {32, 24, false, 4},
                           {32, 32, false, 5}, {48, 32, false, 6}, {256, 32, true, 7}});
    f.pngOnlyIco = makeIco(dir, "only256.ico", {{256, 32, true, 8}});
    f.cursor = makeIco(dir, "arrow.cur", {{32, 32, false, 9}, {16, 8, false, 10}}, true);
    f.plainA = makeIco(dir, "plainA.ico", {{32, 32, false, 11}, {16, 32, false, 12}});
    f.plainB = makeIco(dir, "plainB.ico", {{16, 24, false, 13}, {32, 24, false, 14}, {48, 8, false, 15}});

    f.dll32 = makePe(dir, "res32.dll", kScript, false, PeKind::Dll);
    f.dll64 = makePe(dir, "res64.dll", kScript, true, PeKind::Dll);
    f.exe32 = makePe(dir, "prog.exe", kScript, false, PeKind::Exe);
    f.cpl64 = makePe(dir, "panel.cpl", kScript, true, PeKind::Cpl);

    QString many;
    for (int i = 0; i < 160; ++i)
        many += QStringLiteral("%1 ICON \"%2\"\n").arg(i + 1).arg(i % 2 ? "plainA.ico" : "plainB.ico");
    f.manyDll = makePe(dir, "many.dll", many, true, PeKind::Dll);

    const QByteArray a = readBytes(f.plainA), b = readBytes(f.plainB), d = readBytes(f.depthsIco);
    f.icl = f.path("three.icl");
    writeBytes(f.icl, neLibrary({d, a, b}));
    std::vector<QByteArray> list;
    for (int i = 0; i < 170; ++i)
        list.push_back(i % 3 ? a : b);
    f.manyIcl = f.path("many.icl");
    writeBytes(f.manyIcl, neLibrary(list));
}

} // namespace

const Fixtures& fixtures()
{
    static Fixtures* f = [] {
        auto* made = new Fixtures;
        try {
            make(*made);
        } catch (const ToolError& e) {
            made->error = QString::fromStdString(e.what());
        }
        return made;
    }();
    return *f;
}


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

