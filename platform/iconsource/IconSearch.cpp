#include "IconSearch.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace zor::iconsource {

namespace {

// Files are read in batches of one folder; at most kWindow batches are read ahead of the
// one reported next (each holds its folder open).
constexpr size_t kBatchFiles = 32;
constexpr qint64 kWindow = 128;

// Folders of the kernel's own file systems: listing them is harmless, reading their
// files is not (/proc/kcore, endless or blocking attributes).
bool isPseudoFileSystem(int fd)
{
    struct statfs fs {};
    if (fstatfs(fd, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case EFIVARFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

QByteArray joined(const QByteArray& folder, const char* name)
{
    QByteArray path = folder;
    if (!path.endsWith('/'))
        path += '/';
    return path += name;
}

} // namespace

unsigned kindOfName(QByteArrayView name)
{
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 0 || name.size() - dot > 4)
        return 0;
    const QByteArray ext = name.sliced(dot + 1).toByteArray().toLower();
    if (ext == "ico" || ext == "cur")
        return IconFiles;
    if (ext == "icl")
        return IconLibraries;
    for (const char* program : {"exe", "dll", "cpl", "ocx", "scr", "mun", "sys"})
        if (ext == program)
            return Programs;
    return 0;
}

// A listed folder, kept open while its files are read, so that they are opened by name
// within it rather than by their whole path.
struct OpenFolder {
    int fd;
    explicit OpenFolder(int f) : fd(f) {}
    ~OpenFolder() { ::close(fd); }
};

struct IconSearch::State {
    SearchOptions options;

    std::atomic<bool> stop{false};
    std::atomic<qint64> filesDone{0};
    std::atomic<qint64> unreadableFiles{0};
    std::atomic<qint64> unreadableFolders{0};
    mutable std::mutex folderLock;
    QByteArray folder;

    // Files to read in batches from one folder, and what was read, by batch number.
    struct Batch {
        qint64 number = 0;
        std::shared_ptr<const OpenFolder> folder;
        QByteArray folderPath;
        std::vector<QByteArray> names;
    };
    struct Slot {
        bool ready = false;
        std::vector<FoundFile> files;
    };
    std::mutex lock;
    std::condition_variable batchWaiting;
    std::condition_variable resultWaiting;
    std::deque<Batch> batches;
    bool lastBatch = false;
    std::vector<Slot> results = std::vector<Slot>(size_t(kWindow));
    qint64 queued = 0;     // batches handed to the readers
    qint64 reported = 0;   // batches whose results were passed on

    void read();
    FoundFile readFile(const Batch& batch, const QByteArray& name);
    bool wanted(const char* name) const
    {
        return (options.kinds & EveryFile) || (kindOfName(name) & options.kinds);
    }
};

FoundFile IconSearch::State::readFile(const Batch& batch, const QByteArray& name)
{
    FoundFile found;
    const Outcome outcome = readIconSourceAt(batch.folder->fd, name.constData(), Need::Directories, [&](const IconFile& file) {
        const int n = file.count();
        for (int i = 0; i < n && !stop; ++i) {
            const std::vector<GroupEntry> entries = file.entries(i);
            int largest = 0;
            for (const GroupEntry& e : entries)
                largest = std::max({largest, e.width, e.height});
            if (largest >= options.minSize)
                found.icons.push_back({i, largest, int(entries.size())});
        }
    });
    if (outcome == Outcome::Unreadable)
        ++unreadableFiles;
    ++filesDone;
    if (!found.icons.empty())
        found.path = joined(batch.folderPath, name.constData());
    return found;
}

// A reader thread: takes the next batch, reads the sizes of its files' groups, files the result.
void IconSearch::State::read()
{
    for (;;) {
        Batch batch;
        {
            std::unique_lock hold(lock);
            batchWaiting.wait(hold, [&] { return stop || lastBatch || !batches.empty(); });
            if (stop || batches.empty())
                return;
            batch = std::move(batches.front());
            batches.pop_front();
        }
        std::vector<FoundFile> found;
        for (const QByteArray& name : batch.names) {
            if (stop)
                break;
            FoundFile file = readFile(batch, name);
            if (!file.icons.empty())
                found.push_back(std::move(file));
        }
        {
            std::lock_guard hold(lock);
            Slot& slot = results[size_t(batch.number % kWindow)];
            slot.files = std::move(found);
            slot.ready = true;
        }
        resultWaiting.notify_one();
    }
}

IconSearch::IconSearch(SearchOptions options) : d(std::make_unique<State>())
{
    d->options = std::move(options);
}

IconSearch::~IconSearch() = default;

void IconSearch::cancel()
{
    d->stop = true;
    {
        // Taken so that no thread misses the wake-up between its test and its wait.
        std::lock_guard hold(d->lock);
    }
    d->batchWaiting.notify_all();
    d->resultWaiting.notify_all();
}

bool IconSearch::cancelled() const
{
    return d->stop;
}

SearchProgress IconSearch::progress() const
{
    SearchProgress p;
    {
        std::lock_guard hold(d->folderLock);
        p.folder = d->folder;
    }
    p.filesDone = d->filesDone;
    p.unreadableFiles = d->unreadableFiles;
    p.unreadableFolders = d->unreadableFolders;
    return p;
}

bool IconSearch::run(const std::function<void(FoundFile&&)>& onFile, const std::function<void()>& onFolder)
{
    State& s = *d;
    const int rootFd = ::open(s.options.root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0)
        return false;

    const unsigned threads = s.options.threads > 0 ? unsigned(s.options.threads)
                                                   : std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> readers;
    for (unsigned i = 0; i < threads; ++i)
        readers.emplace_back([&s] { s.read(); });

    // Passes on the results that are ready in walk order; with wait, at least the next batch's.
    auto report = [&](bool wait) {
        std::vector<FoundFile> ready;
        {
            std::unique_lock hold(s.lock);
            if (wait)
                s.resultWaiting.wait(hold, [&] { return s.stop || s.results[size_t(s.reported % kWindow)].ready; });
            while (!s.stop && s.reported < s.queued) {
                State::Slot& slot = s.results[size_t(s.reported % kWindow)];
                if (!slot.ready)
                    break;
                for (FoundFile& f : slot.files)
                    ready.push_back(std::move(f));
                slot = {};
                ++s.reported;
            }
        }
        for (FoundFile& file : ready) {
            if (s.stop)
                break;
            onFile(std::move(file));
        }
    };
    auto enqueue = [&](State::Batch&& batch) {
        while (!s.stop && s.queued - s.reported >= kWindow)
            report(true);
        {
            std::lock_guard hold(s.lock);
            batch.number = s.queued++;
            s.batches.push_back(std::move(batch));
        }
        s.batchWaiting.notify_one();
    };

    struct Folder {
        QByteArray path;
        dev_t device;
        int fd;   // -1: to be opened
    };
    std::vector<Folder> pending{{s.options.root, 0, rootFd}};
    // Folders seen, so that one reached twice (a bind mount of its own parent) is listed once.
    std::set<std::pair<dev_t, ino_t>> seen;
    bool isRoot = true;
    while (!pending.empty() && !s.stop) {
        Folder folder = std::move(pending.back());
        pending.pop_back();
        int fd = folder.fd;
        if (fd < 0)
            fd = ::open(folder.path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            if (errno != ENOENT)
                ++s.unreadableFolders;
            continue;
        }
        struct stat st {};
        if (fstat(fd, &st) != 0 || !seen.insert({st.st_dev, st.st_ino}).second
            || (!isRoot && st.st_dev != folder.device && isPseudoFileSystem(fd))) {
            ::close(fd);
            continue;
        }
        isRoot = false;
        {
            std::lock_guard hold(s.folderLock);
            s.folder = folder.path;
        }
        const int kept = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);   // for the readers, after the listing closes fd
        DIR* dir = fdopendir(fd);
        if (!dir || kept < 0) {
            dir ? closedir(dir) : ::close(fd);
            if (kept >= 0)
                ::close(kept);
            ++s.unreadableFolders;
            continue;
        }
        auto open = std::make_shared<const OpenFolder>(kept);
        std::vector<QByteArray> files, folders;
        for (;;) {
            errno = 0;
            const dirent* e = readdir(dir);
            if (!e) {
                if (errno != 0)
                    ++s.unreadableFolders;   // listed only in part
                break;
            }
            const char* name = e->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            unsigned char type = e->d_type;
            if (type == DT_LNK && !s.wanted(name))
                continue;
            if (type == DT_LNK || type == DT_UNKNOWN) {
                struct stat entry {};
                if (fstatat(dirfd(dir), name, &entry, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                // A link to a file is read as that file; a link to a folder is not followed,
                // so no loop of links can hold the walk.
                if (S_ISLNK(entry.st_mode) && (fstatat(dirfd(dir), name, &entry, 0) != 0 || S_ISDIR(entry.st_mode)))
                    continue;
                type = S_ISREG(entry.st_mode) ? DT_REG : S_ISDIR(entry.st_mode) ? DT_DIR : DT_UNKNOWN;
            }
            // FIFOs, devices and sockets are never opened.
            if (type == DT_REG && s.wanted(name))
                files.emplace_back(name);
            else if (type == DT_DIR && s.options.recursive)
                folders.emplace_back(name);
        }
        closedir(dir);

        std::sort(files.begin(), files.end());
        std::sort(folders.begin(), folders.end());
        for (size_t i = 0; i < files.size() && !s.stop; i += kBatchFiles) {
            State::Batch batch;
            batch.folder = open;
            batch.folderPath = folder.path;
            batch.names.assign(std::make_move_iterator(files.begin() + i),
                               std::make_move_iterator(files.begin() + std::min(files.size(), i + kBatchFiles)));
            enqueue(std::move(batch));
        }
        for (auto it = folders.rbegin(); it != folders.rend(); ++it)
            pending.push_back({joined(folder.path, it->constData()), st.st_dev, -1});
        report(false);
        if (onFolder)
            onFolder();
    }
    for (Folder& folder : pending)
        if (folder.fd >= 0)
            ::close(folder.fd);

    {
        std::lock_guard hold(s.lock);
        s.lastBatch = true;
    }
    s.batchWaiting.notify_all();
    while (!s.stop && s.reported < s.queued)
        report(true);
    for (std::thread& t : readers)
        t.join();
    return true;
}

} // namespace zor::iconsource
