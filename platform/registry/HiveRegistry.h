#pragma once
// The registry kept in files: one hive per root under $XDG_CONFIG_HOME/QEL/registry/.
// Every operation reads the file afresh; a change is made under a lock file on the
// latest contents and written atomically, so several instances writing different
// keys at once lose nothing. A damaged hive reads as empty and is set aside under
// a new name before anything is written over it.
#include "platform/registry/Registry.h"

namespace zor {

class HiveRegistry : public HiveStoreRegistry {
public:
    // folder: where the hive files live; empty means $XDG_CONFIG_HOME/QEL/registry,
    // looked up at each call.
    explicit HiveRegistry(QString folder = {});
    QString folder() const;
    QString fileOf(HKEY root) const;
    QString location(HKEY root) const override { return fileOf(root); }

    // The hive file's contents, and back. parseHive returns false for a damaged file.
    static QByteArray serialise(const Hive& hive);
    static bool parseHive(const QByteArray& bytes, Hive& hive);

protected:
    bool readHive(HKEY root, Hive& hive) override;
    LONG modifyHive(HKEY root, const std::function<LONG(Hive&, bool&)>& change) override;

private:
    enum class ReadResult { Ok, Missing, Unreadable, Damaged };
    ReadResult load(const QString& file, Hive& hive) const;
    void setAside(const QString& file) const;
    QString m_folder;
};

} // namespace zor
