#pragma once
// Reads the pages of a compiled HTML help file (.chm) with libchm, for the help window
// on desktops that have no program for such files.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

struct chmFile;
struct chmUnitInfo;

namespace zor {

class ChmArchive {
public:
    explicit ChmArchive(const QString& path);
    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    // False also for a file whose directory or compression data we do not trust.
    bool isOpen() const { return m_file != nullptr; }
    // The stored object at path ("/index.html", any case); nothing when it is missing or too large.
    std::optional<QByteArray> read(const QString& path) const;
    // The object as text, in the charset it declares (the archive's code page when none).
    std::optional<QString> readText(const QString& path) const;
    // Every stored file in directory order ("/index.html", "/#SYSTEM", "::DataSpace/...").
    const QStringList& files() const { return m_files; }

    // From the archive's system record: the first page ("/index.html" when it names none),
    // the title (empty when none), and the contents and index files (empty when none).
    QString defaultTopic() const { return m_defaultTopic; }
    QString title() const { return m_title; }
    QString contentsFile() const { return m_contentsFile; }
    QString indexFile() const { return m_indexFile; }

    // Text stored in the archive's code page: Japanese help files use Shift_JIS.
    static QString decode(const QByteArray& bytes, const QByteArray& charset);
    // The charset a page or style sheet declares; "Shift_JIS" when it declares none.
    static QByteArray declaredCharset(const QByteArray& bytes);

private:
    bool readDirectory(const QString& path);
    void readCompressionTables();
    void readSystemRecord();
    std::optional<QByteArray> readStored(const char* name, chmUnitInfo& info) const;

    chmFile* m_file = nullptr;
    QStringList m_files;
    // The compressed section's checked table: nothing compressed is read without one.
    quint64 m_blockBytes = 0;
    quint64 m_blockCount = 0;
    QString m_defaultTopic = QStringLiteral("/index.html");
    QString m_title;
    QString m_contentsFile;
    QString m_indexFile;
};

} // namespace zor
