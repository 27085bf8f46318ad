#include "shell/ExeExeExe.h"

#include "platform/Platform.h"
#include "platform/desktop/Shell.h"

namespace zor {

void ShellOpen(const QString& file, int show, QWidget* parent)
{
    if (platform().shell->openDocument(file, show))
        return;
    Message m;
    m.text = QStringLiteral("エラーが発生しました。");
    m.icon = MsgIcon::Critical;
    platform().messages->show(parent, m);
}

QString HelpFilePath()
{
    // Joined without looking for a trailing separator: the root folder gives "//zor.chm".
    return platform().identity->programFolder() + QStringLiteral("/zor.chm");
}

} // namespace zor
