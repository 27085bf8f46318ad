#include "settings/ZorSettings.h"

#include "settings/ClsZOR.h"

#include "platform/Platform.h"

namespace zor::ZorSettings {

StoredPath SaveFolder()
{
    return StoredPath::fromStoredText(platform().settings->read(StoreApp, Section, QStringLiteral("SaveFolder"), {}));
}

void SaveFolder(const StoredPath& folder)
{
    platform().settings->setValue(StoreApp, Section, QStringLiteral("SaveFolder"), folder.storedText());
}

} // namespace zor::ZorSettings
