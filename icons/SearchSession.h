#pragma once
// One search of a folder tree for icons, as a window runs it: the engine on a thread of its
// own, what it finds handed over in batches by queued signals. A window that cannot keep up
// holds the search back instead of piling up memory.
#include "platform/iconsource/IconSearch.h"

#include <QObject>
#include <QSemaphore>

#include <memory>
#include <vector>

class QThread;

namespace zor {

using FoundFiles = std::vector<iconsource::FoundFile>;

class SearchSession : public QObject {
    Q_OBJECT
public:
    explicit SearchSession(QObject* parent = nullptr);
    ~SearchSession() override;

    // Starts a search; false when one runs already.
    bool start(const iconsource::SearchOptions& options);
    // Stops at once: what was found up to now has been handed over when this returns.
    void stop();
    bool running() const { return m_thread != nullptr; }
    iconsource::SearchProgress progress() const;

Q_SIGNALS:
    void found(const zor::FoundFiles& files);
    void progressed(const zor::iconsource::SearchProgress& progress);
    // rootListed is false when the folder itself could not be read.
    void finished(bool rootListed);

    // From the search's thread to this object's.
    void batchReady(const zor::FoundFiles& files, const zor::iconsource::SearchProgress& progress, QPrivateSignal);
    void searchEnded(bool rootListed, QPrivateSignal);

private:
    void take(const FoundFiles& files, const iconsource::SearchProgress& progress);
    void end(bool rootListed);

    std::shared_ptr<iconsource::IconSearch> m_search;
    // Icons handed over and not taken yet may number this many at most.
    std::shared_ptr<QSemaphore> m_room;
    QThread* m_thread = nullptr;
    bool m_stopped = false;
};

} // namespace zor
