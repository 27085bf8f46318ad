#pragma once
// The reader's view of a file, opened as every route opens it; no icons when it cannot be.

#include "platform/iconsource/Opener.h"

#include <QFile>

inline zor::iconsource::IconFile openFile(const QString& path)
{
    auto file = zor::iconsource::openIconFile(QFile::encodeName(path));
    return file ? *file : zor::iconsource::IconFile::fromData({});
}
inline int countIcons(const QString& path) { return openFile(path).count(); }
