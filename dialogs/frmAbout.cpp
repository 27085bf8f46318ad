#include "dialogs/frmAbout.h"

#include "app/Form1.h"
#include "platform/Platform.h"

namespace zor {

frmAbout::frmAbout(Form1* owner) : QDialog(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(500, 234);
}

void frmAbout::Open(Form1* owner)
{
    frmAbout dialog(owner);
    platform().dialogs->exec(dialog);
}

} // namespace zor
