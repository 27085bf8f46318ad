#pragma once
// What zor-icons prints. Standard output is checked: a command whose output could not be
// written (a full disk, a closed pipe) fails, saying so, instead of reporting success.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace cli {

constexpr int kSuccess = 0;
constexpr int kFileFailed = 1;
constexpr int kUsageError = 2;

// What one input file may make a command write, listed or exported: this many times its size,
// and at least kMinOutputBytes. Real files come nowhere near it; a small file whose groups all
// repeat one large group would otherwise fill a disk. Files written count by the blocks of
// kOutputBlock bytes they take on a disk, so that many small ones cost what they are.
constexpr qint64 kOutputPerInputByte = 16;
constexpr qint64 kMinOutputBytes = qint64(16) << 20;
constexpr qint64 kOutputBlock = 4096;
qint64 outputLimit(qint64 inputBytes);
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
