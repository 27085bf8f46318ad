#include "platform/ToolBar.h"

#include <QToolBar>

namespace zor {

QToolBar* makeFlatToolBar(QWidget* parent, const QString& name)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setStyleSheet(QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 0px; }"));
    return bar;
}

} // namespace zor
