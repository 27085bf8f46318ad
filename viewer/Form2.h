#pragma once
// The enlarged view: one icon of the main window's list magnified, its location
// text, stepping through the list and switching between its 32 x 32 and 16 x 16 image.
#include <QDialog>
#include <QImage>
#include <array>
#include <functional>

class QLineEdit;
class QToolBar;
class QToolButton;

namespace zor {

class EnlargedViewSource;
class PictureBox;

class Form2 : public QDialog {
    Q_OBJECT
public:
    Form2(QWidget* owner, const EnlargedViewSource& source);
    // Shows the view modally over owner for the source's clicked item.
    static void Open(QWidget* owner, const EnlargedViewSource& source);
    // Called with the view once it is on screen (for `zor --screenshot`); normally empty.
    static std::function<void(Form2&)> screenshotHook;

    void Form_Load();
    void Toolbar1_ButtonClick(int index);
    void Toolbar2_ButtonClick(int index);

    const EnlargedViewSource& source() const { return m_source; }
    // Toolbar1's buttons 2, 3, 5 and 6; the separators 1, 4 and 7 give nullptr.
    QToolButton* button(int index) const;
    QToolButton* toolbar2Button(int index) const { return index == 1 ? m_ok : nullptr; }
    // Empties the source buffer to the window-background colour.
    void clearSource();

    QToolBar* Toolbar1 = nullptr;
    QLineEdit* Text1 = nullptr;
    PictureBox* Picture1 = nullptr;
    QImage Picture2;               // source buffer: the unscaled image at its top-left
    QWidget* Toolbar2 = nullptr;

    int ClickedItem = 0;           // the main list's item the view was opened for
    qint32 NowInd = 0;             // 1-based index of the icon shown
    QString SourcePath;            // the open source, taken anew on every opening

    // The client area's designed size in pixels (5895 x 6810 twips).
    static constexpr QSize ClientSize{393, 454};

private:
    void buildToolbars();

    QWidget* m_owner;
    const EnlargedViewSource& m_source;
    std::array<QToolButton*, 8> m_buttons{};
    QToolButton* m_ok = nullptr;
};

} // namespace zor
