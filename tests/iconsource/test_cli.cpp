// The zor-icons command line.

#include "Fixtures.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

using namespace zor::iconfixtures;

namespace {

struct Outcome { int code; QString out, err; };

Outcome zorIcons(const QStringList& args)
{
    QProcess p;
    p.start(ZOR_ICONS_EXE, args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(ZorIcons, CountsIconsAndZeroForOtherFiles)
{
    REQUIRE_FIXTURES();
    EXPECT_EQ(zorIcons({"count", fixtures().manyDll}).out, "160");
    EXPECT_EQ(zorIcons({"count", fixtures().cursor}).out, "1");
    const QString text = fixtures().scratchPath("words.txt");
    writeBytes(text, "no icons here\n");
    const Outcome other = zorIcons({"count", text});
    EXPECT_EQ(other.code, 0);
    EXPECT_EQ(other.out, "0");
}

TEST(ZorIcons, FilesItCannotReadAndExportsThatWriteNothingFail)
{
    REQUIRE_FIXTURES();
    // An icon file whose directory points past its end: one icon, no image to be had.
    QByteArray broken = readBytes(fixtures().plainA);
    for (int entry : {0, 1})
        qToLittleEndian<quint32>(quint32(broken.size() + 10), broken.data() + 6 + entry * 16 + 12);
    const QString brokenIco = fixtures().scratchPath("broken.ico");
    writeBytes(brokenIco, broken);
    const QString missing = fixtures().path("nothing-here.ico");
    const QString out = fixtures().scratchPath("out");
    for (const QStringList& args : {QStringList{"count", missing}, QStringList{"count", fixtures().dir},
                                    QStringList{"export", missing, out}, QStringList{"export", brokenIco, out},
                                    QStringList{"export", brokenIco, out, "--format", "ico"}}) {
        const Outcome r = zorIcons(args);
        EXPECT_EQ(r.code, 1) << qPrintable(args.join(' '));
        EXPECT_TRUE(r.out.isEmpty()) << qPrintable(args.join(' '));
        EXPECT_FALSE(r.err.isEmpty()) << qPrintable(args.join(' '));
        EXPECT_TRUE(QDir(out).isEmpty()) << qPrintable(args.join(' '));
    }
}

TEST(ZorIcons, ExportsBothSizesAsPng)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const QString out = tmp.filePath("new/icons");
    const Outcome r = zorIcons({"export", fixtures().dll64, out});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, "5");
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 10);
    EXPECT_EQ(QImage(out + "/4-32.png").size(), QSize(32, 32));
    EXPECT_EQ(QImage(out + "/4-16.png").size(), QSize(16, 16));
    EXPECT_TRUE(sameImage(QImage(out + "/3-32.png"), icotoolImage(fixtures().depthsIco, 5)));
}

TEST(ZorIcons, ExportsGroupsAsIco)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const Outcome r = zorIcons({"export", fixtures().icl, tmp.path(), "--format", "ico"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, "3");
    EXPECT_EQ(readBytes(tmp.filePath("0.ico")), readBytes(fixtures().depthsIco));
    EXPECT_EQ(readBytes(tmp.filePath("1.ico")), readBytes(fixtures().plainA));
}

TEST(ZorIcons, RefusesWhatHoldsNoIconsAndBadUsage)
{
    REQUIRE_FIXTURES();
    QTemporaryDir tmp;
    const QString out = tmp.filePath("out");
    const QString text = fixtures().scratchPath("plain.txt");
    writeBytes(text, "hello\n");
    const Outcome none = zorIcons({"export", text, out});
    EXPECT_EQ(none.code, 1);
    EXPECT_FALSE(none.err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(out));

    for (const QStringList& args : {QStringList{}, QStringList{"count"}, QStringList{"list", text},
                                    QStringList{"export", text}, QStringList{"export", text, out, "--format", "gif"},
                                    QStringList{"export", text, out, "--format"}}) {
        const Outcome r = zorIcons(args);
        EXPECT_EQ(r.code, 2) << qPrintable(args.join(' '));
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(out));
}
