#include "app/AsyncTimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <stdexcept>
#include <vector>

#include <sys/resource.h>

namespace {

using TPriority = TAsyncTimer::TThreadPriority;

constexpr qint64 Ms(qint64 milliseconds)
{
    return milliseconds * 1000 * 1000;
}

// Runs the UI thread's events until the condition holds or the bound passes.
template <typename Condition> bool PumpUntil(Condition condition, int boundMs = 5000)
{
    QTimer heartbeat; // lets the waiting event loop come back to check the condition
    heartbeat.start(2);
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < boundMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return condition();
}

void PumpFor(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    PumpUntil([&] { return clock.elapsed() >= milliseconds; }, milliseconds + 1000);
}

// Keeps the UI thread busy, processing no events, until the worker has handed over the given
// number of ticks.
bool BusyUntilHandedOver(const TAsyncTimer& timer, uint64_t ticks, int boundMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (timer.Worker().TicksHandedOver() < ticks && clock.elapsed() < boundMs)
        QThread::msleep(1);
    return timer.Worker().TicksHandedOver() >= ticks;
}

int Nice(int systemThreadId)
{
    errno = 0;
    const int value = ::getpriority(PRIO_PROCESS, static_cast<id_t>(systemThreadId));
    return errno == 0 ? value : -100;
}

// Records every OnTimer call: when it began and ended on the test's clock, its sender and the
// thread it ran on.
struct TTickLog
{
    TTickLog() { clock.start(); }

    TAsyncTimer::TNotifyEvent Handler(int busyMs = 0)
    {
        return [this, busyMs](TAsyncTimer* sender) {
            began.push_back(clock.nsecsElapsed());
            senders.push_back(sender);
            onUiThread = onUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
            if (busyMs > 0 && began.size() == 1)
                QThread::msleep(busyMs);
            ended.push_back(clock.nsecsElapsed());
        };
    }
    int Count() const { return static_cast<int>(began.size()); }

    QElapsedTimer clock;
    std::vector<qint64> began;
    std::vector<qint64> ended;
    std::vector<TAsyncTimer*> senders;
    bool onUiThread = true;
};

TEST(AsyncTimerProperties, StartWithTheirDefaultsAndWorkThroughTheMetaObject)
{
    TAsyncTimer timer;
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    EXPECT_EQ(timer.ThreadPriority(), TPriority::Normal);
    EXPECT_FALSE(timer.OnTimer());

    EXPECT_EQ(timer.property("Interval").toUInt(), 1000u);
    ASSERT_TRUE(timer.setProperty("Interval", QVariant::fromValue<uint16_t>(500)));
    EXPECT_EQ(timer.Interval(), 500);
    ASSERT_TRUE(timer.setProperty("ThreadPriority", QVariant::fromValue(TPriority::Lower)));
    EXPECT_EQ(timer.ThreadPriority(), TPriority::Lower);
    EXPECT_EQ(timer.property("ThreadPriority").value<TPriority>(), TPriority::Lower);
}

TEST(AsyncTimerProperties, PriorityLevelsMapToThePlatformTableAndBack)
{
    const std::vector<std::pair<TPriority, int>> table = {
        {TPriority::Idle, -15},        {TPriority::Lowest, -2}, {TPriority::Lower, -1},
        {TPriority::Normal, 0},        {TPriority::Higher, 1},  {TPriority::Highest, 2},
        {TPriority::TimeCritical, 15},
    };
    TAsyncTimer timer;
    for (const auto& [level, value] : table) {
        EXPECT_EQ(TAsyncTimer::PlatformPriority(level), value);
        EXPECT_EQ(TAsyncTimer::PriorityFromPlatform(value), level);
        timer.SetThreadPriority(level);
        EXPECT_EQ(timer.ThreadPriority(), level);
        EXPECT_EQ(timer.Worker().PlatformPriority(), value);
    }
    for (int unknown : {-16, -14, -3, 3, 14, 16, 255})
        EXPECT_EQ(TAsyncTimer::PriorityFromPlatform(unknown), TPriority::Normal) << unknown;
}

TEST(AsyncTimerLifecycle, NeverEnabledTimerIsDestroyedWithoutRunningTheWorkerBody)
{
    TTickLog log;
    const int before = TTimerThread::BodiesStarted();
    {
        TAsyncTimer timer;
        timer.SetInterval(20);
        timer.SetThreadPriority(TPriority::Lower);
        timer.SetOnTimer(log.Handler());
        PumpFor(100);
        EXPECT_EQ(timer.Worker().SystemThreadId(), 0);
    }
    auto* owner = new QObject;
    new TAsyncTimer(owner);
    delete owner;
    EXPECT_EQ(TTimerThread::BodiesStarted(), before);
    EXPECT_EQ(log.Count(), 0);

    // The counter does move once a timer is switched on.
    TAsyncTimer started;
    started.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return TTimerThread::BodiesStarted() == before + 1; }));
}

TEST(AsyncTimerLifecycle, IntervalZeroKeepsTheWorkerPausedUntilSwitchedOffAndOnAgain)
{
    TTickLog log;
    const int before = TTimerThread::BodiesStarted();
    TAsyncTimer timer;
    timer.SetOnTimer(log.Handler());
    timer.SetInterval(0);
    timer.SetEnabled(true);
    PumpFor(300);
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(TTimerThread::BodiesStarted(), before);

    timer.SetInterval(50);
    PumpFor(300);
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(timer.Worker().TicksHandedOver(), 0u);
    EXPECT_TRUE(timer.Enabled());

    // One switch-off undoes the switch-on: no second resumption is needed.
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return log.Count() >= 2; }));
}

TEST(AsyncTimerTicks, ComeOnTheUiThreadAtTheIntervalAfterAFullFirstPeriod)
{
    TTickLog log;
    TAsyncTimer timer;
    timer.SetInterval(50);
    timer.SetOnTimer(log.Handler());
    const qint64 switchedOn = log.clock.nsecsElapsed();
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 5; }, 10000));

    // Each deadline lies a period after the previous one was found reached.
    EXPECT_GE(log.began[0] - switchedOn, Ms(50));
    EXPECT_GE(log.began[4] - switchedOn, Ms(5 * 50));
    EXPECT_TRUE(log.onUiThread);
    for (TAsyncTimer* sender : log.senders)
        EXPECT_EQ(sender, &timer);
}

TEST(AsyncTimerTicks, SlowHandlerGetsItsNextTickAFullPeriodAfterItReturns)
{
    TTickLog log;
    TAsyncTimer timer;
    timer.SetInterval(50);
    timer.SetOnTimer(log.Handler(120));
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 3; }, 10000));

    EXPECT_GE(log.ended[0] - log.began[0], Ms(120));
    // No catch-up tick at once: the period restarts when the slow tick has returned.
    EXPECT_GE(log.began[1] - log.ended[0], Ms(50));
}

TEST(AsyncTimerTicks, BusyUiThreadHoldsOneTickAndGetsNoCatchUpBurst)
{
    TTickLog log;
    TAsyncTimer timer;
    timer.SetInterval(20);
    timer.SetOnTimer(log.Handler());
    timer.SetEnabled(true);
    ASSERT_TRUE(BusyUntilHandedOver(timer, 1));
    QThread::msleep(200); // ten periods without processing events
    EXPECT_EQ(timer.Worker().TicksHandedOver(), 1u);
    EXPECT_EQ(log.Count(), 0);

    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 2; }));
    EXPECT_GE(log.began[1] - log.ended[0], Ms(20));
}

TEST(AsyncTimerTicks, IntervalZeroWhileRunningGivesBackToBackTicks)
{
    TTickLog log;
    TAsyncTimer timer;
    timer.SetInterval(50);
    auto record = log.Handler();
    timer.SetOnTimer([&](TAsyncTimer* sender) {
        record(sender);
        if (log.Count() == 1)
            sender->SetInterval(0);
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 21; }));

    // Twenty ticks on the old period would take a whole second.
    EXPECT_LT(log.began[20] - log.ended[0], Ms(20 * 50));
    EXPECT_EQ(timer.Interval(), 0);
}

TEST(AsyncTimerTicks, SwitchingOffWithATickQueuedRunsTheTickWithoutCallingOnTimer)
{
    TTickLog log;
    TAsyncTimer timer;
    timer.SetInterval(50);
    timer.SetOnTimer(log.Handler());
    timer.SetEnabled(true);
    ASSERT_TRUE(BusyUntilHandedOver(timer, 1));
    timer.SetEnabled(false);

    EXPECT_TRUE(PumpUntil([&] { return timer.Worker().TicksRun() == 1; }));
    PumpFor(200);
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(timer.Worker().TicksHandedOver(), 1u);
}

TEST(AsyncTimerTicks, PassedDeadlineFiresAtOnceOnResumptionAndTheNextAPeriodLater)
{
    TTickLog log;
    TAsyncTimer timer;
    timer.SetInterval(500);
    timer.SetOnTimer(log.Handler());
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 1; }));
    timer.SetEnabled(false);
    PumpFor(800); // the next deadline passes during the pause
    EXPECT_EQ(log.Count(), 1);

    const qint64 resumed = log.clock.nsecsElapsed();
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 3; }));
    // A fresh period would put it 500 ms after the resumption.
    EXPECT_LT(log.began[1] - resumed, Ms(250));
    EXPECT_GE(log.began[2] - resumed, Ms(500));
}

TEST(AsyncTimerFailures, ExceptionFromOnTimerEndsTheWorkerQuietly)
{
    int calls = 0;
    auto timer = std::make_unique<TAsyncTimer>();
    timer->SetInterval(50);
    timer->SetOnTimer([&](TAsyncTimer*) {
        ++calls;
        throw std::runtime_error("handler failed");
    });
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return calls >= 1; }));
    EXPECT_TRUE(PumpUntil([&] { return timer->Worker().isFinished(); }));
    PumpFor(300);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(timer->Worker().TicksHandedOver(), 1u);

    timer->SetEnabled(false);
    timer->SetEnabled(true);
    PumpFor(200);
    EXPECT_EQ(calls, 1);
    timer.reset();
}

TEST(AsyncTimerDestruction, WithATickQueuedCompletesWithoutCallingOnTimer)
{
    TTickLog log;
    auto timer = std::make_unique<TAsyncTimer>();
    timer->SetInterval(50);
    timer->SetOnTimer(log.Handler());
    timer->SetEnabled(true);
    ASSERT_TRUE(BusyUntilHandedOver(*timer, 1));

    timer.reset();
    PumpFor(100); // the discarded tick must reach nothing
    EXPECT_EQ(log.Count(), 0);
}

TEST(AsyncTimerDestruction, CompletesWhileWaitingForADeadlineAndWhilePaused)
{
    TTickLog log;
    auto waiting = std::make_unique<TAsyncTimer>();
    waiting->SetInterval(60000);
    waiting->SetOnTimer(log.Handler());
    waiting->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return waiting->Worker().SystemThreadId() != 0; }));
    waiting.reset();

    auto paused = std::make_unique<TAsyncTimer>();
    paused->SetInterval(30);
    paused->SetOnTimer(log.Handler());
    paused->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 1; }));
    paused->SetEnabled(false);
    paused.reset();
    PumpFor(100);
    EXPECT_EQ(log.Count(), 1);
}

TEST(AsyncTimerDestruction, HandlerMayDestroyItsOwnTimer)
{
    int calls = 0;
    QPointer<TAsyncTimer> timer = new TAsyncTimer;
    timer->SetInterval(30);
    timer->SetOnTimer([&](TAsyncTimer* sender) {
        ++calls;
        delete sender;
    });
    timer->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return timer.isNull(); }));
    PumpFor(100);
    EXPECT_EQ(calls, 1);
}

TEST(AsyncTimerPriority, LevelsBelowNormalMakeOnlyTheWorkerNicer)
{
    const int uiNice = Nice(0);
    if (uiNice < -20 || uiNice + 5 > 19)
        GTEST_SKIP() << "the process already runs at nice " << uiNice;

    TTickLog log;
    TAsyncTimer timer;
    timer.SetInterval(20);
    timer.SetThreadPriority(TPriority::Lower);
    timer.SetOnTimer(log.Handler());
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 1; }));
    const int worker = timer.Worker().SystemThreadId();
    ASSERT_NE(worker, 0);
    EXPECT_EQ(Nice(worker), uiNice + 5);
    EXPECT_EQ(Nice(0), uiNice);

    // A change while running takes effect from the next deadline on.
    timer.SetThreadPriority(TPriority::Idle);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 3; }));
    EXPECT_EQ(Nice(worker), 19);
    EXPECT_EQ(timer.ThreadPriority(), TPriority::Idle);
    EXPECT_EQ(Nice(0), uiNice);
}

} // namespace
