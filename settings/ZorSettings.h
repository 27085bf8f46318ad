#pragma once
// What zor itself remembers beyond the viewer's settings, in a section of its own of the same
// store, so the family's section keeps only the keys the other tools know.
#include "platform/iconsource/StoredPath.h"

#include <QString>

namespace zor::ZorSettings {

inline const QString Section = QStringLiteral("zor");

// "SaveFolder": the folder last saved into, as its stored text (see StoredPath::storedText);
// empty when nothing was saved yet.
StoredPath SaveFolder();
void SaveFolder(const StoredPath& folder);

} // namespace zor::ZorSettings
