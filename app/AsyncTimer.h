#pragma once

#include <QEvent>
#include <QObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class TTimerThread;

// A timer whose clock runs on a worker thread of its own and whose ticks run on the UI thread.
// The clock keeps counting while the UI thread is busy; a tick then waits until the UI thread
// next processes its events (its event loop, a pump of a long operation, a modal dialog).
class TAsyncTimer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(uint16_t Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(TThreadPriority ThreadPriority READ ThreadPriority WRITE SetThreadPriority)

public:
    enum class TThreadPriority
    {
        Idle,
        Lowest,
        Lower,
        Normal,
        Higher,
        Highest,
        TimeCritical
    };
    Q_ENUM(TThreadPriority)

    using TNotifyEvent = std::function<void(TAsyncTimer* sender)>;

    // Throws std::runtime_error when the worker thread cannot be created.
    explicit TAsyncTimer(QObject* owner = nullptr);
    ~TAsyncTimer() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    uint16_t Interval() const;
    void SetInterval(uint16_t value);
    const TNotifyEvent& OnTimer() const { return m_onTimer; }
    void SetOnTimer(TNotifyEvent handler) { m_onTimer = std::move(handler); }
    TThreadPriority ThreadPriority() const;
    void SetThreadPriority(TThreadPriority value);

    // The platform's priority values of the levels: idle -15, lowest -2, lower -1, normal 0,
    // higher 1, highest 2, time-critical 15; any other value reads as normal.
    static int PlatformPriority(TThreadPriority level);
    static TThreadPriority PriorityFromPlatform(int value);

    const TTimerThread& Worker() const { return *m_worker; }

protected:
    bool event(QEvent* e) override;

private:
    void RunTick();

    bool m_enabled = false;
    TNotifyEvent m_onTimer;
    // Owned; declared last so everything the worker touches exists before it starts.
    std::unique_ptr<TTimerThread> m_worker;
};

// The clock of a TAsyncTimer. It starts paused and runs its deadline loop only once the timer
// is first switched on; each tick is handed to the UI thread, and the worker waits until the
// UI thread has run it (or until it is asked to stop).
class TTimerThread : public QThread
{
public:
    explicit TTimerThread(TAsyncTimer* timer);
    ~TTimerThread() override;

    uint16_t Interval() const { return m_interval.load(std::memory_order_relaxed); }
    int PlatformPriority() const { return m_platformPriority.load(std::memory_order_relaxed); }

    // Observations for tests: how many worker bodies have ever started in this process, how
    // many ticks this worker has handed over and how many of them the UI thread has run, and
    // the kernel's id of the worker thread (0 until its body starts).
    static int BodiesStarted();
    uint64_t TicksHandedOver() const;
    uint64_t TicksRun() const;
    int SystemThreadId() const { return m_systemThreadId.load(); }

protected:
    void run() override;

private:
    friend class TAsyncTimer;
    using Clock = std::chrono::steady_clock;

    void SetInterval(uint16_t milliseconds) { m_interval.store(milliseconds, std::memory_order_relaxed); }
    void SetPlatformPriority(int value) { m_platformPriority.store(value, std::memory_order_relaxed); }
    void Resume();
    void Pause();
    void RequestStop();
    void TickDone(bool handlerFailed);
    void WaitUntilEnded();

    void Execute();
    bool StopRequested() const { return m_stopRequested.load(); }
    Clock::duration Period() const;
    bool WaitForDeadline(Clock::time_point deadline, Clock::time_point& now);
    bool HandOver();
    void ApplyPriority();

    TAsyncTimer* const m_timer; // not owned: the timer this thread serves
    std::atomic<uint16_t> m_interval{1000};
    std::atomic<int> m_platformPriority{0};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<int> m_systemThreadId{0};

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_paused = true;       // guarded by m_mutex
    uint64_t m_ticksPosted = 0; // guarded by m_mutex
    uint64_t m_ticksRun = 0;    // guarded by m_mutex
    bool m_ended = false;       // guarded by m_mutex
    // The event of the next tick, guarded by m_mutex. It is made on the UI thread, which also
    // receives and deletes it, so its memory never passes between threads outside our own
    // locking (Qt's queue locking is invisible to race detectors); the worker only posts it.
    std::unique_ptr<QEvent> m_tickEvent;

    // Worker-only: the nice value inherited at start and the one last applied.
    int m_baseNice = 0;
    int m_appliedNice = 0;
};
