#pragma once

// What the format readers share inside the walk: one function set per format. Layouts used
// by one reader only live in its own file.

#include "ByteReader.h"
#include "Walk.h"

#include <optional>
#include <string>

namespace zor::iconsource {

using walk::Bytes;
using walk::Resources;
using walk::Stop;

// Resource types, as the Windows SDK numbers them.
constexpr uint16_t RT_ICON = 3;
constexpr uint16_t RT_GROUP_ICON = 14;

// Real groups hold a few dozen images; a hostile one repeated in every group must not make
// a load quadratic.
constexpr int kMaxGroupEntries = 256;
// A PE resource directory numbers at most this many groups; an NE resource table, which has
// no such bound of its own, is held to as many.
constexpr size_t kMaxGroups = 0x20000;

// "at 0x1f4, past the end of the file's 1234 bytes": where a reader stopped, for Stop.
std::string at(int64_t offset, int64_t size);
// A number in lower-case hexadecimal, without a prefix.
std::string hex(uint64_t value);

// ICO and CUR files (IcoDirectory.cpp). The directory's end is told by the header alone:
// 0 for anything that is not an icon file.
int64_t icoDirectoryEnd(Bytes head);
bool readIcoFile(const ByteReader& file, Resources& out);
std::vector<walk::Entry> readGroup(const ByteReader& file, const Resources& res, int index);

// Programs and libraries (PeResources.cpp, NeResources.cpp); the header offset is e_lfanew.
void readPeResources(const ByteReader& file, int64_t header, Resources& out);
void readNeResources(const ByteReader& file, int64_t header, Resources& out);

// The BITMAPINFOHEADER a DIB image starts with.
struct BITMAPINFOHEADER {
    static constexpr int64_t size = 40;
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;   // colour rows and AND-mask rows together in an icon
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;

    static std::optional<BITMAPINFOHEADER> read(const ByteReader& r, int64_t at = 0);
};

// PNG images (ImageHeaders.cpp): the header alone tells the size.
constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);
// The signature, then the IHDR chunk: its length, its type, width and height (big-endian).
constexpr int64_t kIhdrTypeAt = 12;
constexpr int64_t kIhdrWidthAt = 16;
constexpr int64_t kIhdrHeightAt = 20;

} // namespace zor::iconsource
