#include "platform/FileList.h"

#include "platform/iconsource/IconSearch.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zor {

FileList::FileList(const QString& pattern)
{
    for (const QString& p : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        m_patterns.push_back(QRegularExpression::fromWildcard(p, Qt::CaseInsensitive));
}

bool FileList::setPath(const QString& folder)
{
    m_entries.clear();
    const QByteArray base = QFile::encodeName(folder);
    DIR* dir = ::opendir(base.constData());
    if (!dir)
        return false;
    struct Keyed {
        QString key;
        Entry entry;
    };
    std::vector<Keyed> found;
    while (const dirent* d = ::readdir(dir)) {
        const QByteArray stored(d->d_name);
        if (stored.startsWith('.'))   // hidden, as the file list leaves them out
            continue;
        // The patterns are plain ASCII: Latin-1 gives every byte a character to match against.
        const QString bytes = QString::fromLatin1(stored);
        if (std::none_of(m_patterns.begin(), m_patterns.end(),
                         [&](const QRegularExpression& re) { return re.match(bytes).hasMatch(); }))
            continue;
        QByteArray path = base + '/' + stored;
        bool regular = d->d_type == DT_REG;
        if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
            struct stat st {};
            regular = ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
        }
        if (!regular)
            continue;
        QString name = iconsource::shownName(stored);
        found.push_back({name.toLower(), {std::move(name), std::move(path)}});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.entry.path < b.entry.path;
    });
    m_entries.reserve(found.size());
    for (Keyed& k : found)
        m_entries.push_back(std::move(k.entry));
    return true;
}

QByteArray ReadFileBytes(const QByteArray& path, qint64 limit)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.resize(qMin<qint64>(st.st_size, limit));
        qint64 got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.resize(got);
    }
    ::close(fd);
    return bytes;
}

} // namespace zor
