#pragma once
// The hidden file list: the regular files of one folder whose names match a pattern, in
// ascending order of their names ignoring case. Each name keeps the bytes the folder holds,
// so a file whose name is not UTF-8 (an old archive unpacked as it was) can still be read.
#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <vector>

namespace zor {

class FileList {
public:
    // Patterns separated by ";" ("*.ico;*.cur;*.icl"), compared ignoring case.
    explicit FileList(const QString& pattern);

    // Lists the folder anew. False, and an empty list, when it cannot be read.
    bool setPath(const QString& folder);
    int listCount() const { return int(m_entries.size()); }
    // Entry i (0-based): the name as shown, and the folder, "/" and the name as stored.
    const QString& list(int i) const { return m_entries[size_t(i)].name; }
    const QByteArray& rawPath(int i) const { return m_entries[size_t(i)].path; }

private:
    struct Entry {
        QString name;
        QByteArray path;
    };
    std::vector<QRegularExpression> m_patterns;
    std::vector<Entry> m_entries;
};

// The bytes of a regular file named by its stored path, at most limit of them; empty when
// it is not a regular file or cannot be read. Never waits on a pipe or a device.
QByteArray ReadFileBytes(const QByteArray& path, qint64 limit);
// How much of an icon source is read when it is read whole.
inline constexpr qint64 MaxIconFileBytes = 256 * 1024 * 1024;

} // namespace zor
