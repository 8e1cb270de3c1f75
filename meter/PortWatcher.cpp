#include "meter/PortWatcher.h"

#include "meter/PortProbe.h"

#include <system_error>

CPortWatchers::CPortWatchers(IPortProbe& probe, Callback onAvailable, std::chrono::milliseconds period)
    : m_probe(probe), m_onAvailable(std::move(onAvailable)), m_period(period)
{
}

CPortWatchers::~CPortWatchers()
{
    StopAll();
}

bool CPortWatchers::Start(int port)
{
    ReapFinished();
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return false;
    Watcher& entry = m_watchers.emplace_back();
    try {
        entry.thread = std::thread(&CPortWatchers::Watch, this, port, &entry);
    } catch (const std::system_error&) {
        m_watchers.pop_back();
        return false;
    }
    return true;
}

void CPortWatchers::Watch(int port, Watcher* self)
{
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, m_period, [this] { return m_stopping; }))
                break;
        }
        if (m_probe.Probe(port, nullptr)) {
            {
                std::lock_guard lock(m_mutex);
                if (m_stopping)
                    break;
            }
            // Called without the lock: the destructor joins this thread, so
            // the owner is still there while the callback runs.
            if (m_onAvailable)
                m_onAvailable();
            break;
        }
    }
    std::lock_guard lock(m_mutex);
    self->done = true;
}

std::size_t CPortWatchers::Running() const
{
    std::lock_guard lock(m_mutex);
    std::size_t running = 0;
    for (const Watcher& watcher : m_watchers) {
        if (!watcher.done)
            ++running;
    }
    return running;
}

void CPortWatchers::ReapFinished()
{
    std::list<Watcher> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_watchers.begin(); it != m_watchers.end();) {
            auto next = std::next(it);
            if (it->done)
                finished.splice(finished.end(), m_watchers, it);
            it = next;
        }
    }
    for (Watcher& watcher : finished)
        watcher.thread.join();
}

void CPortWatchers::StopAll()
{
    std::list<Watcher> all;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        all.splice(all.end(), m_watchers);
    }
    m_wake.notify_all();
    for (Watcher& watcher : all) {
        if (watcher.thread.joinable())
            watcher.thread.join();
    }
    std::lock_guard lock(m_mutex);
    m_stopping = false;
}
