#pragma once
// A toolbar as the windows were designed with: fixed in place, flat, 16 x 16 glyphs,
// no margins, so that buttons sit at their designed pixel positions.
#include <QString>

class QToolBar;
class QWidget;

namespace zor {

QToolBar* makeFlatToolBar(QWidget* parent, const QString& name);

} // namespace zor
