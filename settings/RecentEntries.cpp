#include "settings/RecentEntries.h"

#include "settings/ClsZOR.h"

#include "platform/Platform.h"

namespace zor::RecentEntries {

StoredPath entry(int slot)
{
    return StoredPath::fromStoredText(ClsZOR().GetRFile(qint16(slot)));
}

std::array<StoredPath, 8> all()
{
    std::array<StoredPath, 8> out;
    for (int i = 0; i < 8; ++i)
        out[size_t(i)] = entry(i);
    return out;
}

void record(const StoredPath& path)
{
    // One read-rotate-write: instances opening files at once each land their path.
    platform().settings->exclusive(StoreApp, [&] {
        const QString text = path.storedText();
        ClsZOR z;
        for (int i = 0; i <= 3; ++i)
            if (z.GetRFile(qint16(i)) == text)
                return;
        z.SetRFile(3, z.GetRFile(2));
        z.SetRFile(2, z.GetRFile(1));
        z.SetRFile(1, z.GetRFile(0));
        z.SetRFile(0, text);
    });
}

} // namespace zor::RecentEntries
