#pragma once
// The program's own pictures (PNGs among its resources).
#include <QPixmap>
#include <QString>

namespace zor {

// Read as PNG outright: a reader left to guess would load every image plugin first to ask
// it, which costs a start-up more than the rest of the window.
QPixmap bundledPicture(const QString& resource);

} // namespace zor
