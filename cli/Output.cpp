#include "Output.h"

#include "Listing.h"
#include "platform/iconsource/StoredPath.h"

#include <QJsonObject>


namespace cli {

namespace {

std::string_view plainView(QByteArrayView text)
{
    return std::string_view(text.data(), size_t(text.size()));
}

} // namespace

bool put(QByteArrayView text)
{
    return plain::put(plainView(text));
}

bool putLine(QByteArrayView text)
{
    return plain::putLine(plainView(text));
}

int finish(int code)
{
    return plain::finish(code);
}

void report(const QByteArray& message)
{
    plain::report(plainView(message));
}

void report(const QString& message)
{
    report(message.toLocal8Bit());
}

QByteArray outputLimitText(qint64 limit)
{
    return QByteArray::fromStdString(plain::outputLimitText(limit));
}

QByteArray reason(int error)
{
    return QByteArray::fromStdString(plain::reason(error));
}

void addName(QJsonObject& object, const char* key, const char* bytesKey, const QByteArray& name)
{
    object.insert(QLatin1String(key), zor::shownName(name));
    if (!QByteArrayView(name).isValidUtf8())
        object.insert(QLatin1String(bytesKey), QString::fromLatin1(name.toBase64()));
}

} // namespace cli
