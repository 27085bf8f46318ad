#pragma once
// Line-by-line editing of a mimeapps.list that keeps every entry, comment and group it
// does not touch. Values are ';'-separated lists of desktop file names.
#include <QString>
#include <QStringList>

namespace zor {

class MimeAppsList {
public:
    explicit MimeAppsList(QString text = {});
    QString text() const;

    QStringList entries(const QString& group, const QString& mimeType) const;
    void setEntries(const QString& group, const QString& mimeType, const QStringList& apps);
    // Puts app first in the list (moving it if present).
    void putFirst(const QString& group, const QString& mimeType, const QString& app);
    // Appends app when the list does not hold it yet.
    void append(const QString& group, const QString& mimeType, const QString& app);
    // Takes app out of the list; an emptied list loses its line.
    void remove(const QString& group, const QString& mimeType, const QString& app);
    // Gives every mention of app in the three groups the name to, as a renamed desktop
    // entry needs; a list that held both keeps one.
    void rename(const QString& app, const QString& to);

    static inline const QString Defaults = QStringLiteral("Default Applications");
    static inline const QString Added = QStringLiteral("Added Associations");
    static inline const QString Removed = QStringLiteral("Removed Associations");

private:
    int groupStart(const QString& group) const;   // index of the header line, -1 = none
    int groupEnd(int start) const;                // one past the group's last line
    int entryLine(const QString& group, const QString& mimeType) const;
    QStringList m_lines;
};

} // namespace zor
