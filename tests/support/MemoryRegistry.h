#pragma once
// A registry held in memory, for tests.
#include "platform/registry/Registry.h"

namespace zor {

class MemoryRegistry : public HiveStoreRegistry {
public:
    QMap<HKEY, Hive> hives;

protected:
    bool readHive(HKEY root, Hive& hive) override
    {
        hive = hives.value(root);
        return true;
    }
    LONG modifyHive(HKEY root, const std::function<LONG(Hive&, bool&)>& change) override
    {
        bool changed = false;
        return change(hives[root], changed);
    }
};

} // namespace zor
