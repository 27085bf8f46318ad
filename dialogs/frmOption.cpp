#include "dialogs/frmOption.h"

#include "app/Form1.h"
#include "platform/Platform.h"

#include <QPushButton>
#include <QTabWidget>

namespace zor {

frmOption::frmOption(Form1* owner) : QDialog(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    setFixedSize(468, 389);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(4, 68, 457, 289);
    for (const char* caption : {"オプション", "関連づけ", "便利な機能"})
        SSTab1->addTab(new QWidget(SSTab1), QString::fromUtf8(caption));

    Command2 = new QPushButton(QStringLiteral("OK"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(260, 360, 97, 25);
    Command3 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(364, 360, 97, 25);
    for (QPushButton* b : {Command2, Command3}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

void frmOption::Open(Form1* owner, int tab)
{
    frmOption dialog(owner);
    dialog.Form_Load();
    dialog.SSTab1->setCurrentIndex(tab);
    platform().dialogs->exec(dialog);
}

void frmOption::Form_Load()
{
    trap([&] {
        setWindowTitle(ProgramTitle);
        if (m_owner)
            setWindowIcon(m_owner->windowIcon());
    });
}

void frmOption::Command2_Click()
{
    trap([&] { accept(); });
}

void frmOption::Command3_Click()
{
    trap([&] { reject(); });
}

} // namespace zor
