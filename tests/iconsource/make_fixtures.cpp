// Writes the reader's test fixtures into a folder of the build tree, once per build.
// A missing tool does not fail the build: the reason goes into the folder, and the tests report it.

#include "Fixtures.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_iconsource_fixtures DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const QString error = makeFixtures(dir);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "icon-source fixtures not made: %s\n", qPrintable(error));
        zor::iconfixtures::writeBytes(QDir(dir).filePath(kFixturesErrorFile), error.toUtf8());
    }
    return 0;
}
