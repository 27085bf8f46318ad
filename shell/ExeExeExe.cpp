#include "shell/ExeExeExe.h"

#include "platform/Platform.h"
#include "platform/desktop/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zor {

void ShellOpen(const QString& file, int show, QWidget* parent)
{
    if (platform().shell->openDocument(file, show))
        return;
    Message m;
    m.text = QCoreApplication::translate("zor::ExeExeExe", "エラーが発生しました。");
    m.icon = MsgIcon::Critical;
    platform().messages->show(parent, m);
}

QString HelpFilePath()
{
    // Joined without looking for a trailing separator: the root folder gives "//zor.chm".
    const QString folder = platform().identity->programFolder();
    const QString beside = folder + QStringLiteral("/zor.chm");
    if (QFileInfo::exists(beside))
        return beside;
    // An install keeps it in share/zor beside bin/, wherever the prefix is.
    const QString installed[] = {
        QDir::cleanPath(folder + QStringLiteral("/../share/zor/zor.chm")),
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("zor/zor.chm")),
    };
    for (const QString& path : installed) {
        if (!path.isEmpty() && QFileInfo::exists(path))
            return path;
    }
    return beside;
}

} // namespace zor
