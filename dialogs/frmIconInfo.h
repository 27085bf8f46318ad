#pragma once
// "アイコンの情報": every image of one icon group at its own size, with its size, colour
// depth, format and bytes; where the group comes from; copying one image, saving it as
// PNG, BMP or an .ico file of its own.
#include "icons/IconExport.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace zor {

class frmIconInfo : public QDialog {
    Q_OBJECT
public:
    frmIconInfo(QWidget* owner, IconOfFile icon);
    static void Open(QWidget* owner, IconOfFile icon);

    void cmdSave_Click();
    void MICopy_Click();

    // The stored image an item of Images shows (0-based, as the group stores them).
    const std::vector<iconsource::GroupEntry>& entries() const { return m_entries; }

    QLineEdit* txtPath = nullptr;
    QLabel* lblIcon = nullptr;
    QLabel* lblResource = nullptr;   // programs and libraries only
    QLabel* lblLanguage = nullptr;   // where the file keeps one
    QListWidget* Images = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    QMenu* popImage = nullptr;   // the images' context menu
    QAction* MICopy = nullptr;   // also Ctrl+C
    QAction* MISave = nullptr;

private:
    IconOfFile m_icon;
    std::vector<iconsource::GroupEntry> m_entries;
};

} // namespace zor
