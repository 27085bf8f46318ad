#pragma once

// Reads everything an icon source offers, the way the viewer and zor-icons may, and says
// what came out wrong. The bad-input tests and the fuzzer share it.

#include <QByteArray>
#include <QString>

namespace zor::iconsource {

// The count, every group's entries, and for the first groups and the last: every stored
// image decoded, the icon at several sizes, the group rebuilt as an .ico and read back.
// Returns an empty string when all of it is sane.
QString readEverything(const QByteArray& bytes);

} // namespace zor::iconsource
