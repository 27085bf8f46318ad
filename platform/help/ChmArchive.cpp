#include "platform/help/ChmArchive.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QtEndian>

#include <chm_lib.h>

#include <functional>
#include <limits>
#include <vector>

namespace zor {

namespace {
// Help pages are small; a damaged length field must not make us allocate gigabytes.
constexpr LONGUINT64 MaxObjectBytes = 16 * 1024 * 1024;
// Records of the "#SYSTEM" object: a 16-bit code and a 16-bit length before the data.
constexpr quint16 SystemContentsFile = 0;
constexpr quint16 SystemIndexFile = 1;
constexpr quint16 SystemDefaultTopic = 2;
constexpr quint16 SystemTitle = 3;

// The directory: a header, then pages of names. Listing pages ("PMGL") hold the files,
// index pages ("PMGI") the first name of each page below them.
constexpr qint64 DirectoryHeaderBytes = 0x54;
constexpr qsizetype ListingHeaderBytes = 0x14;
constexpr qsizetype IndexHeaderBytes = 0x08;
constexpr quint32 MaxPageBytes = 1024 * 1024;   // 4 KiB in every file seen
constexpr quint64 MaxNameBytes = 512;           // libchm's limit
constexpr qsizetype MaxFiles = 100000;
constexpr qsizetype MaxIndexedPages = 1000000;

// The compressed section (LZX) as libchm reads it.
const char* const ResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
const char* const CompressedContent = "::DataSpace/Storage/MSCompressed/Content";
const char* const ControlData = "::DataSpace/Storage/MSCompressed/ControlData";
constexpr quint64 BlockSlack = 6144;   // what libchm allows a compressed block beyond its block length
constexpr quint32 MaxBlocksPerReset = 1024;

template <typename T>
T field(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<T>(bytes.constData() + at);
}

// A number of the directory: seven bits a byte, the high bit set on every byte but the last.
bool readNumber(const QByteArray& page, qsizetype& pos, qsizetype end, quint64& value)
{
    value = 0;
    for (int n = 0; n < 9 && pos < end; ++n) {
        const auto byte = quint8(page[pos++]);
        value = (value << 7) | (byte & 0x7f);
        if (byte < 0x80)
            return true;
    }
    return false;
}

// The entries of a directory page: a name, then `numbers` numbers. False when one runs
// past the used part of the page, which libchm would read beyond.
using EntryStep = std::function<void(const QByteArray& name, const quint64* numbers)>;
bool readEntries(const QByteArray& page, qsizetype headerBytes, int numbers, const EntryStep& step)
{
    const quint32 unused = field<quint32>(page, 4);
    if (unused > quint32(page.size() - headerBytes))
        return false;
    const qsizetype end = page.size() - qsizetype(unused);
    for (qsizetype pos = headerBytes; pos < end;) {
        quint64 length = 0;
        if (!readNumber(page, pos, end, length) || length == 0 || length > MaxNameBytes || qsizetype(length) > end - pos)
            return false;
        const QByteArray name = page.mid(pos, qsizetype(length));
        pos += qsizetype(length);
        quint64 values[3] = {};
        for (int i = 0; i < numbers; ++i)
            if (!readNumber(page, pos, end, values[i]))
                return false;
        if (step)
            step(name, values);
    }
    return true;
}
} // namespace

ChmArchive::ChmArchive(const QString& path)
{
    // libchm follows the directory's page numbers and the compressed section's tables
    // without checking them: we read both first and open only what it can read safely.
    if (!readDirectory(path))
        return;
    m_file = chm_open(QFile::encodeName(path).constData());
    if (!m_file)
        return;
    readCompressionTables();
    readSystemRecord();
}

ChmArchive::~ChmArchive()
{
    if (m_file)
        chm_close(m_file);
}

bool ChmArchive::readDirectory(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const quint64 size = quint64(file.size());
    auto bytesAt = [&](quint64 offset, qint64 count) -> QByteArray {
        if (offset > size || quint64(count) > size - offset || !file.seek(qint64(offset)))
            return {};
        QByteArray bytes = file.read(count);
        return bytes.size() == count ? bytes : QByteArray();
    };

    const QByteArray head = bytesAt(0, 0x60);
    if (!head.startsWith("ITSF"))
        return false;
    const quint64 directoryAt = field<quint64>(head, 0x48);
    const QByteArray directory = bytesAt(directoryAt, DirectoryHeaderBytes);
    if (!directory.startsWith("ITSP") || field<qint32>(directory, 4) != 1
        || field<qint32>(directory, 8) != DirectoryHeaderBytes)
        return false;
    const quint32 pageBytes = field<quint32>(directory, 0x10);
    if (pageBytes < 0x20 || pageBytes > MaxPageBytes)
        return false;
    const qint32 firstListing = field<qint32>(directory, 0x20);
    qint32 root = field<qint32>(directory, 0x1c);
    if (root <= -1)
        root = firstListing;
    const quint64 pagesAt = directoryAt + DirectoryHeaderBytes;
    auto page = [&](qint32 n) { return n < 0 ? QByteArray() : bytesAt(pagesAt + quint64(n) * pageBytes, pageBytes); };

    // Look-ups go from the root page down: every page on the way is whole and reached once,
    // or a page leading back to itself would never end one.
    QSet<qint32> reached{root};
    std::vector<qint32> todo{root};
    while (!todo.empty()) {
        const QByteArray p = page(todo.back());
        todo.pop_back();
        bool whole = true;
        bool again = false;
        if (p.startsWith("PMGL")) {
            whole = readEntries(p, ListingHeaderBytes, 3, {});
        } else if (p.startsWith("PMGI")) {
            whole = readEntries(p, IndexHeaderBytes, 1, [&](const QByteArray&, const quint64* numbers) {
                const auto below = qint32(numbers[0]);   // as libchm takes it
                if (below < 0 || again)
                    return;
                again = reached.contains(below) || reached.size() >= MaxIndexedPages;
                reached.insert(below);
                todo.push_back(below);
            });
        }
        if (!whole || again)
            return false;
    }

    // The listing pages, chained from the first: the names of every stored file.
    QSet<qint32> listed;
    for (qint32 n = firstListing; n >= 0 && !listed.contains(n);) {
        listed.insert(n);
        const QByteArray p = page(n);
        if (!p.startsWith("PMGL"))
            break;
        const bool whole = readEntries(p, ListingHeaderBytes, 3, [&](const QByteArray& name, const quint64*) {
            if (!name.endsWith('/') && m_files.size() < MaxFiles)
                m_files << QString::fromUtf8(name);
        });
        if (!whole)
            return false;
        n = field<qint32>(p, 0x10);
    }
    return true;
}

std::optional<QByteArray> ChmArchive::readStored(const char* name, chmUnitInfo& info) const
{
    if (chm_resolve_object(m_file, name, &info) != CHM_RESOLVE_SUCCESS || info.space != CHM_UNCOMPRESSED
        || info.length > MaxObjectBytes)
        return std::nullopt;
    QByteArray bytes(qsizetype(info.length), Qt::Uninitialized);
    if (chm_retrieve_object(m_file, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0, LONGINT64(info.length))
        != LONGINT64(info.length))
        return std::nullopt;
    return bytes;
}

void ChmArchive::readCompressionTables()
{
    // Without sane tables nothing compressed is read: libchm divides by their values,
    // sizes its buffers by them and decompresses as many blocks as they say.
    chmUnitInfo info{};
    const std::optional<QByteArray> table = readStored(ResetTable, info);
    const std::optional<QByteArray> control = readStored(ControlData, info);
    if (!table || !control || chm_resolve_object(m_file, CompressedContent, &info) != CHM_RESOLVE_SUCCESS)
        return;
    if (table->size() < 0x28 || field<quint32>(*table, 0) != 2 || control->size() < 0x18
        || control->mid(4, 4) != "LZXC")
        return;
    quint32 resetInterval = field<quint32>(*control, 12);
    quint32 windowSize = field<quint32>(*control, 16);
    const quint32 windowsPerReset = field<quint32>(*control, 20);
    if (field<quint32>(*control, 8) == 2) {
        resetInterval *= 0x8000;
        windowSize *= 0x8000;
    }
    // The decompressor takes windows of 2^15 to 2^21 bytes.
    if (windowSize < (1u << 15) || windowSize > (1u << 21) || (windowSize & (windowSize - 1)) != 0
        || resetInterval == 0 || resetInterval % (windowSize / 2) != 0)
        return;
    const quint32 blocksPerReset = resetInterval / (windowSize / 2) * windowsPerReset;
    const quint32 blockCount = field<quint32>(*table, 4);
    const quint32 tableAt = field<quint32>(*table, 12);
    const quint64 compressedBytes = field<quint64>(*table, 0x18);
    const quint64 blockBytes = field<quint64>(*table, 0x20);
    if (blocksPerReset == 0 || blocksPerReset > MaxBlocksPerReset || blockBytes < 0x1000 || blockBytes > windowSize
        || blockCount == 0 || tableAt > quint32(table->size()) || blockCount > (quint32(table->size()) - tableAt) / 8)
        return;
    // Every compressed block fits the buffer libchm reads it into.
    for (quint32 b = 0; b < blockCount; ++b) {
        const quint64 start = field<quint64>(*table, qsizetype(tableAt) + qsizetype(b) * 8);
        const quint64 end = b + 1 < blockCount ? field<quint64>(*table, qsizetype(tableAt) + qsizetype(b + 1) * 8)
                                               : compressedBytes;
        if (end < start || end - start > blockBytes + BlockSlack)
            return;
    }
    m_blockBytes = blockBytes;
    m_blockCount = blockCount;
}

std::optional<QByteArray> ChmArchive::read(const QString& path) const
{
    if (!m_file)
        return std::nullopt;
    chmUnitInfo info{};
    const QByteArray name = path.toUtf8();
    if (chm_resolve_object(m_file, name.constData(), &info) != CHM_RESOLVE_SUCCESS || info.length > MaxObjectBytes)
        return std::nullopt;
    if (info.space != CHM_UNCOMPRESSED && info.length > 0) {
        // Only blocks the checked table describes.
        if (m_blockBytes == 0 || info.start > std::numeric_limits<quint64>::max() - info.length
            || (info.start + info.length - 1) / m_blockBytes >= m_blockCount)
            return std::nullopt;
    }
    QByteArray bytes(qsizetype(info.length), Qt::Uninitialized);
    // Short of its length the object is damaged (libchm then gives what it could decompress).
    if (chm_retrieve_object(m_file, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0, LONGINT64(info.length))
        != LONGINT64(info.length))
        return std::nullopt;
    return bytes;
}

std::optional<QString> ChmArchive::readText(const QString& path) const
{
    const std::optional<QByteArray> bytes = read(path);
    if (!bytes)
        return std::nullopt;
    return decode(*bytes, declaredCharset(*bytes));
}

void ChmArchive::readSystemRecord()
{
    chmUnitInfo info{};
    const QByteArray s = readStored("/#SYSTEM", info).value_or(QByteArray());
    auto asPath = [](const QString& name) { return name.startsWith(QLatin1Char('/')) ? name : QLatin1Char('/') + name; };
    // A 32-bit version, then records up to the end.
    for (qsizetype at = 4; at + 4 <= s.size();) {
        const quint16 code = qFromLittleEndian<quint16>(s.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(s.constData() + at + 2);
        at += 4;
        if (length > s.size() - at)
            break;
        QByteArray text = s.mid(at, length);
        if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
            text.truncate(nul);
        const QString value = decode(text, "Shift_JIS");
        if (code == SystemDefaultTopic && !value.isEmpty())
            m_defaultTopic = asPath(value);
        else if (code == SystemTitle)
            m_title = value;
        else if (code == SystemContentsFile && !value.isEmpty())
            m_contentsFile = asPath(value);
        else if (code == SystemIndexFile && !value.isEmpty())
            m_indexFile = asPath(value);
        at += length;
    }
    // Older compilers name neither file there: the first of each kind stored.
    for (const QString& f : m_files) {
        if (m_contentsFile.isEmpty() && f.endsWith(QLatin1String(".hhc"), Qt::CaseInsensitive))
            m_contentsFile = f;
        if (m_indexFile.isEmpty() && f.endsWith(QLatin1String(".hhk"), Qt::CaseInsensitive))
            m_indexFile = f;
    }
}

QString ChmArchive::decode(const QByteArray& bytes, const QByteArray& charset)
{
    QStringDecoder decoder(charset.isEmpty() ? "UTF-8" : charset.constData());
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray ChmArchive::declaredCharset(const QByteArray& bytes)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_\\-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charset.match(QString::fromLatin1(bytes.left(2048)));
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray("Shift_JIS");
}

} // namespace zor
