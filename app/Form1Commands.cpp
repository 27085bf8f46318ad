// The main window's commands after the designed ones: getting icons out of the list,
// finding icons in a folder tree, and making icon files.
#include "app/Form1.h"

#include "app/frmSearch.h"
#include "dialogs/IconCommands.h"
#include "dialogs/frmCreate.h"
#include "platform/Platform.h"
#include "platform/iconsource/Opener.h"

#include <QComboBox>
#include <QDir>

namespace zor {

IconOfFile Form1::iconOfItem(int index) const
{
    IconOfFile icon;
    if (SourceKind == Kind::Folder) {
        // The path as the folder stores it: a name that is not UTF-8 is shown decoded.
        icon.path = m_itemPaths.at(size_t(index - 1));
        icon.inFolder = true;
    } else {
        // Read by the command that uses it: a file kept open could change under the list.
        icon.path = m_listedPath;
        icon.index = index - 1;
    }
    return icon;
}

std::vector<IconOfFile> Form1::chosenIcons(int current, int& at) const
{
    std::vector<IconOfFile> icons;
    at = -1;
    for (int i : ListView1->selectedItems()) {
        if (i == current)
            at = int(icons.size());
        icons.push_back(iconOfItem(i));
    }
    return icons;
}

void Form1::MFSaveIcon_Click()
{
    trap([&] {
        const int i = ListView1->selectedIndex();
        if (i <= 0)
            return;
        // One chosen is saved as a file, several into a folder.
        int at = -1;
        IconCommands::SaveIcons(this, chosenIcons(i, at));
    });
}

void Form1::MFCopy_Click()
{
    trap([&] {
        const int i = ListView1->selectedIndex();
        if (i <= 0)
            return;
        int at = -1;
        std::vector<IconOfFile> icons = chosenIcons(i, at);
        if (icons.size() > 1)
            IconCommands::Copy(this, std::move(icons), at);
        else
            IconCommands::Copy(this, iconOfItem(i));
    });
}

void Form1::MFInfo_Click()
{
    trap([&] {
        if (const int i = ListView1->selectedIndex(); i > 0)
            IconCommands::ShowInfo(this, iconOfItem(i));
    });
}

void Form1::MFSaveAll_Click()
{
    trap([&] {
        const int n = ListView1->itemCount();
        if (n == 0)
            return;
        std::vector<IconOfFile> icons;
        icons.reserve(size_t(n));
        for (int i = 1; i <= n; ++i)
            icons.push_back(iconOfItem(i));
        if (SourceKind == Kind::File) {   // one file, read once
            const auto file = IconExport::ReadIconFile(icons.front().path);
            for (IconOfFile& icon : icons)
                icon.file = file;
        }
        IconCommands::SaveAll(this, std::move(icons));
    });
}

void Form1::MFSearch_Click()
{
    trap([&] {
        // The folder of what is open: the folder itself, or the file's folder.
        const StoredPath open = pathBox().cleaned();
        StoredPath folder = StoredPath::fromText(QDir::homePath());
        if (const quint8 kind = iconsource::pathKind(open.bytes()); kind == 2)
            folder = open;
        else if (kind == 1)
            folder = open.folder();
        OpenSearch(folder, false);
    });
}

void Form1::OpenSearch(const StoredPath& folder, bool start)
{
    trap([&] {
        if (!m_search) {
            m_search = new frmSearch(this);
            m_search->setFolder(folder);
            m_search->SetLarge(MHL->isChecked());
            connect(m_search, &frmSearch::OpenIcon, this, &Form1::ShowFoundIcon);
        } else if (start && !m_search->running()) {
            m_search->setFolder(folder);
        }
        m_search->show();
        m_search->raise();
        m_search->activateWindow();
        if (start)
            m_search->cmdSearch_Click();
    });
}

frmSearch* Form1::searchWindow() const
{
    return m_search;
}

void Form1::MFCreate_Click()
{
    OpenCreate({});
}

void Form1::OpenCreate(const std::vector<StoredPath>& images)
{
    trap([&] {
        if (!m_create)
            m_create = new frmCreate(this);
        m_create->show();
        m_create->raise();
        m_create->activateWindow();
        m_create->AddFiles(images);
    });
}

frmCreate* Form1::createWindow() const
{
    return m_create;
}

void Form1::ShowFoundIcon(const StoredPath& path, int index)
{
    trap([&] {
        setPathBox(path);
        Text1_Click();
        if (SourceKind == Kind::File && index >= 0 && index < ListView1->itemCount()) {
            ListView1->selectItem(index + 1);
            ClickedItem = index + 1;
            ListView1->scrollTo(ListView1->currentIndex());
        }
        raise();
        activateWindow();
        ListView1->setFocus();
    });
}

} // namespace zor
