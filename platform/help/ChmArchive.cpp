#include "platform/help/ChmArchive.h"

#include <QFile>
#include <QStringDecoder>
#include <QtEndian>

#include <chm_lib.h>

namespace zor {

namespace {
// Help pages are small; a damaged length field must not make us allocate gigabytes.
constexpr LONGUINT64 MaxObjectBytes = 16 * 1024 * 1024;
// Records of the "#SYSTEM" object: a 16-bit code and a 16-bit length before the data.
constexpr quint16 SystemDefaultTopic = 2;
constexpr quint16 SystemTitle = 3;
} // namespace

ChmArchive::ChmArchive(const QString& path)
{
    m_file = chm_open(QFile::encodeName(path).constData());
    if (m_file)
        readSystemRecord();
}

ChmArchive::~ChmArchive()
{
    if (m_file)
        chm_close(m_file);
}

std::optional<QByteArray> ChmArchive::read(const QString& path) const
{
    if (!m_file)
        return std::nullopt;
    chmUnitInfo info{};
    const QByteArray name = path.toUtf8();
    if (chm_resolve_object(m_file, name.constData(), &info) != CHM_RESOLVE_SUCCESS || info.length > MaxObjectBytes)
        return std::nullopt;
    QByteArray bytes(qsizetype(info.length), Qt::Uninitialized);
    const LONGINT64 got = chm_retrieve_object(m_file, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                              LONGINT64(info.length));
    if (got < 0)
        return std::nullopt;
    bytes.truncate(qsizetype(got));
    return bytes;
}

void ChmArchive::readSystemRecord()
{
    const std::optional<QByteArray> system = read(QStringLiteral("/#SYSTEM"));
    if (!system)
        return;
    const QByteArray& s = *system;
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
        if (code == SystemDefaultTopic && !text.isEmpty()) {
            const QString topic = decode(text, "Shift_JIS");
            m_defaultTopic = topic.startsWith(QLatin1Char('/')) ? topic : QLatin1Char('/') + topic;
        }
        else if (code == SystemTitle)
            m_title = decode(text, "Shift_JIS");
        at += length;
    }
}

QString ChmArchive::decode(const QByteArray& bytes, const QByteArray& charset)
{
    QStringDecoder decoder(charset.isEmpty() ? "UTF-8" : charset.constData());
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

} // namespace zor
