#pragma once
// The byte reader over Qt's views, for what reads stored images with Qt (the decoders, the
// library writer).

#include "ByteReader.h"

#include <QByteArrayView>
#include <QtEndian>

namespace zor::iconsource {

using QtByteReader = BasicByteReader<QByteArrayView>;

inline std::string_view stdView(QByteArrayView v)
{
    return std::string_view(v.data(), size_t(v.size()));
}

} // namespace zor::iconsource
