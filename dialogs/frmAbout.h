#pragma once
// The about dialog: version, build, the maker's links, system information.
#include <QDialog>

namespace zor {

class Form1;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(Form1* owner);
    static void Open(Form1* owner);

private:
    Form1* m_owner;
};

} // namespace zor
