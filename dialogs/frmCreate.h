#pragma once
// "アイコンを作成": an .ico file made from pictures, every size it will hold shown before
// it is saved.
#include "platform/iconsource/IcoWriter.h"
#include "platform/iconsource/StoredPath.h"

#include <QWidget>
#include <map>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QMimeData;
class QPushButton;
class QRadioButton;

namespace zor {

class frmCreate : public QWidget {
    Q_OBJECT
public:
    explicit frmCreate(QWidget* parent = nullptr);

    // Adds the pictures of files: an image file's picture, or every image of the first
    // group of an icon file or program. A file that gives none is named in a message.
    void AddFiles(const std::vector<StoredPath>& paths);
    void AddPicture(const iconsource::IconPicture& picture, const QString& name);
    void cmdAdd_Click();
    void cmdRemove_Click();
    void Paste();
    void cmdSave_Click();

    // What Save writes, as it is shown.
    const std::vector<iconsource::PreparedImage>& prepared() const { return m_prepared; }
    iconsource::IcoOptions options() const;

    QListWidget* lstImages = nullptr;
    std::map<int, QCheckBox*> chkSize;
    QRadioButton* opt32 = nullptr;
    QRadioButton* opt8 = nullptr;
    QRadioButton* opt4 = nullptr;
    QCheckBox* chkPng = nullptr;
    QWidget* picPreview = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdPaste = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void addData(const QMimeData* data);
    void refresh();   // the images made again from the pictures and options
    void cannotUse(const QString& file, const QString& why);

    struct Source {
        iconsource::IconPicture picture;
        QString name;
    };
    std::vector<Source> m_sources;
    std::vector<iconsource::PreparedImage> m_prepared;
    StoredPath m_firstFile;   // where the save dialog starts, and the name it proposes
};

} // namespace zor
