#pragma once

// The directory walk: what icons a file holds and what images each is made of, told by
// content, with the standard library alone (zor-icons count and list link nothing more).
// IconFile.h is the same walk in Qt's types, with the pictures on top.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zor::iconsource::walk {

using Bytes = std::string_view;

// One entry of an icon group (or of an ICO/CUR file's directory).
struct Entry {
    int width = 0;   // as the directory says, stored 0 reading as 256 (entrySize has the image's own)
    int height = 0;
    int colorCount = 0;
    int planes = 0;
    int bitCount = 0;
    Bytes data;      // the image as stored; empty when it is missing
};

// How a program or library names group i: "#12" for a number, else the stored name (UTF-16);
// the language of the version read (-1 where the format keeps none, as NE does).
struct Name {
    std::u16string name;
    int language = -1;
};

// Why a file gives no icons, and where the reader stopped.
struct Stop {
    enum Kind { None, NotAnIconSource, CutShort, NoIconGroups, ImagesRefused };
    Kind kind = None;
    std::string where;   // what was being read, with its offset
    std::string text() const;
};

// The icon groups and images a file offers.
struct Resources {
    bool isIcoFile = false;   // an ICO or CUR file: one group, the file's own directory
    bool isCursor = false;
    std::vector<Bytes> groups;                       // GRPICONDIR data (the ICONDIR of an ICO file), in order
    std::vector<Name> names;                         // group i's name, recorded as the walk finds it
    std::unordered_map<uint16_t, Bytes> icons;       // RT_ICON data by id, first language
    Stop empty;                                      // why the walk found no groups

    void addGroup(Bytes data, Name name)
    {
        groups.push_back(data);
        names.push_back(std::move(name));
    }
    void stop(Stop::Kind kind, std::string where)
    {
        if (empty.kind == Stop::None)
            empty = {kind, std::move(where)};
    }
};

// One file's directories, over bytes that keep holds alive as long as the source lives (or
// that stay valid as long as the caller says, for a null keep).
class Source {
public:
    static std::shared_ptr<const Source> of(Bytes bytes, std::shared_ptr<const void> keep);

    Bytes bytes() const { return m_bytes; }
    int count() const { return int(m_resources.groups.size()); }
    const Resources& resources() const { return m_resources; }
    // None while the file gives icons with images.
    Stop whyEmpty() const;
    // The group's entries in stored order (the first 256 of a larger one); empty for an
    // index out of range.
    std::vector<Entry> entries(int index) const;

private:
    std::shared_ptr<const void> m_keep;
    Bytes m_bytes;
    Resources m_resources;
};

struct Size {
    int width = 0;
    int height = 0;
};
// The stored image's own size, from its BITMAPINFOHEADER or PNG header; the directory's
// when that cannot be read. (A directory says 256 for anything of 256 px or more.)
Size entrySize(const Entry& entry);
// Bits per pixel of the stored image; PNG images count as 32.
int entryDepth(const Entry& entry);
bool isPng(Bytes data);
std::optional<Size> pngSize(Bytes data);

// The size of an .ico file of the entries, their images as stored: 0 when one is missing or
// the whole would be too large. writeIco writes it into out, which holds that many bytes.
int64_t icoSize(const std::vector<Entry>& entries);
void writeIco(const std::vector<Entry>& entries, char* out);

// ---- opening files ---------------------------------------------------------------------
// One way in: every icon source is opened here, by the bytes of its path. Small files are
// read whole; larger ones are mapped under a bus-error guard, so that a file another program
// cuts short while it is read gives zeros instead of ending the program. Only regular files
// are opened, never waiting on a FIFO or a device.

// Files up to this size are read in one go: mapping and unmapping a small file costs more
// than reading it, which shows when thousands are listed.
constexpr int64_t kReadWholeBytes = 64 * 1024;
// What is read first when only the icon directories are wanted.
constexpr int64_t kHeadBytes = 4096;
// Files that cannot be mapped (some special files) are read up to this.
constexpr int64_t kMaxReadBytes = 256 * 1024 * 1024;

enum class Outcome { Read, NotAFile, Unreadable };
// What a reader needs of a file: only its icon directories (the sizes of the images), or
// everything, pictures included.
enum class Need { Directories, Pictures };

// The file as an icon source, or null when it is not a regular file or cannot be read
// (errno tells why). The source may be kept and used on any thread.
std::shared_ptr<const Source> open(const char* path, Outcome* outcome = nullptr);
// For readers that go through a folder's files by name (folder is an open descriptor), and
// may need only the directories: `use` must not keep the source, whose bytes can be given
// back as soon as it returns.
Outcome readAt(int folder, const char* name, Need need,
               const std::function<void(const std::shared_ptr<const Source>&)>& use);
// For the sizes alone: how many bytes of a file of size bytes are read, given its first
// min(size, kHeadBytes) bytes. 0 when they show it holds no icons; size when its
// directories may lie anywhere in it.
int64_t directoryBytes(Bytes head, int64_t size);
// Gives back the memory the pages of a file mapped by open take once read; they are read
// from the file again when needed. Nothing for bytes read whole.
void dropPages(Bytes bytes);

// What a path names, following links: 0 nothing (or an empty path), 1 a file, 2 a folder.
uint8_t pathKind(const char* path);
// Whether path is a regular file that can be opened for reading.
bool canOpenFile(const char* path);

// What one input file may make zor write, listed or exported: this many times its size, and
// at least kMinOutputBytes. Real files come nowhere near it; a small file whose groups all
// repeat one large group would otherwise fill a disk. Files written count by the blocks of
// kOutputBlock bytes they take on a disk, so that many small ones cost what they are.
constexpr int64_t kOutputPerInputByte = 16;
constexpr int64_t kMinOutputBytes = int64_t(16) << 20;
constexpr int64_t kOutputBlock = 4096;
int64_t outputLimit(int64_t inputBytes);
// outputLimit of the file at path (of an empty file when it cannot be looked at).
int64_t outputLimitOf(const char* path);
// What bytes cost against the limit once written as one file.
inline int64_t outputCost(int64_t bytes) { return (bytes + kOutputBlock - 1) / kOutputBlock * kOutputBlock; }

} // namespace zor::iconsource::walk
