#pragma once
// The hidden file list: the regular files of one folder whose names match a pattern, in
// ascending order of their names ignoring case. Each name keeps the bytes the folder holds,
// so a file whose name is not UTF-8 (an old archive unpacked as it was) can still be read.
#include "platform/iconsource/StoredPath.h"

#include <QRegularExpression>
#include <QString>
#include <vector>

namespace zor {

class FileList {
public:
    // Patterns separated by ";" ("*.ico;*.cur;*.icl"), compared ignoring case.
    explicit FileList(const QString& pattern);

    // Lists the folder anew. False, and an empty list, when it cannot be read.
    bool setPath(const StoredPath& folder);
    int listCount() const { return int(m_entries.size()); }
    // Entry i (0-based): the name as shown, and the folder, "/" and the name as stored.
    QString list(int i) const { return m_entries[size_t(i)].fileName(); }
    const StoredPath& path(int i) const { return m_entries[size_t(i)]; }

private:
    std::vector<QRegularExpression> m_patterns;
    std::vector<StoredPath> m_entries;
};

} // namespace zor
