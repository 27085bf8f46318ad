#pragma once

// The icon sources the reader's tests read. make_iconsource_fixtures writes them into the
// build tree once; every test process only reads them, and writes into a scratch folder.

#include "IconFixtures.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

#include <gtest/gtest.h>

// Makes every fixture in dir; returns why it could not (a missing tool, say), or an empty string.
QString makeFixtures(const QString& dir);
// Where make_iconsource_fixtures leaves that reason.
inline const char* const kFixturesErrorFile = "error.txt";

struct Fixtures {
    QString error;          // why the fixtures were not made
    QString dir;            // where they are, read only
    QTemporaryDir scratch;  // what a test writes, one per test process

    QString depthsIco;      // 16 px at 1 and 4 bits, 32 px at 8, 24 and 32 bits, 48 px, 256 px PNG
    QString pngOnlyIco;     // a single 256 px PNG
    QString cursor;         // a .cur with 32 and 16 px images
    QString plainA, plainB; // small icons used in the programs

    // PE images from one resource script: named and numbered groups, two languages.
    QString dll32, dll64, exe32, cpl64;
    QString manyDll;        // 160 groups
    QString icl;            // NE library of three groups
    QString manyIcl;        // NE library of 170 groups

    // Opaque pictures that are not square, or small: 194 x 313 (a DIB, a PNG, and the DIB
    // in a program); 32 x 32 with 32 x 16; 32 x 16 alone; 16 x 16 alone.
    QString tallIco, tallPngIco, tallDll, wideIco, wideOnlyIco, small16Ico;

    explicit Fixtures(const QString& dir);

    QStringList executables() const { return {dll32, dll64, exe32, cpl64, manyDll, icl, manyIcl}; }
    QStringList all() const
    {
        return QStringList{depthsIco, pngOnlyIco, cursor, plainA, plainB} + executables();
    }
    QString path(const QString& name) const;
    QString scratchPath(const QString& name) const { return scratch.filePath(name); }
};

const Fixtures& fixtures();

#define REQUIRE_FIXTURES() \
    ASSERT_TRUE(fixtures().error.isEmpty()) << "fixtures not made: " << qPrintable(fixtures().error)

// Equal where visible: a fully transparent pixel may carry any colour.
testing::AssertionResult sameImage(const QImage& actual, const QImage& expected);

// Image number index (1-based) of an icon file as `icotool -x` extracts it.
QImage icotoolImage(const QString& ico, int index);

struct Listed { int width, height, bits; };
// The images `icotool -l` lists.
std::vector<Listed> icotoolList(const QString& ico);

// Bytes put together by hand, for what no tool writes.
// A one-image ICO around image, its directory claiming the given side.
QByteArray icoAround(const QByteArray& image, int side = 32);
// A PNG of an IHDR colour type and bit depth from its packed rows (without filter bytes).
QByteArray pngFile(int width, int height, int colorType, int bitDepth, const QByteArray& rows,
                   const QByteArray& palette = {}, const QByteArray& transparency = {});
// The file offset of a PE image's resource directory, or -1.
qsizetype rsrcOffset(const QByteArray& pe);
