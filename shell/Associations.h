#pragma once
// Registering the program for icon libraries, program libraries, icon files, Control
// Panel applets and folders: the registry entries, their reflection into the desktop's
// own databases, and the confirmation message.
#include <QString>

class QWidget;

namespace zor {

// The registration buttons, in the order of the options dialog's button array.
enum class AssociationButton { Icl = 0, Dll = 1, Ico = 2, Folder = 3, Cpl = 4 };
inline constexpr int AssociationButtonCount = 5;

// ".icl", ".dll", ".ico", "フォルダ", ".cpl" by index; empty outside 0-4.
QString AssociationCaption(int index);

// True when the text holds a blank (U+0020).
bool ContainsBlank(const QString& text);

// The command line the desktop starts: the program path, quoted when it holds a
// blank, then " %1".
QString RegistrationCommandLine();

// Command1_Click: writes the registration of the pressed button, reflects it into the
// desktop's databases and confirms it; when anything could not be written, a critical
// message names the files and folders instead. An index outside 0-4 does nothing.
void RegisterAssociation(int index, QWidget* parent);
inline void RegisterAssociation(AssociationButton button, QWidget* parent)
{
    RegisterAssociation(int(button), parent);
}

} // namespace zor
