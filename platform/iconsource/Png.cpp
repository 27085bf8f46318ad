// PNG images inside icon groups (Vista and later store the 256 px image this way).
// Decoded by Qt's PNG reader; the header is checked first so a hostile size costs nothing.

#include "Formats.h"

#include <QBuffer>
#include <QImageReader>

namespace zor::iconsource {

namespace {

constexpr int kMaxDecodedSide = 256;
constexpr QByteArrayView kPngSignature("\x89PNG\r\n\x1a\n", 8);

} // namespace

bool isPng(QByteArrayView data)
{
    return data.startsWith(kPngSignature);
}

QImage decodePng(QByteArrayView data)
{
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(4);   // MB; the side check below keeps us far under it
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxDecodedSide || size.height() > kMaxDecodedSide)
        return {};
    return reader.read();
}

} // namespace zor::iconsource
