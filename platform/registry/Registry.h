#pragma once
// The registry as the program sees it: keys under three roots, each holding named
// values of raw bytes and a type, reached through open handles. The operations keep
// the shape of the advapi32 calls the program was written against, result codes included.
#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>

namespace zor {

using HKEY = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

inline constexpr DWORD KEY_QUERY_VALUE = 0x1;
inline constexpr DWORD KEY_SET_VALUE = 0x2;
inline constexpr DWORD KEY_CREATE_SUB_KEY = 0x4;
inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_WRITE = 0x20006;
inline constexpr DWORD KEY_ALL_ACCESS = 0x2003F;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_DWORD = 4;

inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_WRITE_FAULT = 29;
inline constexpr LONG ERROR_LOCK_VIOLATION = 33;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;

class Registry {
public:
    virtual ~Registry() = default;

    // Opens root\subKey (root: a predefined root or an open handle). An empty subKey
    // opens root itself.
    virtual LONG RegOpenKeyEx(HKEY root, const QString& subKey, DWORD options, DWORD access, HKEY* result) = 0;
    // Opens root\subKey, creating it and every missing parent.
    virtual LONG RegCreateKeyEx(HKEY root, const QString& subKey, DWORD reserved, DWORD options, DWORD access,
                                HKEY* result, DWORD* disposition) = 0;
    // Copies the value's bytes into data when *size is large enough (ERROR_MORE_DATA
    // otherwise, data untouched); *size becomes the value's length. data may be null
    // to ask for the length only. An empty name is the default value.
    virtual LONG RegQueryValueEx(HKEY key, const QString& valueName, DWORD* reserved, DWORD* type, char* data,
                                 DWORD* size) = 0;
    virtual LONG RegSetValueEx(HKEY key, const QString& valueName, DWORD reserved, DWORD type, const char* data,
                               DWORD size) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;

    // Where the root's keys are kept, for telling the user what could not be written.
    virtual QString location(HKEY root) const = 0;

    // REG_SZ data: the text in the program's code page (UTF-8 here) and one NUL.
    static QByteArray stringData(const QString& text);
};

// One root's keys: lower-cased full path -> key. Parents always exist for every key.
struct RegistryValue {
    QString name;
    DWORD type = REG_NONE;
    QByteArray data;
};
struct RegistryKey {
    QString name;                              // full path as first created
    QMap<QString, RegistryValue> values;       // lower-cased value name -> value
};
struct Hive {
    QMap<QString, RegistryKey> keys;
};

// The handle bookkeeping and key logic shared by the in-memory and file-backed
// registries; they differ only in where a root's hive lives.
class HiveStoreRegistry : public Registry {
public:
    LONG RegOpenKeyEx(HKEY root, const QString& subKey, DWORD options, DWORD access, HKEY* result) override;
    LONG RegCreateKeyEx(HKEY root, const QString& subKey, DWORD reserved, DWORD options, DWORD access, HKEY* result,
                        DWORD* disposition) override;
    LONG RegQueryValueEx(HKEY key, const QString& valueName, DWORD* reserved, DWORD* type, char* data,
                         DWORD* size) override;
    LONG RegSetValueEx(HKEY key, const QString& valueName, DWORD reserved, DWORD type, const char* data,
                       DWORD size) override;
    LONG RegCloseKey(HKEY key) override;
    QString location(HKEY root) const override { return rootName(root); }

    // Opening or creating this key (or one beneath it) is refused with
    // ERROR_ACCESS_DENIED, as a key protected by the administrator would be.
    void refuse(HKEY root, const QString& subKey);
    int openHandles() const { return int(m_handles.size()); }

    static bool isRoot(HKEY key);
    static QString rootName(HKEY root);

protected:
    // Reads the root's hive. Returns false when the hive cannot be read at all.
    virtual bool readHive(HKEY root, Hive& hive) = 0;
    // Applies change to the current hive of root and stores the result when change
    // returns true. Returns the first failing result code, or what change returned.
    virtual LONG modifyHive(HKEY root, const std::function<LONG(Hive&, bool& changed)>& change) = 0;

private:
    struct Handle {
        HKEY root;
        QString path;   // lower-cased, "" for the root itself
        DWORD access;
    };
    bool resolve(HKEY root, const QString& subKey, HKEY& base, QString& path, QString& displayPath) const;
    bool refused(HKEY root, const QString& path) const;
    // The checks an open and a create share: a place for the handle, a known root, no refusal.
    LONG locate(HKEY root, const QString& subKey, HKEY* result, HKEY& base, QString& path, QString& display) const;
    HKEY newHandle(HKEY root, const QString& path, DWORD access);

    QHash<HKEY, Handle> m_handles;
    QSet<QString> m_refused;   // "<root>\<lower-cased path>"
    HKEY m_next = 0x1000;
};

} // namespace zor
