#pragma once
// Files written whole or not at all: the bytes go to a temporary file beside the target,
// which is renamed over it at the end. Every program file zor writes goes through here.

#include <QByteArray>
#include <QByteArrayView>

namespace zor {

// Writes bytes to path (as stored). 0 when done, else the errno of what failed; then
// nothing is left behind and an existing file is as it was.
int writeWhole(const QByteArray& path, QByteArrayView bytes);

// Makes the folder and the folders above it that are missing; 0, or the errno of what failed.
int makeFolders(const QByteArray& path);

} // namespace zor
