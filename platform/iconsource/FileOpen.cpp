// Opening icon sources: one way in, for the walk and for everything above it.

#include "Formats.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <limits>
#include <mutex>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zor::iconsource::walk {

namespace {

// ---- mapped files that shrink while they are read ------------------------------------

// The mappings in use, for the bus-error handler: it replaces their vanished pages with
// zeros. A fixed table of atomics, as a signal handler may read nothing else.
constexpr size_t kGuardedMappings = 4096;
struct Guarded {
    std::atomic<uintptr_t> start{0};
    std::atomic<size_t> length{0};
};
std::array<Guarded, kGuardedMappings> guarded;
struct sigaction previousBusAction;
const uintptr_t pageMask = ~uintptr_t(sysconf(_SC_PAGESIZE) - 1);

void onBusError(int signal, siginfo_t* info, void* context)
{
    const auto at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (const Guarded& g : guarded) {
        const uintptr_t start = g.start.load(std::memory_order_acquire);
        if (start == 0 || at < start || at - start >= g.length.load(std::memory_order_acquire))
            continue;
        void* page = reinterpret_cast<void*>(at & pageMask);
        if (mmap(page, ~pageMask + 1, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
            return;   // the load is repeated and reads zeros
        break;
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

// Guards [start, start + length) until release; false when the table is full.
bool guard(const void* start, size_t length)
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previousBusAction);
    });
    for (Guarded& g : guarded) {
        uintptr_t free = 0;
        if (g.start.load(std::memory_order_relaxed) == 0
            && g.start.compare_exchange_strong(free, reinterpret_cast<uintptr_t>(start))) {
            g.length.store(length, std::memory_order_release);
            return true;
        }
    }
    return false;
}

void release(const void* start)
{
    for (Guarded& g : guarded) {
        if (g.start.load(std::memory_order_acquire) == reinterpret_cast<uintptr_t>(start)) {
            g.length.store(0, std::memory_order_release);
            g.start.store(0, std::memory_order_release);
            return;
        }
    }
}

// A whole file mapped and guarded for as long as the object lives.
class Mapping {
public:
    static std::shared_ptr<const Mapping> of(int fd, int64_t size)
    {
        void* start = mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (start == MAP_FAILED)
            return nullptr;
        if (!guard(start, size_t(size))) {
            munmap(start, size_t(size));
            return nullptr;
        }
        return std::shared_ptr<const Mapping>(new Mapping(start, size));
    }
    ~Mapping()
    {
        munmap(m_start, size_t(m_size));
        release(m_start);
    }
    Bytes bytes() const { return Bytes(static_cast<const char*>(m_start), size_t(m_size)); }

private:
    Mapping(void* start, int64_t size) : m_start(start), m_size(size) {}
    void* m_start;
    int64_t m_size;
};

// Reads [from, to) of fd into bytes; false on a read error. Stops early at the end of the file.
bool readInto(int fd, std::string& bytes, int64_t from, int64_t to)
{
    bytes.resize(size_t(to));
    int64_t got = from;
    while (got < to) {
        const ssize_t n = ::pread(fd, bytes.data() + got, size_t(to - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += n;
    }
    bytes.resize(size_t(got));
    return true;
}

// Each reader thread of a search maps its files side by side into one reserved stretch of
// address space and gives them back together when it is full: taking a mapping away makes
// every other core drop its view of it, and doing that once for many files instead of once
// a file is what lets the threads read in parallel. The stretch is small, as every page a
// file's directories were read from stays resident until it is given back.
class MappingArea {
public:
    ~MappingArea()
    {
        if (m_base != MAP_FAILED && !m_broken) {
            munmap(m_base, kAreaBytes);
            release(m_base);
        }
    }
    // The file's bytes, mapped until the area is next given back; nullptr when it cannot
    // be mapped here.
    const char* map(int fd, int64_t size)
    {
        const size_t length = (size_t(size) + ~pageMask) & pageMask;
        if (m_broken || length > kAreaBytes / 4)
            return nullptr;
        if (m_base == MAP_FAILED) {
            void* base = mmap(nullptr, kAreaBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            if (base == MAP_FAILED)
                return nullptr;
            if (!guard(base, kAreaBytes)) {
                munmap(base, kAreaBytes);
                return nullptr;
            }
            m_base = base;
        }
        if (m_used + length > kAreaBytes && !giveBack())
            return nullptr;
        char* at = static_cast<char*>(m_base) + m_used;
        if (mmap(at, size_t(size), PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0) == MAP_FAILED) {
            // A failed fixed mapping may leave a hole that others can take: the area is
            // never used or given back again.
            m_broken = true;
            return nullptr;
        }
        m_used += length;
        return at;
    }

private:
    bool giveBack()
    {
        if (mmap(m_base, m_used, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED | MAP_NORESERVE, -1, 0) == MAP_FAILED)
            m_broken = true;
        m_used = 0;
        return !m_broken;
    }
    static constexpr size_t kAreaBytes = size_t(16) << 20;
    void* m_base = MAP_FAILED;
    size_t m_used = 0;
    bool m_broken = false;
};

// Opens name in folder as a regular file; -1, with outcome set, when it is not one.
int openRegular(int folder, const char* name, int64_t& size, Outcome& outcome)
{
    // Non-blocking: a FIFO put in place of the file after a listing saw it must not wait.
    const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        outcome = errno == ENOENT || errno == ENOTDIR ? Outcome::NotAFile : Outcome::Unreadable;
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        outcome = Outcome::NotAFile;
        return -1;
    }
    size = st.st_size;
    return fd;
}

// The whole file: read when small or when it cannot be mapped, else mapped and guarded.
std::shared_ptr<const Source> wholeFile(int fd, int64_t size, std::string&& head, Outcome& outcome)
{
    if (size > kReadWholeBytes) {
        if (auto mapping = Mapping::of(fd, size)) {
            const Bytes bytes = mapping->bytes();
            outcome = Outcome::Read;
            return Source::of(bytes, std::move(mapping));
        }
    }
    // Size 0 is what some special files report; they are read up to the bound.
    const int64_t end = size > 0 ? std::min(size, kMaxReadBytes) : kMaxReadBytes;
    if (!readInto(fd, head, int64_t(head.size()), end)) {
        outcome = Outcome::Unreadable;
        return nullptr;
    }
    outcome = Outcome::Read;
    auto kept = std::make_shared<const std::string>(std::move(head));
    return Source::of(*kept, kept);
}

} // namespace

uint8_t pathKind(const char* path)
{
    struct stat st {};
    if (!*path || ::stat(path, &st) != 0)
        return 0;
    return S_ISDIR(st.st_mode) ? 2 : 1;
}

bool canOpenFile(const char* path)
{
    int64_t size = 0;
    Outcome outcome = Outcome::Read;
    const int fd = !*path ? -1 : openRegular(AT_FDCWD, path, size, outcome);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

std::shared_ptr<const Source> open(const char* path, Outcome* outcome)
{
    Outcome ignored = Outcome::Read;
    Outcome& result = outcome ? *outcome : ignored;
    int64_t size = 0;
    const int fd = !*path ? -1 : openRegular(AT_FDCWD, path, size, result);
    if (fd < 0) {
        if (!*path)
            result = Outcome::NotAFile;
        return nullptr;
    }
    auto file = wholeFile(fd, size, std::string(), result);
    const int error = errno;
    ::close(fd);
    errno = error;
    return file;
}

int64_t outputLimit(int64_t inputBytes)
{
    return std::max(kMinOutputBytes, std::min(inputBytes, std::numeric_limits<int64_t>::max() / kOutputPerInputByte)
                                         * kOutputPerInputByte);
}

int64_t outputLimitOf(const char* path)
{
    struct stat st {};
    return outputLimit(*path && ::stat(path, &st) == 0 ? int64_t(st.st_size) : 0);
}

int64_t directoryBytes(Bytes head, int64_t size)
{
    // The first bytes often tell all: an icon file's directory, or that the file is no icon
    // source at all. The reader knows icon files by their header and programs by "MZ"; any
    // other file holds no icons, however large.
    if (size <= int64_t(head.size()) || (head.starts_with("MZ") && icoDirectoryEnd(head) == 0))
        return size;
    const int64_t directoryEnd = icoDirectoryEnd(head);
    return directoryEnd > 0 ? std::max<int64_t>(int64_t(head.size()), std::min(size, directoryEnd)) : 0;
}

void dropPages(Bytes bytes)
{
    // Only a mapping of ours: memory read into, or handed to Source::of, holds the only copy.
    const auto start = reinterpret_cast<uintptr_t>(bytes.data());
    for (const Guarded& g : guarded) {
        const uintptr_t at = g.start.load(std::memory_order_acquire);
        if (at != 0 && start == at && size_t(bytes.size()) <= g.length.load(std::memory_order_acquire)) {
            // Private and never written: the pages come back from the file when read again.
            ::madvise(const_cast<char*>(bytes.data()), size_t(bytes.size()), MADV_DONTNEED);
            return;
        }
    }
}

Outcome readAt(int folder, const char* name, Need need,
               const std::function<void(const std::shared_ptr<const Source>&)>& use)
{
    Outcome outcome = Outcome::Read;
    int64_t size = 0;
    const int fd = openRegular(folder, name, size, outcome);
    if (fd < 0)
        return outcome;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    std::string bytes;
    if (need == Need::Directories) {
        if (!readInto(fd, bytes, 0, std::min(size, kHeadBytes)))
            return Outcome::Unreadable;
        if (const int64_t wanted = directoryBytes(bytes, size); wanted < size) {
            if (wanted > int64_t(bytes.size()) && !readInto(fd, bytes, int64_t(bytes.size()), wanted))
                return Outcome::Unreadable;
            if (wanted == 0)
                bytes.clear();
            auto kept = std::make_shared<const std::string>(std::move(bytes));
            use(Source::of(*kept, kept));
            return Outcome::Read;
        }
        if (size > kReadWholeBytes) {
            static thread_local MappingArea area;
            if (const char* mapped = area.map(fd, size)) {
                use(Source::of(Bytes(mapped, size_t(size)), nullptr));
                return Outcome::Read;
            }
        }
    }
    if (const auto file = wholeFile(fd, size, std::move(bytes), outcome))
        use(file);
    return outcome;
}

} // namespace zor::iconsource
