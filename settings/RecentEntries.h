#pragma once
// The eight stored entries as paths: slots 0-3 the recently opened, newest first, 4-7 the
// favourites. A path is stored as its text; one that is not UTF-8 as its file URL, so that
// it comes back byte for byte.
#include "platform/iconsource/StoredPath.h"

#include <array>

namespace zor::RecentEntries {

StoredPath entry(int slot);
std::array<StoredPath, 8> all();

// After a successful open: compared with slots 0 to 3, exactly and case-sensitively (names
// on Linux may hold "*", "?" and "["); a new path is rotated in as slot 0 and slot 3 falls
// out; one already there keeps its place.
void record(const StoredPath& path);

} // namespace zor::RecentEntries
