#pragma once
#include <QString>

namespace zor {

inline constexpr int ControlPanelCommandCount = 12;

// The command line of row index, empty outside 0-11.
QString ControlPanelCommand(int index);

// Starts the command line of row index with the window style. Returns the started
// process's id, or 0 when the index is outside 0-11 or starting fails.
double LaunchControlPanel(int index, int& style);

} // namespace zor
