#pragma once
#include <QString>

namespace zor {

// Opens a web or "mailto:" address with the desktop's program; nothing is reported.
void OpenURL(const QString& address);

} // namespace zor
