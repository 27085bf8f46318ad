#include "Output.h"

#include "platform/iconsource/StoredPath.h"

#include <QJsonObject>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

bool put(QByteArrayView text)
{
    if (!text.isEmpty())
        std::fwrite(text.data(), 1, size_t(text.size()), stdout);
    return !std::ferror(stdout);
}

bool putLine(QByteArrayView text)
{
    return put(text) && put("\n");
}

int finish(int code)
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int error = errno ? errno : EIO;
        std::fprintf(stderr, "zor-icons: write error: %s\n", std::strerror(error));
        return code == kSuccess ? kFileFailed : code;
    }
    return code;
}

void report(const QByteArray& message)
{
    std::fprintf(stderr, "zor-icons: %s\n", message.constData());
}

void report(const QString& message)
{
    report(message.toLocal8Bit());
}

QByteArray outputLimitText(qint64 limit)
{
    return "the output limit of " + QByteArray::number(limit) + " bytes (" + QByteArray::number(kOutputPerInputByte)
        + " times the file's size, at least " + QByteArray::number(kMinOutputBytes >> 20) + " MiB)";
}

QByteArray reason(int error)
{
    return std::strerror(error);
}

void addName(QJsonObject& object, const char* key, const char* bytesKey, const QByteArray& name)
{
    object.insert(QLatin1String(key), zor::shownName(name));
    if (!QByteArrayView(name).isValidUtf8())
        object.insert(QLatin1String(bytesKey), QString::fromLatin1(name.toBase64()));
}

} // namespace cli
