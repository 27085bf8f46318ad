#pragma once

// Finds every icon in every file of a folder tree. Folders are walked on the calling
// thread while a pool of threads reads the files; only the group directories are read,
// never the pictures. Files and folders are named by the bytes the file system stores,
// so names that are not UTF-8 are found and read as well.

#include "Opener.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace zor::iconsource {

// The kinds of file a search opens, told by extension ignoring case.
enum SearchKind : unsigned {
    IconFiles = 1,       // .ico .cur
    IconLibraries = 2,   // .icl
    Programs = 4,        // .exe .dll .cpl .ocx .scr .mun .sys
    DefaultKinds = IconFiles | IconLibraries | Programs,
    EveryFile = 8,       // every regular file, told by its content
};

// The kinds a file name belongs to (0 for none).
unsigned kindOfName(QByteArrayView name);

struct SearchOptions {
    QByteArray root;            // the folder to search
    bool recursive = true;      // into subfolders (links to folders are not followed)
    unsigned kinds = DefaultKinds;
    int minSize = 0;            // a group qualifies when one of its images is at least this wide or high
    int threads = 0;            // readers; 0 is one per core
};

struct FoundIcon {
    int index = 0;     // the group's number in its file, from 0
    int largest = 0;   // the side of its largest image (0 when it has none)
    int images = 0;    // how many images the group holds
};

struct FoundFile {
    QByteArray path;
    std::vector<FoundIcon> icons;
};

struct SearchProgress {
    QByteArray folder;          // the folder being listed
    qint64 filesDone = 0;       // files opened and read
    qint64 unreadableFiles = 0;
    qint64 unreadableFolders = 0;
};

class IconSearch {
public:
    explicit IconSearch(SearchOptions options);
    ~IconSearch();
    IconSearch(const IconSearch&) = delete;
    IconSearch& operator=(const IconSearch&) = delete;

    // Searches, calling onFile on the calling thread for every file with qualifying icons,
    // in the order of the walk (a folder's files by name, then its subfolders by name).
    // False when the root folder cannot be listed. Returns early after cancel().
    // onFolder, when given, is called on the calling thread after each folder is listed.
    bool run(const std::function<void(FoundFile&&)>& onFile, const std::function<void()>& onFolder = {});
    // From any thread: the walk and the readers stop at once.
    void cancel();
    bool cancelled() const;
    // From any thread, while run() works or after.
    SearchProgress progress() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace zor::iconsource
