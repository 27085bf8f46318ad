#pragma once

// Makes icon sources with real tools (icoutils, mingw-w64 binutils) and a small NE writer.
// Shared by the reader's tests, the fuzzer seeds and the benchmarks.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <vector>

namespace zor::iconfixtures {

struct ToolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Runs program with args; throws ToolError (naming the tool and its output) when it is
// missing or fails. Returns its standard output.
QByteArray runTool(const QString& program, const QStringList& args, const QString& workDir = {});

// Names of the tools in the list that are not on the PATH.
QStringList missingTools(const QStringList& tools);

// Colours an image of side size can hold at a depth: 1 and 4 bits use two and sixteen
// opaque colours, 8 bits at most 256, 24 bits opaque, 32 bits graded alpha.
QImage drawIcon(int size, int bits, int seed);

// An opaque picture of any shape, for images that are not square.
QImage drawPicture(int width, int height, int seed);

struct IcoImage {
    int size = 32;      // the width, and the height of a square image
    int bits = 32;
    bool png = false;   // stored as PNG ("raw") instead of a DIB
    int seed = 0;
    int height = 0;     // when not 0: an opaque picture of size x height, from drawPicture
};

// Builds dir/name with `icotool -c` from drawn PNGs; returns its path.
QString makeIco(const QString& dir, const QString& name, const std::vector<IcoImage>& images,
                bool cursor = false);

enum class PeKind { Dll, Exe, Cpl };

// Compiles rcText (ICON statements naming .ico files in dir) with windres and links it with ld.
QString makePe(const QString& dir, const QString& name, const QString& rcText, bool pe64, PeKind kind);

// A 16-bit NE icon library holding one icon group per ICO file, in the given order.
// Its resource table must stay under 64 KB: about 5,400 images in all.
QByteArray neLibrary(const std::vector<QByteArray>& icoFiles);

// Icon sources put together by hand, for what no tool writes: RT_ICON images numbered from
// 1, and groups each naming one of a few group records, so that many groups may share one.
struct HandMadeResources {
    std::vector<QByteArray> icons;       // image i has the id i + 1
    std::vector<QByteArray> records;     // GRPICONDIR records, as iconGroup makes them
    std::vector<int> groups;             // each group's record, by index into records
};
// A PE32 library of them, each resource under one language. Up to 0x20000 groups.
QByteArray handMadePe(const HandMadeResources& resources);
// A 16-bit NE library of them; its resource table may be larger than an NE header can address
// (its resident-name table is then placed before it, so the table runs to the end of the file).
QByteArray handMadeNe(const HandMadeResources& resources);
// The images of an ICO file, in its order.
std::vector<QByteArray> icoImageData(const QByteArray& ico);
// A GRPICONDIR of ids.size() entries: entry i names RT_ICON ids[i] and has the directory
// fields of the ico's image i % (its count).
QByteArray iconGroup(const QByteArray& ico, const std::vector<int>& ids);
// A PNG chunk of that type with its CRC.
QByteArray pngChunk(const char* type, const QByteArray& payload);
// The PNG with the chunks put right after its IHDR.
QByteArray pngWithChunks(const QByteArray& png, const QByteArray& chunks);
// A zTXt chunk whose text inflates to that many spaces.
QByteArray zTxtChunk(qsizetype inflated);

// Groups named by `wrestool -l --type=group_icon`, each once whatever its languages.
QStringList wrestoolGroups(const QString& path);

// A library of iconCount groups, each with 16, 32, 48 and 256 px images, BMP and PNG mixed.
// Written as an NE .icl (ne = true) or as a PE32 .dll into dir; returns its path.
QString makeLibrary(const QString& dir, int iconCount, bool ne);

// A folder of count icon files of mixed sizes and depths (a handful of icons copied under
// the names nameOf(i) gives), made as folder; returns its path. Made once: an existing
// folder is taken as it is.
QString makeIconFolder(const QString& folder, int count, const std::function<QString(int)>& nameOf);

// A program run with its arguments as bytes (paths that are not UTF-8 included), standard
// output into outFile when one is named (/dev/full, say), else caught.
struct Ran {
    int code = -1;   // the exit status, or -1 when it did not end by itself
    QByteArray out, err;
};
Ran runBytes(const QList<QByteArray>& argv, const QByteArray& outFile = {}, int timeoutMs = 60000);

bool writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

} // namespace zor::iconfixtures
