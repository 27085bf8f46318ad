#pragma once
// What zor-icons prints, in Qt's types: the same as Listing.h's.

#include "Listing.h"
#include "platform/iconsource/Opener.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace cli {

using zor::iconsource::kMinOutputBytes;
using zor::iconsource::kOutputBlock;
using zor::iconsource::kOutputPerInputByte;
using zor::iconsource::outputLimit;

using plain::kFileFailed;
using plain::kSuccess;
using plain::kUsageError;

// "the output limit of N bytes (16 times the file's size, at least 16 MiB)"
QByteArray outputLimitText(qint64 limit);

// Writes to standard output; false once anything could not be written.
bool put(QByteArrayView text);
bool putLine(QByteArrayView text);
// Flushes standard output: code when all of it was written, else "write error" and 1.
int finish(int code);
// "zor-icons: MESSAGE" on standard error. Paths in it are bytes, as the user gave them.
void report(const QByteArray& message);
void report(const QString& message);
// The system's text for an errno.
QByteArray reason(int error);
// A stored name for JSON: the name as text, and where that text is not the name itself
// (not UTF-8) the exact bytes in base64 under bytesKey.
void addName(QJsonObject& object, const char* key, const char* bytesKey, const QByteArray& name);

} // namespace cli
