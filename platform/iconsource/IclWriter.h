#pragma once

// Makes icon libraries (.icl): 16-bit NE resource-only libraries holding icon groups as
// RT_GROUP_ICON resources, their images as RT_ICON resources.

#include <QByteArray>
#include <QString>

#include <vector>

namespace zor::iconsource {

struct IclGroup {
    QByteArray ico;    // the group's images, as an .ico file
    QByteArray name;   // the resource name to give it: "#12" a number, else a string; empty: the next number
};

// The library's bytes, groups in the order given. A group without a name, or whose name is
// taken, not plain ASCII or longer than 255 bytes, is numbered: the lowest number from 1 no
// group has. Empty, with why set, when a group is not an icon file or the groups are more
// than the format holds (about 5,400 groups and images together: the resource table must lie
// within the 64 KB the NE header addresses; ids have 15 bits; offsets 16 bits of up to
// 1 MB units).
QByteArray writeIcl(const std::vector<IclGroup>& groups, const QByteArray& moduleName, QString* why = nullptr);

// A module name made from a file name: its base name in upper case, of letters, digits and
// '_' only ("ICONS" when none is left).
QByteArray moduleNameFor(const QByteArray& fileName);

} // namespace zor::iconsource
