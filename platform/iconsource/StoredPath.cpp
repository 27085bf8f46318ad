#include "StoredPath.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QUrl>

#include <climits>
#include <unistd.h>

namespace zor {

namespace {
const QString FileScheme = QStringLiteral("file://");

QByteArray workingFolder()
{
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? QByteArray(buffer) : QByteArray("/");
}
} // namespace

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

StoredPath::StoredPath(QByteArray bytes) : m_bytes(std::move(bytes)), m_shown(shownName(m_bytes)) {}

StoredPath StoredPath::fromText(const QString& text)
{
    return StoredPath(QFile::encodeName(text));
}

StoredPath StoredPath::fromUrl(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    // The encoded form keeps bytes that are not UTF-8 as they came.
    return StoredPath(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

StoredPath StoredPath::fromEdited(const QString& text, const StoredPath& proposed)
{
    return text == proposed.shown() ? proposed : fromText(text);
}

StoredPath StoredPath::fromStoredText(const QString& text)
{
    if (text.startsWith(FileScheme))
        return fromUrl(QUrl::fromEncoded(text.toLatin1()));
    return fromText(text);
}

QString StoredPath::storedText() const
{
    if (QByteArrayView(m_bytes).isValidUtf8())
        return QString::fromUtf8(m_bytes);
    return QString::fromLatin1(url().toEncoded());
}

QUrl StoredPath::url() const
{
    QUrl u;
    u.setScheme(QStringLiteral("file"));
    u.setPath(QString::fromLatin1(m_bytes.toPercentEncoding("/")), QUrl::TolerantMode);
    return u;
}

StoredPath StoredPath::cleaned() const
{
    if (m_bytes.isEmpty())
        return *this;
    QByteArray absolute = m_bytes.startsWith('/') ? m_bytes : workingFolder() + '/' + m_bytes;
    // Latin-1 gives every byte a character of its own, so cleaning cannot change a name.
    return StoredPath(QDir::cleanPath(QString::fromLatin1(absolute)).toLatin1());
}

StoredPath StoredPath::folder() const
{
    const qsizetype slash = m_bytes.lastIndexOf('/');
    if (slash < 0)
        return StoredPath(".");
    return StoredPath(slash == 0 ? QByteArray("/") : m_bytes.left(slash));
}

StoredPath StoredPath::child(const QByteArray& name) const
{
    // No test for a trailing separator: the root folder gives a doubled "/", as the folder
    // scan has always joined its names.
    return StoredPath(m_bytes + '/' + name);
}

QString StoredPath::fileName() const
{
    return shownName(m_bytes.mid(m_bytes.lastIndexOf('/') + 1));
}

} // namespace zor
