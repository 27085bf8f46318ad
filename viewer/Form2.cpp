#include "viewer/Form2.h"

#include "app/Form1.h"
#include "platform/Platform.h"

namespace zor {

Form2::Form2(Form1* owner) : QDialog(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("QEL TORMELIA VIEWER 拡大表示"));
}

void Form2::Open(Form1* owner)
{
    Form2 view(owner);
    platform().dialogs->exec(view);
}

} // namespace zor
