#pragma once
#include "platform/desktop/Shell.h"

namespace zor {

class RealShell : public Shell {
public:
    bool openDocument(const QString& path, int showCommand) override;
    bool hasProgramFor(const QString& path) override;
    void openUrl(const QString& address) override;
    void showProperties(const QString& path) override;
    void showItems(const QList<QByteArray>& paths, std::function<void(bool shown)> done) override;
};

} // namespace zor
