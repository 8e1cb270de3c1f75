#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

class IPortProbe;

// The port watchers: each one waits, probes its port, and when the port can be
// opened calls the callback once and ends. The callback runs on the watcher's
// thread; the link turns it into a queued call of CSerialLink::OnPortAvailable
// on the UI thread. Several watchers can run at once (the link may be
// lost again before an earlier one has found its port).
//
// Watchers never outlive this object: the destructor wakes them and joins
// them, without waiting out their period. The probe and the callback must
// stay usable until then.
class CPortWatchers {
public:
    static constexpr std::chrono::milliseconds kProbePeriod{2000};

    using Callback = std::function<void()>;

    CPortWatchers(IPortProbe& probe, Callback onAvailable, std::chrono::milliseconds period = kProbePeriod);
    ~CPortWatchers();

    CPortWatchers(const CPortWatchers&) = delete;
    CPortWatchers& operator=(const CPortWatchers&) = delete;

    // Starts a watcher for port (read once, here). False when the thread
    // cannot be created.
    bool Start(int port);

    // Watchers still probing.
    std::size_t Running() const;

    // Stops and joins every watcher.
    void StopAll();

private:
    struct Watcher {
        std::thread thread;
        bool done = false;
    };

    void Watch(int port, Watcher* self);
    void ReapFinished(); // joins watchers that have ended; m_mutex not held

    IPortProbe& m_probe;
    Callback m_onAvailable;
    std::chrono::milliseconds m_period;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::list<Watcher> m_watchers; // stable addresses: each thread holds its own entry
};
