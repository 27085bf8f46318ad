#pragma once
// zor-icons's commands. Those that read only directories (count, list, search, export as
// .ico) run in zor-icons itself, which links Qt Core alone; those that draw pictures need
// Qt Gui and run in its private helper, zor-icons-pictures, to which zor-icons hands them.

#include "platform/iconsource/IconFile.h"

#include <QByteArray>
#include <QList>

#include <optional>
#include <utility>

namespace cli {

using zor::iconsource::IconFile;

// Files to write: name and bytes.
using Files = QList<std::pair<QByteArray, QByteArray>>;

// What only the helper can do.
class Pictures {
public:
    virtual ~Pictures() = default;
    // Icon k as N-32.png and N-16.png, each that decodes (with empty bytes when it could
    // not be encoded); none when neither decodes.
    virtual Files pngFiles(const IconFile& source, int k) = 0;
    // The thumbnail as PNG: nothing when the first icon cannot be decoded, empty bytes when
    // it could not be encoded.
    virtual std::optional<QByteArray> thumbnail(const IconFile& file, int size) = 0;
    virtual int create(int argc, char* argv[]) = 0;
    virtual int buildIcl(int argc, char* argv[]) = 0;
};

// Runs the command line; the picture commands through pictures, or, when it is null, by
// running the helper in our place. Returns the exit status.
int zorIcons(int argc, char* argv[], Pictures* pictures);

} // namespace cli
