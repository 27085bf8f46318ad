#include "shell/ControlPanel.h"

#include "platform/Platform.h"

#include <QProcess>

namespace zor {

namespace {
const char* const Commands[ControlPanelCommandCount] = {
    "control.exe",
    "rundll32.exe C:\\WINDOWS\\SYSTEM\\SHELL32.DLL,Options_RunDLL 0",
    "control.exe desk.cpl",
    "rundll32.exe C:\\WINDOWS\\SYSTEM\\SHELL32.DLL,Options_RunDLL 1",
    "control.exe INETCPL.CPL",
    "control.exe MMSYS.CPL",
    "control.exe MODEM.CPL",
    "control.exe APPWIZ.CPL",
    "control.exe MAIN.CPL",
    "control.exe NETCPL.CPL",
    "control.exe SYSDM.CPL",
    "control.exe THEMES.CPL",
};
} // namespace

QString ControlPanelCommand(int index)
{
    if (index < 0 || index >= ControlPanelCommandCount)
        return {};
    return QString::fromLatin1(Commands[index]);
}

double LaunchControlPanel(int index, int& style)
{
    Q_UNUSED(style);   // the desktop places the window itself
    const QString command = ControlPanelCommand(index);
    if (command.isEmpty())
        return 0;
    try {
        QStringList parts = QProcess::splitCommand(command);
        if (parts.isEmpty())
            return 0;
        const QString program = parts.takeFirst();
        return double(platform().starter->start(program, parts));
    } catch (...) {
        return 0;
    }
}

} // namespace zor
