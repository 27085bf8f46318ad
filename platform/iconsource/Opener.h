#pragma once
// One way in: every icon source is opened here, by the bytes of its path. Small files are
// read whole; larger ones are mapped under a bus-error guard, so that a file another program
// cuts short while it is read gives zeros instead of ending the program. Only regular files
// are opened, never waiting on a FIFO or a device.

#include "IconFile.h"
#include "StoredPath.h"

#include <functional>
#include <optional>

namespace zor::iconsource {

// Files up to this size are read in one go: mapping and unmapping a small file costs more
// than reading it, which shows when thousands are listed.
constexpr qint64 kReadWholeBytes = 64 * 1024;
// What is read first when only the icon directories are wanted.
constexpr qint64 kHeadBytes = 4096;
// Files that cannot be mapped (some special files) are read up to this.
constexpr qint64 kMaxReadBytes = 256 * 1024 * 1024;

// What one input file may make zor write, listed or exported: this many times its size, and
// at least kMinOutputBytes. Real files come nowhere near it; a small file whose groups all
// repeat one large group would otherwise fill a disk. Files written count by the blocks of
// kOutputBlock bytes they take on a disk, so that many small ones cost what they are.
constexpr qint64 kOutputPerInputByte = 16;
constexpr qint64 kMinOutputBytes = qint64(16) << 20;
constexpr qint64 kOutputBlock = 4096;
qint64 outputLimit(qint64 inputBytes);
// outputLimit of the file at path (of an empty file when it cannot be looked at).
qint64 outputLimitOf(const QByteArray& path);
// What bytes cost against the limit once written as one file.
inline qint64 outputCost(qint64 bytes) { return (bytes + kOutputBlock - 1) / kOutputBlock * kOutputBlock; }

// What a path names, following links: 0 nothing (or an empty path), 1 a file, 2 a folder.
quint8 pathKind(const QByteArray& path);
// Whether path is a regular file that can be opened for reading.
bool canOpenFile(const QByteArray& path);

enum class Outcome { Read, NotAFile, Unreadable };
// What a reader needs of a file: only its icon directories (the sizes of the images), or
// everything, pictures included.
enum class Need { Directories, Pictures };

// For the sizes alone: how many bytes of a file of size bytes are read, given its first
// min(size, kHeadBytes) bytes. 0 when they show it holds no icons; size when its
// directories may lie anywhere in it.
qint64 directoryBytes(QByteArrayView head, qint64 size);

// The file as an icon source, or nothing when it is not a regular file or cannot be read.
// The IconFile may be kept and used on any thread: the guard lasts as long as it does.
std::optional<IconFile> openIconFile(const QByteArray& path, Outcome* outcome = nullptr);
inline std::optional<IconFile> openIconFile(const StoredPath& path) { return openIconFile(path.bytes()); }

// Gives back the memory the pages of a file mapped by openIconFile take once read, so that a
// reader going once through a large file (an export) holds only what it works on; they are
// read from the file again when needed. Nothing for a file read whole.
void dropPages(const IconFile& file);

// Opens the file and hands it to use; false, without calling use, when it cannot be opened.
bool withIconSource(const QByteArray& path, const std::function<void(const IconFile&)>& use);

// For readers that go through a folder's files by name (folder is an open descriptor), and
// may need only the directories: `use` must not keep the IconFile or its entries, whose
// bytes can be given back as soon as it returns.
Outcome readIconSourceAt(int folder, const char* name, Need need, const std::function<void(const IconFile&)>& use);

} // namespace zor::iconsource
