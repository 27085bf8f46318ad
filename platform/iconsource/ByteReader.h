#pragma once

// Little-endian reads over a span of bytes that answer "no value" instead of reading past
// the end. Every offset a file gives us goes through one of these. The directory walk reads
// std::string_view, with no Qt; the picture decoders read QByteArrayView with the same code.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zor::iconsource {

template <class View>
class BasicByteReader {
public:
    BasicByteReader() = default;
    explicit BasicByteReader(View bytes) : m_bytes(bytes) {}

    View bytes() const { return m_bytes; }
    int64_t size() const { return int64_t(m_bytes.size()); }

    // Whether [at, at + length) lies wholly inside.
    bool has(int64_t at, int64_t length) const
    {
        return at >= 0 && length >= 0 && at <= size() && length <= size() - at;
    }

    std::optional<uint8_t> u8(int64_t at) const
    {
        if (!has(at, 1))
            return std::nullopt;
        return byte(at);
    }
    std::optional<uint16_t> u16(int64_t at) const
    {
        if (!has(at, 2))
            return std::nullopt;
        return uint16_t(byte(at) | byte(at + 1) << 8);
    }
    std::optional<uint32_t> u32(int64_t at) const
    {
        if (!has(at, 4))
            return std::nullopt;
        return uint32_t(byte(at)) | uint32_t(byte(at + 1)) << 8 | uint32_t(byte(at + 2)) << 16
            | uint32_t(byte(at + 3)) << 24;
    }
    std::optional<int32_t> i32(int64_t at) const
    {
        const auto v = u32(at);
        return v ? std::optional<int32_t>(int32_t(*v)) : std::nullopt;
    }
    std::optional<uint32_t> u32BigEndian(int64_t at) const
    {
        if (!has(at, 4))
            return std::nullopt;
        return uint32_t(byte(at)) << 24 | uint32_t(byte(at + 1)) << 16 | uint32_t(byte(at + 2)) << 8
            | uint32_t(byte(at + 3));
    }

    // The bytes [at, at + length) when they lie wholly inside and are not empty, else an empty view.
    View slice(int64_t at, int64_t length) const
    {
        if (length <= 0 || !has(at, length))
            return {};
        return View(m_bytes.data() + at, length);
    }
    // From at to the end, at most maxLength bytes; empty when at is outside.
    View from(int64_t at, int64_t maxLength) const
    {
        if (at < 0 || at >= size() || maxLength <= 0)
            return {};
        return View(m_bytes.data() + at, std::min(maxLength, size() - at));
    }
    BasicByteReader sub(int64_t at, int64_t length) const { return BasicByteReader(slice(at, length)); }

private:
    uint8_t byte(int64_t at) const { return uint8_t(m_bytes.data()[at]); }

    View m_bytes;
};

using ByteReader = BasicByteReader<std::string_view>;

} // namespace zor::iconsource
