// PE32, PE32+ and NE images: group count and order against wrestool, ico export, decoding.

#include "Fixtures.h"
#include "OpenFile.h"
#include "IconSource.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace zor::iconsource;
using namespace zor::iconfixtures;

namespace {

struct Group { QString name, language; };

// wrestool's groups, each with its first language (none for NE).
std::vector<Group> wrestoolGroupLanguages(const QString& path)
{
    static const QRegularExpression re("--name=('[^']*'|\\S+)(?: --language=(\\d+))?");
    std::vector<Group> out;
    const QString text = QString::fromUtf8(runTool("wrestool", {"-l", "--type=group_icon", path}));
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
        const auto m = re.match(line);
        if (!m.hasMatch())
            continue;
        const bool seen = std::any_of(out.begin(), out.end(), [&](const Group& g) { return g.name == m.captured(1); });
        if (!seen)
            out.push_back({m.captured(1), m.captured(2)});
    }
    return out;
}

// The group as `wrestool -x` writes it, saved into a file of its own; returns the path.
QString wrestoolIco(const QString& path, const Group& g, const QString& outDir)
{
    QString name = g.name;
    name.remove('\'');
    QStringList args{"-x", "--type=group_icon", "--name=" + name};
    if (!g.language.isEmpty())
        args << "--language=" + g.language;
    QTemporaryDir out;
    runTool("wrestool", args << "-o" << out.path() << path);
    const QStringList files = QDir(out.path()).entryList(QDir::Files);
    if (files.size() != 1)
        return {};
    const QString target = QDir(outDir).filePath(QFileInfo(path).fileName() + "-" + name + ".ico");
    QFile::remove(target);
    QFile::copy(QDir(out.path()).filePath(files.first()), target);
    return target;
}

bool sameListing(const std::vector<Listed>& a, const std::vector<Listed>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const Listed& x, const Listed& y) {
        return x.width == y.width && x.height == y.height && x.bits == y.bits;
    });
}

} // namespace

TEST(Executables, CountTheGroupsWrestoolLists)
{
    REQUIRE_FIXTURES();
    for (const QString& path : fixtures().executables())
        EXPECT_EQ(countIcons(path), int(wrestoolGroups(path).size())) << qPrintable(path);
    EXPECT_EQ(countIcons(fixtures().dll32), 5);   // group 2 once, though it has two languages
    EXPECT_EQ(countIcons(fixtures().manyDll), 160);
    EXPECT_EQ(countIcons(fixtures().manyIcl), 170);
}

TEST(Executables, KeepTheResourceDirectoryOrderAndFirstLanguage)
{
    REQUIRE_FIXTURES();
    const Fixtures& f = fixtures();
    // ALPHA, ZETA, 2 (US English), 7, 300: every group holds its .ico's images unchanged.
    const QStringList expected{f.plainB, f.plainA, f.plainB, f.depthsIco, f.pngOnlyIco};
    for (const QString& path : {f.dll32, f.dll64, f.exe32, f.cpl64}) {
        const IconFile file = openFile(path);
        ASSERT_EQ(file.count(), expected.size()) << qPrintable(path);
        for (int k = 0; k < file.count(); ++k)
            EXPECT_EQ(file.groupAsIco(k), readBytes(expected[k])) << qPrintable(path) << " group " << k;
    }
    const IconFile icl = openFile(f.icl);
    ASSERT_EQ(icl.count(), 3);
    EXPECT_EQ(icl.groupAsIco(0), readBytes(f.depthsIco));
    EXPECT_EQ(icl.groupAsIco(2), readBytes(f.plainB));
}

TEST(Executables, IcoExportListsWhatWrestoolExtracts)
{
    REQUIRE_FIXTURES();
    for (const QString& path : {fixtures().dll64, fixtures().exe32, fixtures().icl, fixtures().manyIcl}) {
        const IconFile file = openFile(path);
        const auto groups = wrestoolGroupLanguages(path);
        ASSERT_EQ(int(groups.size()), file.count());
        for (int k = 0; k < file.count(); k += (k < 4 ? 1 : 37)) {
            const QString theirs = wrestoolIco(path, groups[size_t(k)], fixtures().scratch.path());
            ASSERT_FALSE(theirs.isEmpty()) << qPrintable(path) << " group " << k;
            const QString ours = fixtures().scratchPath(QStringLiteral("ours-%1.ico").arg(k));
            writeBytes(ours, file.groupAsIco(k));
            EXPECT_TRUE(sameListing(icotoolList(ours), icotoolList(theirs))) << qPrintable(path) << " group " << k;
        }
    }
}

TEST(Executables, ExtractTheSameImagesAsTheIconFiles)
{
    REQUIRE_FIXTURES();
    const Fixtures& f = fixtures();
    for (const QString& path : {f.dll64, f.icl}) {
        const IconFile file = openFile(path);
        const int depths = path == f.icl ? 0 : 3;
        const IconPair pair = file.extract(depths);
        EXPECT_TRUE(sameImage(pair.large, icotoolImage(f.depthsIco, 5))) << qPrintable(path);
        EXPECT_TRUE(sameImage(pair.small, icotoolImage(f.depthsIco, 2))) << qPrintable(path);
    }
    // Every icon of a large library comes out in both sizes.
    const IconFile library = openFile(f.manyIcl);
    ASSERT_EQ(library.count(), 170);
    for (int i = 0; i < library.count(); ++i) {
        const IconPair p = library.extract(i);
        EXPECT_EQ(p.large.size(), QSize(32, 32));
        EXPECT_EQ(p.small.size(), QSize(16, 16));
    }
    EXPECT_TRUE(library.extract(-1).large.isNull());
    EXPECT_TRUE(library.extract(170).large.isNull());
}
