#pragma once
#include <QString>

class QWidget;

namespace zor {

inline constexpr int SW_RESTORE = 9;

// Opens the file with its registered program; "エラーが発生しました。" when refused.
void ShellOpen(const QString& file, int show, QWidget* parent = nullptr);

// The help file: ProgramFolder + "/zor.chm".
QString HelpFilePath();

} // namespace zor
