#pragma once

// The icon sources the tests read, made once per test run into a temporary folder.

#include "IconFixtures.h"

#include <QImage>
#include <QString>
#include <vector>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

struct Fixtures {
    QString error;          // why the fixtures could not be made (a missing tool, say)
    QTemporaryDir dir;

    QString depthsIco;      // 16 px at 1 and 4 bits, 32 px at 8, 24 and 32 bits, 48 px, 256 px PNG
    QString pngOnlyIco;     // a single 256 px PNG
    QString cursor;         // a .cur with 32 and 16 px images
    QString plainA, plainB; // small icons used in the programs

    // PE images from one resource script: named and numbered groups, two languages.
    QString dll32, dll64, exe32, cpl64;
    QString manyDll;        // 160 groups
    QString icl;            // NE library of three groups
    QString manyIcl;        // NE library of 170 groups

    QStringList executables() const { return {dll32, dll64, exe32, cpl64, manyDll, icl, manyIcl}; }
    QStringList all() const
    {
        return QStringList{depthsIco, pngOnlyIco, cursor, plainA, plainB} + executables();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
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
