#include "AsyncTimer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include <sys/resource.h>
#include <unistd.h>

namespace {

const QEvent::Type kTickEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

std::atomic<int> g_bodiesStarted{0};

// On Linux raising a thread's priority above what it inherited needs privileges, and an
// ordinary user cannot undo a lowering, so only the levels below normal change anything: they
// make the worker that much nicer than the thread that created it.
int NiceOffset(TAsyncTimer::TThreadPriority level)
{
    switch (level) {
    case TAsyncTimer::TThreadPriority::Idle:
        return 19;
    case TAsyncTimer::TThreadPriority::Lowest:
        return 10;
    case TAsyncTimer::TThreadPriority::Lower:
        return 5;
    default:
        return 0;
    }
}

} // namespace

TAsyncTimer::TAsyncTimer(QObject* owner) : QObject(owner), m_worker(std::make_unique<TTimerThread>(this))
{
    m_worker->start();
    // QThread::start only warns when the thread cannot be created; the worker cannot have
    // ended yet because it waits for its first switch-on.
    if (!m_worker->isRunning())
        throw std::runtime_error("The timer thread could not be created");
}

TAsyncTimer::~TAsyncTimer()
{
    SetEnabled(false);
    // Every wait of the worker also wakes on the stop request, including the wait for a tick
    // handed to this thread, so joining cannot deadlock and no tick runs from here. A tick
    // still queued is discarded with this object.
    m_worker->RequestStop();
    m_worker->WaitUntilEnded();
}

void TAsyncTimer::SetEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    if (!value)
        m_worker->Pause();
    else if (m_worker->Interval() > 0)
        m_worker->Resume();
}

uint16_t TAsyncTimer::Interval() const
{
    return m_worker->Interval();
}

void TAsyncTimer::SetInterval(uint16_t value)
{
    if (value != m_worker->Interval())
        m_worker->SetInterval(value);
}

TAsyncTimer::TThreadPriority TAsyncTimer::ThreadPriority() const
{
    return PriorityFromPlatform(m_worker->PlatformPriority());
}

void TAsyncTimer::SetThreadPriority(TThreadPriority value)
{
    m_worker->SetPlatformPriority(PlatformPriority(value));
}

int TAsyncTimer::PlatformPriority(TThreadPriority level)
{
    switch (level) {
    case TThreadPriority::Idle:
        return -15;
    case TThreadPriority::Lowest:
        return -2;
    case TThreadPriority::Lower:
        return -1;
    case TThreadPriority::Normal:
        return 0;
    case TThreadPriority::Higher:
        return 1;
    case TThreadPriority::Highest:
        return 2;
    case TThreadPriority::TimeCritical:
        return 15;
    }
    return 0;
}

TAsyncTimer::TThreadPriority TAsyncTimer::PriorityFromPlatform(int value)
{
    switch (value) {
    case -15:
        return TThreadPriority::Idle;
    case -2:
        return TThreadPriority::Lowest;
    case -1:
        return TThreadPriority::Lower;
    case 1:
        return TThreadPriority::Higher;
    case 2:
        return TThreadPriority::Highest;
    case 15:
        return TThreadPriority::TimeCritical;
    default:
        return TThreadPriority::Normal;
    }
}

bool TAsyncTimer::event(QEvent* e)
{
    if (e->type() != kTickEvent)
        return QObject::event(e);
    RunTick();
    return true;
}

void TAsyncTimer::RunTick()
{
    bool failed = false;
    if (m_enabled && m_onTimer) {
        const QPointer<TAsyncTimer> alive(this);
        // A copy, so a handler that replaces OnTimer does not destroy itself while it runs.
        const TNotifyEvent handler = m_onTimer;
        try {
            handler(this);
        } catch (...) {
            // Exceptions must not cross the event loop; the worker ends instead.
            failed = true;
        }
        if (!alive)
            return;
    }
    m_worker->TickDone(failed);
}

TTimerThread::TTimerThread(TAsyncTimer* timer)
    : m_timer(timer), m_tickEvent(std::make_unique<QEvent>(kTickEvent))
{
}

TTimerThread::~TTimerThread() = default;

int TTimerThread::BodiesStarted()
{
    return g_bodiesStarted.load();
}

uint64_t TTimerThread::TicksHandedOver() const
{
    const std::lock_guard lock(m_mutex);
    return m_ticksPosted;
}

uint64_t TTimerThread::TicksRun() const
{
    const std::lock_guard lock(m_mutex);
    return m_ticksRun;
}

void TTimerThread::Resume()
{
    {
        const std::lock_guard lock(m_mutex);
        m_paused = false;
    }
    m_wake.notify_all();
}

void TTimerThread::Pause()
{
    const std::lock_guard lock(m_mutex);
    m_paused = true;
}

void TTimerThread::RequestStop()
{
    {
        // Set under the mutex so a worker between its check and its wait cannot miss it.
        const std::lock_guard lock(m_mutex);
        m_stopRequested.store(true);
    }
    m_wake.notify_all();
}

void TTimerThread::TickDone(bool handlerFailed)
{
    auto nextTick = std::make_unique<QEvent>(kTickEvent);
    {
        const std::lock_guard lock(m_mutex);
        m_tickEvent = std::move(nextTick);
        m_ticksRun = m_ticksPosted;
        if (handlerFailed)
            m_stopRequested.store(true);
    }
    m_wake.notify_all();
}

TTimerThread::Clock::duration TTimerThread::Period() const
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(Interval()));
}

void TTimerThread::run()
{
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return !m_paused || StopRequested(); });
    }
    if (!StopRequested())
        Execute();
    // The end is announced under our own mutex: QThread::wait synchronises through Qt's
    // futex-based lock, which race detectors cannot see, so the destructor waits for this.
    const std::lock_guard lock(m_mutex);
    m_ended = true;
    m_wake.notify_all();
}

void TTimerThread::WaitUntilEnded()
{
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_ended; });
    }
    wait();
}

void TTimerThread::Execute()
{
    g_bodiesStarted.fetch_add(1);
    m_systemThreadId.store(static_cast<int>(::gettid()));
    errno = 0;
    m_baseNice = ::getpriority(PRIO_PROCESS, 0);
    if (errno != 0)
        m_baseNice = 0;
    m_appliedNice = m_baseNice;

    Clock::time_point now = Clock::now();
    Clock::time_point next = now + Period();
    while (!StopRequested()) {
        ApplyPriority();
        if (!WaitForDeadline(next, now))
            return;
        if (!HandOver())
            return;
        const Clock::time_point after = Clock::now();
        const Clock::duration period = Period();
        // The period runs from the moment the deadline was found reached; a tick that took a
        // whole period or longer gets a fresh period instead of a burst of catch-up ticks.
        next = now + period;
        if (next <= after)
            next = after + period;
    }
}

bool TTimerThread::WaitForDeadline(Clock::time_point deadline, Clock::time_point& now)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (StopRequested())
            return false;
        if (m_paused) {
            // The deadline is kept: one that passes during the pause fires at once on resumption.
            m_wake.wait(lock);
            continue;
        }
        now = Clock::now();
        if (now >= deadline)
            return true;
        m_wake.wait_until(lock, deadline);
    }
}

bool TTimerThread::HandOver()
{
    QEvent* tick = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        if (StopRequested())
            return false;
        ++m_ticksPosted;
        tick = m_tickEvent.release();
    }
    QCoreApplication::postEvent(m_timer, tick);
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_ticksRun == m_ticksPosted || StopRequested(); });
    return !StopRequested();
}

void TTimerThread::ApplyPriority()
{
    const int target =
        std::min(19, m_baseNice + NiceOffset(TAsyncTimer::PriorityFromPlatform(PlatformPriority())));
    if (target == m_appliedNice)
        return;
    // Going back up needs privileges; without them the worker simply stays nicer.
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), target) == 0)
        m_appliedNice = target;
}
