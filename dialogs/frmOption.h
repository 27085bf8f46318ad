#pragma once
// The options dialog: start-up switches, toolbar colours and favourites; associations;
// shortcuts to system settings.
#include <QDialog>

class QPushButton;
class QTabWidget;

namespace zor {

class Form1;

class frmOption : public QDialog {
    Q_OBJECT
public:
    explicit frmOption(Form1* owner);

    // Selects the tab (loading the dialog first) and shows it modally.
    static void Open(Form1* owner, int tab);

    void Form_Load();
    void Command2_Click();   // OK
    void Command3_Click();   // キャンセル

    QTabWidget* SSTab1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

private:
    Form1* m_owner;
};

} // namespace zor
