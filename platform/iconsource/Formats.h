#pragma once

// What the format readers share inside the library: the resources a file offers, and
// one function set per format. Layouts used by one reader only live in its own file.

#include "ByteReader.h"
#include "IconFile.h"

#include <QHash>

#include <memory>
#include <optional>
#include <vector>

namespace zor::iconsource {

// Resource types, as the Windows SDK numbers them.
constexpr quint16 RT_ICON = 3;
constexpr quint16 RT_GROUP_ICON = 14;

// Real groups hold a few dozen images; a hostile one repeated in every group must not make
// a load quadratic.
constexpr int kMaxGroupEntries = 256;
// A PE resource directory numbers at most this many groups; an NE resource table, which has
// no such bound of its own, is held to as many.
constexpr size_t kMaxGroups = 0x20000;

// The icon groups and images a file offers.
struct Resources {
    bool isIcoFile = false;   // an ICO or CUR file: one group, the file's own directory
    bool isCursor = false;
    std::vector<QByteArrayView> groups;     // GRPICONDIR data (the ICONDIR of an ICO file), in order
    std::vector<GroupName> names;           // group i's name, recorded as the walk finds it
    QHash<quint16, QByteArrayView> icons;   // RT_ICON data by id, first language
    EmptyReason empty;                      // why the walk found no groups

    void addGroup(QByteArrayView data, GroupName name)
    {
        groups.push_back(data);
        names.push_back(std::move(name));
    }
    void stop(EmptyReason::Kind kind, QString where)
    {
        if (empty.kind == EmptyReason::None)
            empty = {kind, std::move(where)};
    }
};

struct IconFile::Parsed {
    std::shared_ptr<const void> keep;   // what keeps mapped bytes alive
    QByteArray bytes;                   // the data when it was read or given
    ByteReader all;
    Resources resources;
};

// "at 0x1f4 of 1234 bytes": where a reader stopped, for EmptyReason.
QString at(qint64 offset, qint64 size);

// ICO and CUR files (IcoDirectory.cpp). The directory's end is told by the header alone:
// 0 for anything that is not an icon file.
qint64 icoDirectoryEnd(QByteArrayView head);
bool readIcoFile(const ByteReader& file, Resources& out);
std::vector<GroupEntry> readGroup(const std::shared_ptr<const IconFile::Parsed>& parsed, int index);

// Programs and libraries (PeResources.cpp, NeResources.cpp); the header offset is e_lfanew.
void readPeResources(const ByteReader& file, qint64 header, Resources& out);
void readNeResources(const ByteReader& file, qint64 header, Resources& out);

// The BITMAPINFOHEADER a DIB image starts with.
struct BITMAPINFOHEADER {
    static constexpr qint64 size = 40;
    quint32 biSize = 0;
    qint32 biWidth = 0;
    qint32 biHeight = 0;   // colour rows and AND-mask rows together in an icon
    quint16 biPlanes = 0;
    quint16 biBitCount = 0;
    quint32 biCompression = 0;
    quint32 biSizeImage = 0;
    qint32 biXPelsPerMeter = 0;
    qint32 biYPelsPerMeter = 0;
    quint32 biClrUsed = 0;
    quint32 biClrImportant = 0;

    static std::optional<BITMAPINFOHEADER> read(const ByteReader& r, qint64 at = 0);
};

// PNG images (ImageHeaders.cpp): the header alone tells the size.
constexpr QByteArrayView kPngSignature("\x89PNG\r\n\x1a\n", 8);
// The signature, then the IHDR chunk: its length, its type, width and height (big-endian).
constexpr qint64 kIhdrTypeAt = 12;
constexpr qint64 kIhdrWidthAt = 16;
constexpr qint64 kIhdrHeightAt = 20;
bool isPng(QByteArrayView data);
std::optional<QSize> pngSize(QByteArrayView data);

} // namespace zor::iconsource
