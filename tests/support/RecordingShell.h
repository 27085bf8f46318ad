#pragma once
// A shell that records what it was asked to open.
#include "platform/desktop/Shell.h"

#include <QFileInfo>
#include <optional>
#include <vector>

namespace zor {

class RecordingShell : public Shell {
public:
    struct Opened { QString path; int showCommand; };
    bool openDocument(const QString& path, int showCommand) override
    {
        documents.push_back({path, showCommand});
        return programs && answer.value_or(QFileInfo::exists(path));
    }
    bool hasProgramFor(const QString&) override { return programs; }
    void openUrl(const QString& address) override { urls.push_back(address); }
    void showProperties(const QString& path) override { properties.push_back(path); }
    void showItems(const QList<QByteArray>& paths, std::function<void(bool)> done) override
    {
        shownItems.push_back(paths);
        if (done)
            done(fileManager);
    }

    std::vector<Opened> documents;
    std::vector<QString> urls;
    std::vector<QString> properties;
    std::vector<QList<QByteArray>> shownItems;
    std::optional<bool> answer;   // unset: an existing path opens, a missing one is refused
    bool programs = true;         // whether the desktop has a program for every type
    bool fileManager = true;      // whether shown items are shown
};

} // namespace zor
