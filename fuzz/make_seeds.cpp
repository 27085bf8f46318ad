// Copies the reader's test fixtures into a folder, as the fuzzer's seed corpus.

#include "Fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
        return 2;
    }
    const Fixtures& f = fixtures();
    if (!f.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(f.error));
        return 1;
    }
    QDir().mkpath(argv[1]);
    for (const QString& path : f.all())
        QFile::copy(path, QDir(argv[1]).filePath(QFileInfo(path).fileName()));
    std::printf("%d seeds\n", int(f.all().size()));
    return 0;
}
