#pragma once
// A path as the file system stores it: its bytes, which need not be UTF-8, and the text
// that shows it. Paths travel as these from where they come in (the command line, dialogs,
// drops, folder lists, search results, recent entries) to whatever reads the file; the
// text is only ever shown, never turned back into a path.

#include <QByteArray>
#include <QString>

class QUrl;

namespace zor {

class StoredPath {
public:
    StoredPath() = default;
    // The bytes are the path: a path is always made of them, never of text.
    StoredPath(QByteArray bytes);
    static StoredPath fromBytes(QByteArray bytes) { return StoredPath(std::move(bytes)); }
    // What a user typed, or a source that only has text: the locale's file-name encoding.
    static StoredPath fromText(const QString& text);
    // A local file's URL, percent-decoded byte for byte; an empty path for any other URL.
    static StoredPath fromUrl(const QUrl& url);
    // What a box that was given proposed (a path shown as text) holds now: proposed itself
    // while the text is still the one shown, else what was typed.
    static StoredPath fromEdited(const QString& text, const StoredPath& proposed);
    // The text a settings store keeps (see storedText), back to the path.
    static StoredPath fromStoredText(const QString& text);

    const QByteArray& bytes() const { return m_bytes; }
    const QString& shown() const { return m_shown; }
    bool isEmpty() const { return m_bytes.isEmpty(); }

    // Text that gives the same bytes back: the path itself when it is UTF-8 (as every
    // stored value has always been), else its file URL.
    QString storedText() const;
    QUrl url() const;
    // Absolute, taken from the working folder, and clean: one spelling a path.
    StoredPath cleaned() const;
    // The folder that holds it, and a name inside it (as stored, joined with one "/").
    StoredPath folder() const;
    StoredPath child(const QByteArray& name) const;
    // The last component, shown.
    QString fileName() const;

    friend bool operator==(const StoredPath& a, const StoredPath& b) { return a.m_bytes == b.m_bytes; }

private:
    QByteArray m_bytes;
    QString m_shown;
};

// A stored name as text: UTF-8 where it is valid, else the Japanese Windows code page
// (CP932) that old icon archives were made with, else Latin-1.
QString shownName(const QByteArray& name);

} // namespace zor
