#include "Fixtures.h"

#include <QDir>

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

} // namespace

QString makeFixtures(const QString& dir)
{
    try {
        const Fixtures f(dir);
        makeIco(dir, "depths.ico",
                {{16, 1, false, 1}, {16, 4, false, 2}, {32, 8, false, 3}, {32, 24, false, 4},
                 {32, 32, false, 5}, {48, 32, false, 6}, {256, 32, true, 7}});
        makeIco(dir, "only256.ico", {{256, 32, true, 8}});
        makeIco(dir, "arrow.cur", {{32, 32, false, 9}, {16, 8, false, 10}}, true);
        makeIco(dir, "plainA.ico", {{32, 32, false, 11}, {16, 32, false, 12}});
        makeIco(dir, "plainB.ico", {{16, 24, false, 13}, {32, 24, false, 14}, {48, 8, false, 15}});

        makeIco(dir, "tall.ico", {{194, 32, false, 16, 313}});
        makeIco(dir, "tallpng.ico", {{194, 32, true, 17, 313}});
        makeIco(dir, "wide.ico", {{32, 24, false, 18, 32}, {32, 24, false, 19, 16}});
        makeIco(dir, "wideonly.ico", {{32, 24, false, 20, 16}});
        makeIco(dir, "small16.ico", {{16, 24, false, 21}});
        makePe(dir, "tall.dll", "1 ICON \"tall.ico\"\n", false, PeKind::Dll);

        makePe(dir, "res32.dll", kScript, false, PeKind::Dll);
        makePe(dir, "res64.dll", kScript, true, PeKind::Dll);
        makePe(dir, "prog.exe", kScript, false, PeKind::Exe);
        makePe(dir, "panel.cpl", kScript, true, PeKind::Cpl);

        QString many;
        for (int i = 0; i < 160; ++i)
            many += QStringLiteral("%1 ICON \"%2\"\n").arg(i + 1).arg(i % 2 ? "plainA.ico" : "plainB.ico");
        makePe(dir, "many.dll", many, true, PeKind::Dll);

        const QByteArray a = readBytes(f.plainA), b = readBytes(f.plainB), d = readBytes(f.depthsIco);
        std::vector<QByteArray> list;
        for (int i = 0; i < 170; ++i)
            list.push_back(i % 3 ? a : b);
        if (!writeBytes(f.icl, neLibrary({d, a, b})) || !writeBytes(f.manyIcl, neLibrary(list)))
            return QStringLiteral("cannot write into %1").arg(dir);
        return {};
    } catch (const ToolError& e) {
        return QString::fromStdString(e.what());
    }
}
