#include "shell/URLexe.h"

#include "platform/Platform.h"
#include "platform/desktop/Shell.h"

namespace zor {

void OpenURL(const QString& address)
{
    trap([&] { platform().shell->openUrl(address); });
}

} // namespace zor
