#pragma once
// Where a top-level window stands and how large it is, in outer pixels (its frame included),
// as the settings store keeps them.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

class QWidget;

namespace zor::WindowPlacement {

// Wayland lets no program place its own windows.
bool canPlaceWindows();

// The window's outer rectangle, from the frame the window manager reports.
QRect outerGeometry(const QWidget& window);

// Puts the window at outerPos with the outer size outerSize (either may be absent), now and
// once more when it is first exposed: only then is the frame's size known. The title bar
// stays whole on the nearest screen, as a stored place can be off every screen after a
// monitor was unplugged.
void restore(QWidget& window, std::optional<QPoint> outerPos, std::optional<QSize> outerSize);

// Where a window whose outer rectangle is outer goes so that its title bar (titleHeight
// high) lies whole on the nearest screen.
QPoint keepTitleBarOnScreen(const QRect& outer, int titleHeight);

} // namespace zor::WindowPlacement
