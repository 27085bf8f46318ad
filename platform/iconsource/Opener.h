#pragma once
// One way in: every icon source is opened by the walk's opener (Walk.h), by the bytes of its
// path; these give what it opened as IconFile.

#include "IconFile.h"
#include "StoredPath.h"
#include "Walk.h"

#include <functional>
#include <optional>

namespace zor::iconsource {

using walk::kHeadBytes;
using walk::kMaxReadBytes;
using walk::kMinOutputBytes;
using walk::kOutputBlock;
using walk::kOutputPerInputByte;
using walk::kReadWholeBytes;
using walk::Need;
using walk::Outcome;
using walk::outputCost;
using walk::outputLimit;

// outputLimit of the file at path (of an empty file when it cannot be looked at).
inline qint64 outputLimitOf(const QByteArray& path) { return walk::outputLimitOf(path.constData()); }
// What a path names, following links: 0 nothing (or an empty path), 1 a file, 2 a folder.
inline quint8 pathKind(const QByteArray& path) { return walk::pathKind(path.constData()); }
// Whether path is a regular file that can be opened for reading.
inline bool canOpenFile(const QByteArray& path) { return walk::canOpenFile(path.constData()); }
// For the sizes alone: how many bytes of a file of size bytes are read, given its first
// min(size, kHeadBytes) bytes (see walk::directoryBytes).
inline qint64 directoryBytes(QByteArrayView head, qint64 size)
{
    return walk::directoryBytes(walk::Bytes(head.data(), size_t(head.size())), size);
}

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
