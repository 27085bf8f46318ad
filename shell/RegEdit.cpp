#include "shell/RegEdit.h"

#include "platform/Platform.h"
#include "platform/desktop/Desktop.h"

#include <QByteArray>

namespace zor {

namespace {
const QString DesktopKey = QStringLiteral("Control Panel\\Desktop");
constexpr DWORD StringBufferBytes = 1024;

LONG writeString(HKEY key, const QString& name, const QString& value)
{
    const QByteArray data = Registry::stringData(value);
    return platform().registry->RegSetValueEx(key, name, 0, REG_SZ, data.constData(), DWORD(data.size()));
}

void noteRefusal(QStringList* unwritten, HKEY root)
{
    if (!unwritten)
        return;
    const QString place = platform().registry->location(root);
    if (!unwritten->contains(place))
        *unwritten << place;
}
} // namespace

void SetTileWallpaper(const QString& path, const QString& tile)
{
    Registry& reg = *platform().registry;
    // Nothing creates this key on a fresh Linux account, so the first wallpaper makes it;
    // a key that exists but refuses writing still stops everything.
    HKEY key = 0;
    LONG rc = reg.RegOpenKeyEx(HKEY_CURRENT_USER, DesktopKey, 0, KEY_SET_VALUE, &key);
    if (rc == ERROR_FILE_NOT_FOUND)
        rc = reg.RegCreateKeyEx(HKEY_CURRENT_USER, DesktopKey, 0, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, &key,
                                nullptr);
    if (rc != ERROR_SUCCESS)
        return;
    writeString(key, QStringLiteral("TileWallpaper"), tile);
    writeString(key, QStringLiteral("Wallpaper"), path);
    reg.RegCloseKey(key);
    platform().desktop->applyWallpaper(path, tile == QLatin1String("1"));
}

HKEY OpenRegKey(HKEY root, const QString& subKey)
{
    HKEY key = 0;
    if (platform().registry->RegOpenKeyEx(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    return key;
}

QString GetRegString(HKEY root, const QString& subKey, const QString& valueName)
{
    QByteArray buffer(StringBufferBytes, ' ');
    DWORD size = StringBufferBytes;
    DWORD type = 0;
    const HKEY key = OpenRegKey(root, subKey);
    if (key != 0) {
        platform().registry->RegQueryValueEx(key, valueName, nullptr, &type, buffer.data(), &size);
        platform().registry->RegCloseKey(key);
    }
    // Only the bytes before the first NUL count; no NUL at all means nothing was read.
    const qsizetype nul = buffer.indexOf('\0');
    if (nul < 0)
        return {};
    return QString::fromUtf8(buffer.constData(), nul);
}

bool SetRegString(HKEY root, const QString& subKey, const QString& valueName, const QString& value,
                  QStringList* unwritten)
{
    HKEY key = 0;
    if (platform().registry->RegCreateKeyEx(root, subKey, 0, REG_OPTION_NON_VOLATILE, KEY_WRITE, &key, nullptr)
        != ERROR_SUCCESS) {
        noteRefusal(unwritten, root);
        return false;
    }
    // A refused value still counts as written for the result.
    if (writeString(key, valueName, value) != ERROR_SUCCESS)
        noteRefusal(unwritten, root);
    platform().registry->RegCloseKey(key);
    return true;
}

bool SetFileType(const QString& ext, const QString& caption, const QString& verb, const QString& command,
                 bool makeDefault, QString& icon, QString& description, QString& className, QStringList* unwritten)
{
    try {
        if (description == QLatin1String("NO"))
            description = ext + QStringLiteral("ﾌｧｲﾙ");
        if (className == QLatin1String("NO"))
            className = ext + QStringLiteral("file");
        QString cls = GetRegString(HKEY_CLASSES_ROOT, QLatin1Char('.') + ext, QString());
        if (cls.isEmpty() || cls == QLatin1String("False")) {
            SetRegString(HKEY_CLASSES_ROOT, QLatin1Char('.') + ext, QString(), className, unwritten);
            SetRegString(HKEY_CLASSES_ROOT, className, QString(), description, unwritten);
            cls = className;
        }
        if (makeDefault)
            SetRegString(HKEY_CLASSES_ROOT, cls + QStringLiteral("\\shell"), QString(), verb, unwritten);
        SetRegString(HKEY_CLASSES_ROOT, cls + QStringLiteral("\\shell\\") + verb, QString(), caption, unwritten);
        SetRegString(HKEY_CLASSES_ROOT, cls + QStringLiteral("\\shell\\") + verb + QStringLiteral("\\command"),
                     QString(), command, unwritten);
        if (icon != QLatin1String("NO"))
            SetRegString(HKEY_CLASSES_ROOT, cls + QStringLiteral("\\defaulticon"), QString(), icon, unwritten);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace zor
