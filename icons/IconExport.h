#pragma once
// Getting icons out of their files: a group as an .ico file, one image as PNG, files that
// are written whole or not at all, and every icon of a source into one folder.
#include "platform/iconsource/IconSource.h"
#include "platform/iconsource/StoredPath.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace zor {

// One icon of a file, as the commands take it: the file by the name it is stored under
// and the group's number from 0.
struct IconOfFile {
    StoredPath path;
    int index = 0;
    bool inFolder = false;   // listed as one file of a folder: named after the file
    std::shared_ptr<const iconsource::IconFile> file;   // read already; else read from path
};

namespace IconExport {

// The file behind a stored name, opened as every reader opens it (no icons when it cannot be).
std::shared_ptr<const iconsource::IconFile> ReadIconFile(const StoredPath& path);
// The icon's file, read on first use and kept in icon.
const iconsource::IconFile& Source(IconOfFile& icon);

// Proposed names without extension: "<file's base name>_<number>", or the file's base name
// for a folder's file. Two libraries saved side by side never share one.
QString SaveName(const IconOfFile& icon);
// The folder name an export of a source proposes: the file's base name, or the folder's
// own name for a folder's files; as stored. Empty when there is none ("/", ".ico").
QByteArray SourceFolderName(const IconOfFile& icon);

// The whole group as stored, as an .ico file; empty when the group cannot be read.
QByteArray GroupBytes(IconOfFile& icon);
// The sizes the group holds, each once, largest first.
std::vector<QSize> GroupSizes(IconOfFile& icon);
// The group's picture at a size (its own image of that size when it has one).
QImage ImageAt(IconOfFile& icon, QSize size);
QImage LargestImage(IconOfFile& icon);
// A BMP file of the picture: 24 bits, as every program reads them; transparent parts white.
QByteArray BmpBytes(const QImage& image);

// What one stored image is, read from its own header.
struct EntryFacts {
    QSize size;
    int depth = 0;     // bits per pixel
    bool png = false;
    qsizetype bytes = 0;
};
EntryFacts Describe(const iconsource::GroupEntry& entry);
// The proposed name of one stored image without extension: SaveName, its size and its
// depth, "shell32_5-48x48-32bit", so the images of one group never share one.
QString ImageSaveName(const IconOfFile& icon, const EntryFacts& facts);

// Writes bytes to path, whole or not at all. Returns the reason when it fails, else empty.
QString WriteWhole(const StoredPath& path, const QByteArray& bytes);
// Why a write failed, for the user.
QString Reason(int error);

// Every icon into one folder: SaveName + ".ico", or SaveName + "-SIZE.png". Names that
// two icons share get "~2", "~3", ... The first existing target is reported to onExisting
// before anything is written, with where it leads when it is a link, and its answer holds
// for every existing target.
enum class Format { Ico, Png };
enum class Existing { OverwriteAll, SkipAll, Cancel };
struct SaveAllRequest {
    StoredPath folder;
    Format format = Format::Ico;
    int pngSize = 32;   // 0: each group's largest image, named after its own size
    std::function<Existing(const QString& file, const QString& linkTarget)> onExisting;   // unset: skip
    std::function<bool(int done, int total)> onProgress;       // false: stop
};
struct SaveAllResult {
    int written = 0;
    int skipped = 0;       // existing files left alone
    int unreadable = 0;    // icons whose images cannot be read
    bool cancelled = false;   // at the question, before anything was written
    bool stopped = false;     // by onProgress
    QString failedFile;       // the file that could not be written; nothing after it was
    QString error;
};
// What the icons of one source may make us write, bounded by the source's size as for
// zor-icons: spend adds the bytes for the icon's source, and is false, with why set, once
// they pass its limit.
class OutputBudget {
public:
    bool spend(const IconOfFile& icon, qint64 bytes, QString* why = nullptr);

private:
    std::map<QByteArray, std::pair<qint64, qint64>> m_sources;   // written, limit
};

QString ExportFileName(const QString& name, Format format, QSize pngSize);
SaveAllResult SaveAll(std::vector<IconOfFile> icons, const SaveAllRequest& request);

// The group as an .ico file in a private temporary folder that lasts as long as the program,
// named as the save dialog proposes; for dragging out. Empty when it cannot be written, or
// when budget is given and the file would pass it.
QString WriteDragFile(IconOfFile& icon, OutputBudget* budget = nullptr);

} // namespace IconExport
} // namespace zor
