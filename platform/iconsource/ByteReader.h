#pragma once

// Little-endian reads over a span of bytes that answer "no value" instead of reading past
// the end. Every offset a file gives us goes through one of these.

#include <QByteArrayView>
#include <QtEndian>

#include <optional>

namespace zor::iconsource {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(QByteArrayView bytes) : m_bytes(bytes) {}

    QByteArrayView bytes() const { return m_bytes; }
    qint64 size() const { return m_bytes.size(); }

    // Whether [at, at + length) lies wholly inside.
    bool has(qint64 at, qint64 length) const
    {
        return at >= 0 && length >= 0 && at <= size() && length <= size() - at;
    }

    std::optional<quint8> u8(qint64 at) const
    {
        if (!has(at, 1))
            return std::nullopt;
        return quint8(m_bytes[at]);
    }
    std::optional<quint16> u16(qint64 at) const
    {
        if (!has(at, 2))
            return std::nullopt;
        return qFromLittleEndian<quint16>(m_bytes.data() + at);
    }
    std::optional<quint32> u32(qint64 at) const
    {
        if (!has(at, 4))
            return std::nullopt;
        return qFromLittleEndian<quint32>(m_bytes.data() + at);
    }
    std::optional<qint32> i32(qint64 at) const
    {
        if (!has(at, 4))
            return std::nullopt;
        return qFromLittleEndian<qint32>(m_bytes.data() + at);
    }
    std::optional<quint32> u32BigEndian(qint64 at) const
    {
        if (!has(at, 4))
            return std::nullopt;
        return qFromBigEndian<quint32>(m_bytes.data() + at);
    }

    // The bytes [at, at + length) when they lie wholly inside and are not empty, else an empty view.
    QByteArrayView slice(qint64 at, qint64 length) const
    {
        if (length <= 0 || !has(at, length))
            return {};
        return m_bytes.sliced(at, length);
    }
    // From at to the end, at most maxLength bytes; empty when at is outside.
    QByteArrayView from(qint64 at, qint64 maxLength) const
    {
        if (at < 0 || at >= size() || maxLength <= 0)
            return {};
        return m_bytes.sliced(at, qMin(maxLength, size() - at));
    }
    ByteReader sub(qint64 at, qint64 length) const { return ByteReader(slice(at, length)); }

private:
    QByteArrayView m_bytes;
};

} // namespace zor::iconsource
