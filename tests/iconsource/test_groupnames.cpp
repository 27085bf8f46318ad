// The names and languages of icon groups, as icoutils' wrestool lists them, and never a
// crash on a damaged file.

#include "Fixtures.h"
#include "OpenFile.h"
#include "IconSource.h"

#include <QRegularExpression>

using namespace zor::iconsource;
using namespace zor::iconfixtures;

namespace {

// "NAME" or "#12", and the first language, for each group wrestool lists.
std::vector<std::pair<QString, int>> wrestoolNames(const QString& path)
{
    const QString listing = QString::fromUtf8(runTool("wrestool", {"-l", "--type=group_icon", path}));
    static const QRegularExpression line(QStringLiteral("--name=('([^']*)'|(\\d+))( --language=(\\d+))?"));
    std::vector<std::pair<QString, int>> out;
    QStringList seen;
    for (auto it = line.globalMatch(listing); it.hasNext();) {
        const auto m = it.next();
        if (seen.contains(m.captured(1)))
            continue;
        seen << m.captured(1);
        out.emplace_back(m.captured(2).isEmpty() ? "#" + m.captured(3) : m.captured(2), m.captured(5).isEmpty() ? -1 : m.captured(5).toInt());
    }
    return out;
}

TEST(GroupNames, AreTheNamesAndFirstLanguagesWrestoolLists)
{
    REQUIRE_FIXTURES();
    QStringList files = fixtures().executables();
    const QString shell32 = QStringLiteral("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll");
    if (QFileInfo::exists(shell32))
        files << shell32;
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        const IconFile file = openFile(path);
        const auto listed = wrestoolNames(path);
        ASSERT_EQ(size_t(file.count()), listed.size());
        for (size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(file.groupName(int(i)).name, listed[i].first) << i;
            EXPECT_EQ(file.groupName(int(i)).language, listed[i].second) << i;   // none in NE files
        }
    }
    for (const QString& path : {fixtures().depthsIco, fixtures().cursor})
        EXPECT_TRUE(openFile(path).groupName(0).name.isEmpty());
}

TEST(GroupNames, DamagedFilesGiveFewerNamesNeverACrash)
{
    REQUIRE_FIXTURES();
    for (const QString& path : {fixtures().dll32, fixtures().dll64, fixtures().icl}) {
        const QByteArray bytes = readBytes(path);
        auto namesOf = [](const QByteArray& data) {
            const IconFile file = IconFile::fromData(data);
            qsizetype longest = 0;
            for (int i = 0; i < file.count(); ++i)
                longest = std::max(longest, file.groupName(i).name.size());
            return std::pair(file.count(), longest);
        };
        for (qsizetype cut = 0; cut < bytes.size(); cut += std::max<qsizetype>(1, bytes.size() / 400))
            EXPECT_LE(namesOf(bytes.left(cut)).first, namesOf(bytes).first) << cut;
        // Every byte of the headers and the resource tables set to 0xff, one at a time.
        for (qsizetype at = 0; at < std::min<qsizetype>(bytes.size(), 4096); ++at) {
            QByteArray damaged = bytes;
            damaged[at] = char(0xff);
            const auto [count, longest] = namesOf(damaged);
            EXPECT_LE(count, 0x20000);
            EXPECT_LE(longest, 0xffff);
        }
    }
}

} // namespace
