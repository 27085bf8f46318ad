#include "IconSearch.h"

#include <QStringDecoder>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace zor::iconsource {

namespace {

// Smaller files are read in one call; larger ones are mapped, so that only the pages
// the reader looks at (headers and resource directories) are ever touched.
constexpr qint64 kReadWholeBytes = 64 * 1024;
// How many files may be read ahead of the one reported next.
constexpr qint64 kWindow = 1024;

// ---- mapped files that shrink while they are read ----------------------------------

// The mapping the thread is reading now; the bus-error handler replaces its vanished
// pages with zeros. Volatile: the handler runs on this thread between any two loads.
thread_local const char* volatile guardedStart = nullptr;
thread_local volatile size_t guardedLength = 0;
struct sigaction previousBusAction;
uintptr_t pageMask = ~uintptr_t(4095);

void onBusError(int signal, siginfo_t* info, void* context)
{
    const char* at = static_cast<const char*>(info->si_addr);
    const char* start = guardedStart;
    if (start && at >= start && at < start + guardedLength) {
        void* page = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(at) & pageMask);
        if (mmap(page, ~pageMask + 1, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
            return;   // the load is repeated and reads zeros
    }
    if ((previousBusAction.sa_flags & SA_SIGINFO) && previousBusAction.sa_sigaction) {
        previousBusAction.sa_sigaction(signal, info, context);
    } else if (!(previousBusAction.sa_flags & SA_SIGINFO) && previousBusAction.sa_handler != SIG_DFL
               && previousBusAction.sa_handler != SIG_IGN) {
        previousBusAction.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL);   // not ours: the fault repeats and ends the program as usual
    }
}

void installBusHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        pageMask = ~uintptr_t(sysconf(_SC_PAGESIZE) - 1);
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previousBusAction);
    });
}

class Guard {
public:
    Guard(const char* start, size_t length) : m_start(guardedStart), m_length(guardedLength)
    {
        guardedLength = length;
        guardedStart = start;
        std::atomic_signal_fence(std::memory_order_seq_cst);
    }
    ~Guard()
    {
        std::atomic_signal_fence(std::memory_order_seq_cst);
        guardedStart = m_start;
        guardedLength = m_length;
    }

private:
    const char* m_start;
    size_t m_length;
};

struct Mapping {
    void* start = MAP_FAILED;
    size_t length = 0;
    ~Mapping()
    {
        if (start != MAP_FAILED)
            munmap(start, length);
    }
};

enum class Outcome { Read, NotAFile, Unreadable };

Outcome readSource(const QByteArray& path, const std::function<void(const IconFile&)>& use)
{
    // Non-blocking: a FIFO put in place of the file after the walk saw it must not wait.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? Outcome::NotAFile : Outcome::Unreadable;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Outcome::NotAFile;
    }
    const qint64 size = st.st_size;
    if (size <= kReadWholeBytes) {
        QByteArray bytes(size, Qt::Uninitialized);
        qint64 got = 0;
        while (got < size) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(size - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ::close(fd);
                return Outcome::Unreadable;
            }
            if (n == 0)
                break;
            got += n;
        }
        ::close(fd);
        bytes.truncate(got);
        use(IconFile::fromData(bytes));
        return Outcome::Read;
    }
    Mapping map;
    map.length = size_t(size);
    map.start = mmap(nullptr, map.length, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (map.start == MAP_FAILED)
        return Outcome::Unreadable;
    installBusHandler();
    const char* bytes = static_cast<const char*>(map.start);
    const Guard guard(bytes, map.length);
    use(IconFile::fromData(QByteArray::fromRawData(bytes, size)));
    return Outcome::Read;
}

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

bool withIconSource(const QByteArray& path, const std::function<void(const IconFile&)>& use)
{
    return readSource(path, use) == Outcome::Read;
}

QString shownName(const QByteArray& name)
{
    if (QByteArrayView(name).isValidUtf8())
        return QString::fromUtf8(name);
    QStringDecoder cp932("windows-31j", QStringDecoder::Flag::Stateless);
    if (cp932.isValid()) {
        const QString text = cp932(name);
        if (!cp932.hasError() && !text.contains(QChar::ReplacementCharacter))
            return text;
    }
    return QString::fromLatin1(name);
}

struct IconSearch::State {
    SearchOptions options;

    std::atomic<bool> stop{false};
    std::atomic<qint64> filesDone{0};
    std::atomic<qint64> unreadableFiles{0};
    std::atomic<qint64> unreadableFolders{0};
    mutable std::mutex folderLock;
    QByteArray folder;

    // Files to read, and what was read, by their number in the walk.
    std::mutex lock;
    std::condition_variable jobsWaiting;
    std::condition_variable resultWaiting;
    std::deque<std::pair<qint64, QByteArray>> jobs;
    bool lastJob = false;
    struct Slot {
        bool ready = false;
        FoundFile file;
    };
    std::vector<Slot> results = std::vector<Slot>(size_t(kWindow));
    qint64 queued = 0;     // files handed to the readers
    qint64 reported = 0;   // files whose result was passed on

    void read();
    bool wanted(const char* name) const
    {
        return (options.kinds & EveryFile) || (kindOfName(name) & options.kinds);
    }
};

// A reader thread: takes the next file, reads the sizes of its groups, files the result.
void IconSearch::State::read()
{
    for (;;) {
        std::pair<qint64, QByteArray> job;
        {
            std::unique_lock hold(lock);
            jobsWaiting.wait(hold, [&] { return stop || lastJob || !jobs.empty(); });
            if (stop || jobs.empty())
                return;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        FoundFile found;
        found.path = job.second;
        const Outcome outcome = readSource(job.second, [&](const IconFile& file) {
            const int n = file.count();
            for (int i = 0; i < n && !stop; ++i) {
                int largest = 0;
                for (const GroupEntry& e : file.entries(i))
                    largest = std::max({largest, e.width, e.height});
                if (largest >= options.minSize)
                    found.icons.push_back({i, largest});
            }
        });
        if (outcome == Outcome::Unreadable)
            ++unreadableFiles;
        ++filesDone;
        {
            std::lock_guard hold(lock);
            Slot& slot = results[size_t(job.first % kWindow)];
            slot.file = std::move(found);
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
    d->jobsWaiting.notify_all();
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

bool IconSearch::run(const std::function<void(FoundFile&&)>& onFile)
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

    // Passes on the results that are ready in walk order; with wait, at least the next one.
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
                if (!slot.file.icons.empty())
                    ready.push_back(std::move(slot.file));
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
    auto enqueue = [&](QByteArray path) {
        while (!s.stop && s.queued - s.reported >= kWindow)
            report(true);
        {
            std::lock_guard hold(s.lock);
            s.jobs.emplace_back(s.queued++, std::move(path));
        }
        s.jobsWaiting.notify_one();
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
        DIR* dir = fdopendir(fd);
        if (!dir) {
            ::close(fd);
            ++s.unreadableFolders;
            continue;
        }
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
        for (const QByteArray& name : files) {
            if (s.stop)
                break;
            enqueue(joined(folder.path, name.constData()));
        }
        for (auto it = folders.rbegin(); it != folders.rend(); ++it)
            pending.push_back({joined(folder.path, it->constData()), st.st_dev, -1});
        report(false);
    }
    for (Folder& folder : pending)
        if (folder.fd >= 0)
            ::close(folder.fd);

    {
        std::lock_guard hold(s.lock);
        s.lastJob = true;
    }
    s.jobsWaiting.notify_all();
    while (!s.stop && s.reported < s.queued)
        report(true);
    for (std::thread& t : readers)
        t.join();
    return true;
}

} // namespace zor::iconsource
