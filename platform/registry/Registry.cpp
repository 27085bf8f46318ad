#include "platform/registry/Registry.h"

#include <QStringList>
#include <cstring>

namespace zor {

QByteArray Registry::stringData(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    bytes.append('\0');
    return bytes;
}

bool HiveStoreRegistry::isRoot(HKEY key)
{
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE;
}

QString HiveStoreRegistry::rootName(HKEY root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    default: return {};
    }
}

// Splits a sub-key into its parts; doubled or outer backslashes are ignored.
static QStringList keyParts(const QString& subKey)
{
    return subKey.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

bool HiveStoreRegistry::resolve(HKEY root, const QString& subKey, HKEY& base, QString& path,
                                QString& displayPath) const
{
    QString basePath;
    if (isRoot(root)) {
        base = root;
    } else {
        const auto it = m_handles.constFind(root);
        if (it == m_handles.constEnd())
            return false;
        base = it->root;
        basePath = it->path;
    }
    QStringList parts = keyParts(subKey);
    displayPath = parts.join(QLatin1Char('\\'));
    path = basePath;
    if (!parts.isEmpty())
        path = (basePath.isEmpty() ? QString() : basePath + QLatin1Char('\\')) + displayPath.toLower();
    return true;
}

void HiveStoreRegistry::refuse(HKEY root, const QString& subKey)
{
    m_refused.insert(rootName(root) + QLatin1Char('\\') + keyParts(subKey).join(QLatin1Char('\\')).toLower());
}

bool HiveStoreRegistry::refused(HKEY root, const QString& path) const
{
    const QString full = rootName(root) + QLatin1Char('\\') + path;
    for (const QString& r : m_refused) {
        if (full == r || full.startsWith(r + QLatin1Char('\\')))
            return true;
    }
    return false;
}

HKEY HiveStoreRegistry::newHandle(HKEY root, const QString& path, DWORD access)
{
    const HKEY h = m_next++;
    m_handles.insert(h, Handle{root, path, access});
    return h;
}

LONG HiveStoreRegistry::locate(HKEY root, const QString& subKey, HKEY* result, HKEY& base, QString& path,
                                QString& display) const
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    if (!resolve(root, subKey, base, path, display))
        return ERROR_INVALID_HANDLE;
    if (refused(base, path))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

LONG HiveStoreRegistry::RegOpenKeyEx(HKEY root, const QString& subKey, DWORD, DWORD access, HKEY* result)
{
    HKEY base;
    QString path, display;
    if (const LONG rc = locate(root, subKey, result, base, path, display); rc != ERROR_SUCCESS)
        return rc;
    if (!path.isEmpty()) {
        Hive hive;
        readHive(base, hive);
        if (!hive.keys.contains(path))
            return ERROR_FILE_NOT_FOUND;
    }
    *result = newHandle(base, path, access);
    return ERROR_SUCCESS;
}

LONG HiveStoreRegistry::RegCreateKeyEx(HKEY root, const QString& subKey, DWORD, DWORD, DWORD access, HKEY* result,
                                       DWORD* disposition)
{
    HKEY base;
    QString path, display;
    if (const LONG rc = locate(root, subKey, result, base, path, display); rc != ERROR_SUCCESS)
        return rc;
    bool created = false;
    if (!path.isEmpty()) {
        // The display names of new keys: the parent's own path, then the given parts.
        QString parentDisplay;
        if (!isRoot(root)) {
            Hive hive;
            readHive(base, hive);
            const QString parentPath = m_handles.value(root).path;
            parentDisplay = hive.keys.value(parentPath).name;
        }
        const QStringList lowerParts = path.split(QLatin1Char('\\'));
        const QStringList shownParts = (parentDisplay.isEmpty() ? display : parentDisplay + QLatin1Char('\\') + display)
                                           .split(QLatin1Char('\\'));
        const LONG rc = modifyHive(base, [&](Hive& hive, bool& changed) {
            QString lower, shown;
            for (int i = 0; i < lowerParts.size(); ++i) {
                lower += (i ? QStringLiteral("\\") : QString()) + lowerParts[i];
                shown += (i ? QStringLiteral("\\") : QString()) + shownParts.value(i, lowerParts[i]);
                if (!hive.keys.contains(lower)) {
                    hive.keys.insert(lower, RegistryKey{shown, {}});
                    changed = true;
                    created = true;
                }
            }
            return ERROR_SUCCESS;
        });
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = newHandle(base, path, access);
    return ERROR_SUCCESS;
}

LONG HiveStoreRegistry::RegQueryValueEx(HKEY key, const QString& valueName, DWORD*, DWORD* type, char* data,
                                        DWORD* size)
{
    const auto it = m_handles.constFind(key);
    if (it == m_handles.constEnd())
        return ERROR_INVALID_HANDLE;
    if (!(it->access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    Hive hive;
    readHive(it->root, hive);
    const auto k = hive.keys.constFind(it->path);
    if (k == hive.keys.constEnd()) {
        if (!it->path.isEmpty())
            return ERROR_FILE_NOT_FOUND;   // gone since it was opened
    }
    const RegistryKey empty;
    const RegistryKey& owner = k == hive.keys.constEnd() ? empty : *k;
    const auto v = owner.values.constFind(valueName.toLower());
    if (v == owner.values.constEnd())
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = v->type;
    const DWORD needed = DWORD(v->data.size());
    if (!size)
        return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    if (data && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed)
        std::memcpy(data, v->data.constData(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG HiveStoreRegistry::RegSetValueEx(HKEY key, const QString& valueName, DWORD, DWORD type, const char* data,
                                      DWORD size)
{
    const auto it = m_handles.constFind(key);
    if (it == m_handles.constEnd())
        return ERROR_INVALID_HANDLE;
    if (!(it->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (size && !data)
        return ERROR_INVALID_PARAMETER;
    const QString path = it->path;
    const QByteArray bytes(data, qsizetype(size));
    return modifyHive(it->root, [&](Hive& hive, bool& changed) {
        if (!hive.keys.contains(path)) {
            if (!path.isEmpty())
                return ERROR_FILE_NOT_FOUND;
            hive.keys.insert(path, RegistryKey{});
        }
        hive.keys[path].values.insert(valueName.toLower(), RegistryValue{valueName, type, bytes});
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG HiveStoreRegistry::RegCloseKey(HKEY key)
{
    if (isRoot(key))
        return ERROR_SUCCESS;
    return m_handles.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace zor
