#pragma once
// The enlarged view of one icon of the main window's list.
#include <QDialog>

namespace zor {

class Form1;

class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(Form1* owner);
    // Shows the view modally for the main window's ClickedItem.
    static void Open(Form1* owner);

private:
    Form1* m_owner;
};

} // namespace zor
