#pragma once
#include <QString>

class QWidget;

namespace zor {

inline constexpr int SW_RESTORE = 9;

// Opens the file with its registered program; "エラーが発生しました。" when refused.
void ShellOpen(const QString& file, int show, QWidget* parent = nullptr);

// The help file: ProgramFolder + "/zor.chm", or where an install put it (share/zor/)
// when the program's folder has none.
QString HelpFilePath();

} // namespace zor
