// Reading a file the search maps while another program cuts it short.

#include "Fixtures.h"
#include "IconSearch.h"

#include <QFile>

#include <unistd.h>

using namespace zor::iconsource;
using namespace zor::iconfixtures;

TEST(SearchRead, AFileCutShortWhileMappedReadsAsZerosInsteadOfEndingTheProgram)
{
    REQUIRE_FIXTURES();
    // A 256 px DIB makes the file large enough to be mapped rather than read.
    const QString path = makeIco(fixtures().scratch.path(), "cut.ico", {{256, 32, false, 3}, {32, 32, false, 4}});
    const QByteArray whole = readBytes(path);
    ASSERT_GT(whole.size(), 128 * 1024);
    const QByteArray name = QFile::encodeName(path);
    const QImage expected = IconFile::fromData(whole).image(0, {48, 48});

    for (qint64 cut : {qint64(-1), qint64(0), qint64(30), whole.size() / 2}) {
        SCOPED_TRACE(cut);
        ASSERT_TRUE(writeBytes(path, whole));
        int count = -1;
        QImage image;
        std::vector<GroupEntry> entries;
        const bool read = withIconSource(name, [&](const IconFile& file) {
            count = file.count();
            if (cut >= 0) {
                ASSERT_EQ(::truncate(name.constData(), cut), 0);
            }
            entries = file.entries(0);
            image = file.image(0, {48, 48});
            entries.clear();   // they point into the mapping, which ends with the call
        });
        EXPECT_TRUE(read);
        EXPECT_EQ(count, 1);
        if (cut < 0) {
            EXPECT_TRUE(sameImage(image, expected));
        } else if (cut < 6) {
            EXPECT_TRUE(image.isNull());   // the directory itself is gone
        }
    }
}
