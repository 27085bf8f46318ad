#include "platform/desktop/MimeApps.h"

namespace zor {

MimeAppsList::MimeAppsList(QString text)
{
    if (!text.isEmpty()) {
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        m_lines = text.split(QLatin1Char('\n'));
    }
}

QString MimeAppsList::text() const
{
    return m_lines.isEmpty() ? QString() : m_lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

int MimeAppsList::groupStart(const QString& group) const
{
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].trimmed() == header)
            return i;
    }
    return -1;
}

int MimeAppsList::groupEnd(int start) const
{
    int i = start + 1;
    while (i < m_lines.size() && !m_lines[i].trimmed().startsWith(QLatin1Char('[')))
        ++i;
    return i;
}

int MimeAppsList::entryLine(const QString& group, const QString& mimeType) const
{
    const int start = groupStart(group);
    if (start < 0)
        return -1;
    const int end = groupEnd(start);
    for (int i = start + 1; i < end; ++i) {
        const QString& line = m_lines[i];
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !line.trimmed().startsWith(QLatin1Char('#')) && line.left(eq).trimmed() == mimeType)
            return i;
    }
    return -1;
}

QStringList MimeAppsList::entries(const QString& group, const QString& mimeType) const
{
    const int i = entryLine(group, mimeType);
    if (i < 0)
        return {};
    const QString& line = m_lines[i];
    QStringList apps = line.mid(line.indexOf(QLatin1Char('=')) + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& a : apps)
        a = a.trimmed();
    apps.removeAll(QString());
    return apps;
}

void MimeAppsList::setEntries(const QString& group, const QString& mimeType, const QStringList& apps)
{
    const QString line = mimeType + QLatin1Char('=') + apps.join(QLatin1Char(';')) + QLatin1Char(';');
    const int i = entryLine(group, mimeType);
    if (i >= 0) {
        m_lines[i] = line;
        return;
    }
    int start = groupStart(group);
    if (start < 0) {
        while (!m_lines.isEmpty() && m_lines.last().trimmed().isEmpty())
            m_lines.removeLast();
        if (!m_lines.isEmpty())
            m_lines << QString();
        m_lines << QLatin1Char('[') + group + QLatin1Char(']') << line;
        return;
    }
    // After the group's last entry, before any blank lines that separate it from the next.
    int at = groupEnd(start);
    while (at > start + 1 && m_lines[at - 1].trimmed().isEmpty())
        --at;
    m_lines.insert(at, line);
}

void MimeAppsList::putFirst(const QString& group, const QString& mimeType, const QString& app)
{
    QStringList apps = entries(group, mimeType);
    apps.removeAll(app);
    apps.prepend(app);
    setEntries(group, mimeType, apps);
}

void MimeAppsList::append(const QString& group, const QString& mimeType, const QString& app)
{
    QStringList apps = entries(group, mimeType);
    if (apps.contains(app))
        return;
    apps.append(app);
    setEntries(group, mimeType, apps);
}

void MimeAppsList::remove(const QString& group, const QString& mimeType, const QString& app)
{
    QStringList apps = entries(group, mimeType);
    if (!apps.removeAll(app))
        return;
    if (apps.isEmpty())
        m_lines.removeAt(entryLine(group, mimeType));
    else
        setEntries(group, mimeType, apps);
}

void MimeAppsList::rename(const QString& app, const QString& to)
{
    for (const QString& group : {Defaults, Added, Removed}) {
        const int start = groupStart(group);
        if (start < 0)
            continue;
        const int end = groupEnd(start);
        for (int i = start + 1; i < end; ++i) {
            const QString& line = m_lines[i];
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq <= 0 || line.trimmed().startsWith(QLatin1Char('#')))
                continue;
            const QString mimeType = line.left(eq).trimmed();
            QStringList apps = entries(group, mimeType);
            if (!apps.contains(app))
                continue;
            for (QString& a : apps) {
                if (a == app)
                    a = to;
            }
            apps.removeDuplicates();
            setEntries(group, mimeType, apps);
        }
    }
}

} // namespace zor
