#pragma once
// A main window over the test doubles, test icons with known pixels, and a check
// that a picture is a pixel-replicated magnification of a source image.
#include "app/Form1.h"
#include "tests/support/TestPlatform.h"
#include "viewer/Form2.h"

#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace zor::test {

// Icon n of a test source: every pixel of a row differs from its neighbours, and a
// corner is fully transparent (top-left in the 32 x 32 image, bottom-right in the 16 x 16).
QImage largeTestImage(int n);
QImage smallTestImage(int n);

// An .ico file holding one icon with a PNG-coded 32 x 32 and 16 x 16 image.
QByteArray makeIco(const QImage& large, const QImage& small);

// The window-background colour that transparent parts show.
QColor windowColour();

// `shown` is `source` with its transparent parts in the window colour, each source pixel
// a solid block, block sizes within one pixel of each other, the whole picture covered.
::testing::AssertionResult isMagnified(const QImage& shown, const QImage& source);

class ViewerTest : public ::testing::Test {
protected:
    // Writes test icons n = 0, 1, ... under the given names and opens the folder.
    void openFolder(const QStringList& names);
    // Writes test icon n as `name` and opens that one file.
    QString openFile(const QString& name, int n = 0);
    // Fills the main list by hand, as a load of `source` would: test images 0..count-1.
    void fillList(const QString& source, const QStringList& texts);

    // Double-clicks the list; `inside` runs while the view is open. Returns true when it opened.
    bool openView(const std::function<void(Form2&)>& inside);

    TestPlatform tp;
    Form1 form;
    QTemporaryDir dir;
};

} // namespace zor::test
