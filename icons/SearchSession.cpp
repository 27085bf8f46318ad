#include "icons/SearchSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace zor {

using namespace iconsource;

namespace {
// Icons the search may hold for the window before it waits.
constexpr int kRoom = 16384;
// A batch goes out once it is this old, so that the first icons show at once.
constexpr int kBatchMs = 50;
} // namespace

SearchSession::SearchSession(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<FoundFiles>("zor::FoundFiles");
    qRegisterMetaType<SearchProgress>("zor::iconsource::SearchProgress");
    connect(this, &SearchSession::batchReady, this, &SearchSession::take, Qt::QueuedConnection);
    connect(this, &SearchSession::searchEnded, this, &SearchSession::end, Qt::QueuedConnection);
}

SearchSession::~SearchSession()
{
    if (m_search)
        m_search->cancel();
    if (m_room)
        m_room->release(kRoom);   // no wait for room the window will never make
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

bool SearchSession::start(const SearchOptions& options)
{
    if (running())
        return false;
    m_search = std::make_shared<IconSearch>(options);
    m_stopped = false;
    m_room = std::make_shared<QSemaphore>(kRoom);
    m_thread = QThread::create([this, search = m_search, room = m_room] {
        FoundFiles batch;
        QElapsedTimer age;
        age.start();
        auto flush = [&](bool evenEmpty = false) {
            if (!batch.empty() || evenEmpty)
                Q_EMIT batchReady(std::exchange(batch, {}), search->progress(), QPrivateSignal());
            age.restart();
        };
        const bool listed = search->run(
            [&](FoundFile&& file) {
                const int icons = int(std::min<size_t>(file.icons.size(), kRoom));
                if (!room->tryAcquire(icons)) {
                    flush();   // what is held goes first, or the window could never make room
                    while (!room->tryAcquire(icons, 20))
                        if (search->cancelled())
                            return;
                }
                batch.push_back(std::move(file));
                if (age.elapsed() >= kBatchMs)
                    flush();
            },
            [&] {
                if (age.elapsed() >= kBatchMs)
                    flush(true);   // the progress, found or not
            });
        if (!search->cancelled())
            flush();
        Q_EMIT searchEnded(listed, QPrivateSignal());
    });
    m_thread->start();
    return true;
}

void SearchSession::stop()
{
    if (!running())
        return;
    m_search->cancel();
    // The batches already sent are what was found: they are handed over now, and whatever
    // the thread sends before it notices is not.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_stopped = true;
}

SearchProgress SearchSession::progress() const
{
    return m_search ? m_search->progress() : SearchProgress();
}

void SearchSession::take(const FoundFiles& files, const SearchProgress& progress)
{
    int icons = 0;
    for (const FoundFile& f : files)
        icons += int(std::min<size_t>(f.icons.size(), kRoom));
    if (!files.empty() && !m_stopped)
        Q_EMIT found(files);
    if (m_room)
        m_room->release(icons);
    Q_EMIT progressed(progress);
}

void SearchSession::end(bool rootListed)
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    Q_EMIT finished(rootListed);
}

} // namespace zor
