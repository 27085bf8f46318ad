#pragma once
// Reads the pages of a compiled HTML help file (.chm) with libchm, for the help window
// on desktops that have no program for such files.
#include <QByteArray>
#include <QString>
#include <optional>

struct chmFile;

namespace zor {

class ChmArchive {
public:
    explicit ChmArchive(const QString& path);
    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // The stored object at path ("/index.html"); nothing when it is missing or too large.
    std::optional<QByteArray> read(const QString& path) const;
    // From the archive's system record: the first page ("/index.html" when it names none)
    // and the title (empty when none).
    QString defaultTopic() const { return m_defaultTopic; }
    QString title() const { return m_title; }

    // Text stored in the archive's code page: Japanese help files use Shift_JIS.
    static QString decode(const QByteArray& bytes, const QByteArray& charset);

private:
    void readSystemRecord();

    chmFile* m_file = nullptr;
    QString m_defaultTopic = QStringLiteral("/index.html");
    QString m_title;
};

} // namespace zor
