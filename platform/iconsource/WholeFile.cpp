#include "WholeFile.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zor {

namespace {

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// Whether the link at path may be written through: one the user made, in a folder no one
// else may put links in. The kernel's protected links would let more through (a link in a
// sticky folder its owner made, say); a save dialog's target needs no more.
bool mayFollow(const QByteArray& path, const struct stat& link)
{
    struct stat folder {};
    return link.st_uid == ::geteuid() && ::stat(folderOf(path).constData(), &folder) == 0
        && !(folder.st_mode & (S_ISVTX | S_IWOTH));
}

} // namespace

int writeWhole(const QByteArray& path, QByteArrayView bytes)
{
    // A link is followed, link after link: the file it names is the one replaced, as a save
    // dialog means. Not one planted by someone else, nor in a shared folder such as /tmp.
    QByteArray target = path;
    for (int hops = 0;; ++hops) {
        struct stat link {};
        if (::lstat(target.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
            break;
        if (hops >= 40)
            return ELOOP;
        if (!mayFollow(target, link))
            return EPERM;
        char to[PATH_MAX];
        const ssize_t n = ::readlink(target.constData(), to, sizeof to);
        if (n < 0 || n >= ssize_t(sizeof to))
            return n < 0 ? errno : ENAMETOOLONG;
        const QByteArray next(to, n);
        target = next.startsWith('/') ? next : folderOf(target) + '/' + next;
    }
    // Beside the target, so the rename never crosses file systems; hidden meanwhile.
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray temp = target.left(slash + 1) + '.' + target.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    // A replaced file keeps its mode; a new one gets what the umask leaves of rw-rw-rw-.
    struct stat st {};
    mode_t mode = 0;
    if (::stat(target.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int error = 0;
    qsizetype done = 0;
    while (done < bytes.size() && !error) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR)
            error = errno;
        else if (n > 0)
            done += n;
    }
    if (!error && ::fchmod(fd, mode) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temp.constData(), target.constData()) != 0)
        error = errno;
    if (error)
        ::unlink(temp.constData());
    return error;
}

int makeFolders(const QByteArray& path)
{
    for (qsizetype end = path.indexOf('/', 1); ; end = path.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? path : path.left(end);
        struct stat st {};
        if (!part.isEmpty() && ::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
        if (end < 0)
            return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    }
}

} // namespace zor
