#include "platform/FileList.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zor {

FileList::FileList(const QString& pattern)
{
    for (const QString& p : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        m_patterns.push_back(QRegularExpression::fromWildcard(p, Qt::CaseInsensitive));
}

bool FileList::setPath(const StoredPath& folder)
{
    m_entries.clear();
    const QByteArray& base = folder.bytes();
    DIR* dir = ::opendir(base.constData());
    if (!dir)
        return false;
    struct Keyed {
        QString key;
        StoredPath entry;
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
        StoredPath path = folder.child(stored);
        bool regular = d->d_type == DT_REG;
        if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
            struct stat st {};
            regular = ::stat(path.bytes().constData(), &st) == 0 && S_ISREG(st.st_mode);
        }
        if (!regular)
            continue;
        found.push_back({path.fileName().toLower(), std::move(path)});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.entry.bytes() < b.entry.bytes();
    });
    m_entries.reserve(found.size());
    for (Keyed& k : found)
        m_entries.push_back(std::move(k.entry));
    return true;
}

} // namespace zor
