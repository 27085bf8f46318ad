#pragma once
// The about dialog: version, build, the maker's links, system information.
#include "platform/registry/Registry.h"

#include <QDialog>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace zor {


// A system-information program found on this desktop, and how to start it.
struct SystemInfoProgram {
    QString program;
    QStringList arguments;
};

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner);
    static void Open(QWidget* owner);

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Command1_Click();             // the program's property sheet
    void Label3_Click(int index);      // opens the link's caption
    void StartSysInfo();

    // Reads root\keyName's valueName as text. False (and value emptied) when the key
    // cannot be opened with full access or the value cannot be read.
    static bool GetKeyValue(HKEY root, const QString& keyName, const QString& valueName, QString& value);

    // "Ver 2.32": the minor number always shows as its last two digits.
    static QString VersionText(int major, int minor);
    static QString BuildText(int revision);

    // Looks for a system-information program on the PATH, in the order hardinfo2,
    // hardinfo, kinfocenter, gnome-control-center (its "info-overview" page).
    static std::optional<SystemInfoProgram> FindSystemInfoProgram();
    // Used when the registry names no system-information program; replaceable in tests.
    std::function<std::optional<SystemInfoProgram>()> findSystemInfo = &FindSystemInfoProgram;

    static inline const QString NoSysInfo = QStringLiteral(QT_TRANSLATE_NOOP("zor::frmAbout", "現時点ではｼｽﾃﾑ情報を使用できません"));
    static inline const QString MailAddress = QStringLiteral("mailto:zor@example.org");
    static inline const QString WebAddress = QStringLiteral("https://zor.example.org/");

    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label2 = nullptr;
    std::array<QLabel*, 2> Label3{};
    QLabel* Label4 = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdOK = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* m_owner;
};

} // namespace zor
