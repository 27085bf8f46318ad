#pragma once
// The registry layer: the only code that reads or writes the registry directly.
#include "platform/registry/Registry.h"

#include <QString>
#include <QStringList>

namespace zor {

// Sets "TileWallpaper" under HKEY_CURRENT_USER\Control Panel\Desktop, records the
// path as "Wallpaper" and shows the file on the desktop (tiled when tile is "1").
// Nothing happens when the key cannot be opened for writing.
void SetTileWallpaper(const QString& path, const QString& tile);

// The string stored under root\subKey, or empty text (also for values of 1024 bytes or more).
QString GetRegString(HKEY root, const QString& subKey, const QString& valueName);

// Creates root\subKey with its parents and writes value as REG_SZ. False when the
// key can be neither created nor opened. A caller that needs to know adds unwritten:
// the places that refused the key or the value are added to it.
bool SetRegString(HKEY root, const QString& subKey, const QString& valueName, const QString& value,
                  QStringList* unwritten = nullptr);

// Registers a file extension (without its dot) with a class, a verb with caption and
// command, optionally as the default verb and with a default icon. "NO" means none for
// icon, description and class name; description and className may be replaced by the
// names derived for them. Refused writes do not change the result; unwritten, when
// given, collects the places that refused them.
bool SetFileType(const QString& ext, const QString& caption, const QString& verb, const QString& command,
                 bool makeDefault, QString& icon, QString& description, QString& className,
                 QStringList* unwritten = nullptr);

// root\subKey opened for reading, or 0. The caller closes a non-zero handle.
HKEY OpenRegKey(HKEY root, const QString& subKey);

} // namespace zor
