#pragma once
// The options dialog: start-up switches, toolbar colours and favourites; associations;
// shortcuts to system settings.
#include <QDialog>
#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace zor {


class frmOption : public QDialog {
    Q_OBJECT
public:
    explicit frmOption(QWidget* owner);

    // Selects the tab (loading the dialog first) and shows it modally; onColor hears
    // the toolbar scheme chosen with OK.
    static void Open(QWidget* owner, int tab, const std::function<void(int)>& onColor = {});

    void Form_Load();
    void Option1_Click(int index);
    void Command1_Click(int index);       // associations
    void Command1_MouseMove(int index);   // shows the button's description
    void Command4_Click(int index);       // system settings pages
    void Command6_Click(int index);       // browse for favourite index
    void Text2_Clear(int index);          // empties favourite row index (Delete, Backspace, "クリア")
    void Text2_ContextMenu(int index, const QPoint& pos);
    void Command2_Click();                // OK
    void Command3_Click();                // キャンセル

    // The colour code of each Option1 index, and the index showing a code (-1: none).
    static int ColorCodeOf(int index);
    static int OptionIndexOf(int code);
    // The description of association button index, lines joined with "\n".
    static QString AssociationDescription(int index);
    // The launcher row of Command4 index.
    static int LauncherCodeOf(int index);

    static const QString Label1Text;
    // The line the banner shows under the program's title.
    static const QString BannerText;
    QLabel* lblBanner = nullptr;

    QTabWidget* SSTab1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

    // Tab 0.
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    std::array<QCheckBox*, 3> Check1{};
    std::array<QToolButton*, 6> Option1{};
    std::array<QLineEdit*, 4> Text2{};
    std::array<QPushButton*, 4> Command6{};
    // Tab 1.
    QLabel* Label1 = nullptr;
    std::array<QPushButton*, 5> Command1{};
    QPlainTextEdit* Text1 = nullptr;
    // Tab 2.
    std::array<QPushButton*, 4> Command4{};

    qint16 SelectedToolBarColor = 0;

Q_SIGNALS:
    // OK gives the main window's toolbar the chosen hover scheme at once.
    void toolBarColorChosen(int code);

public:
    // The page of tab index, on which its controls lie at tab-control coordinates.
    QWidget* page(int index) const { return m_pages[size_t(index)]; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildOptionsTab(QWidget* page);
    void buildAssociationsTab(QWidget* page);
    void buildShortcutsTab(QWidget* page);

    QWidget* m_owner;
    QButtonGroup* m_colours = nullptr;
    std::array<QWidget*, 3> m_pages{};
};

} // namespace zor
