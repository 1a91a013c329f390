#include "app/EventPump.h"

#include "platform/Pump.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

using namespace std::chrono_literals;

// A clock the test moves by hand; each real pump takes 3 ms of it.
class ThrottledPump : public ::testing::Test
{
protected:
    std::chrono::steady_clock::time_point now{};
    int processed = 0;
    TThrottledPump pump{[this] {
                            ++processed;
                            now += 3ms;
                        },
                        [this] { return now; }};
};

TEST_F(ThrottledPump, ProcessesAtMostOncePerIntervalCountedFromTheEndOfTheLastPump)
{
    pump();
    EXPECT_EQ(processed, 1); // the first call always pumps; it ends at 3 ms
    pump();
    EXPECT_EQ(processed, 1);
    now += 4ms + 999us; // 4.999 ms after the end, 7.999 ms after the start
    pump();
    EXPECT_EQ(processed, 1);
    now += 1us;
    pump();
    EXPECT_EQ(processed, 2); // ends at 11 ms
    now += 3ms;
    pump(); // skipped calls do not move the point the interval is counted from
    EXPECT_EQ(processed, 2);
    now += 2ms;
    pump();
    EXPECT_EQ(processed, 3);
    now += 1h;
    pump();
    EXPECT_EQ(processed, 4);
}

TEST(EventPump, InstalledPumpProcessesPendingEventsAndRemovingItStops)
{
    const std::function<void()> previous = plat::SetPumpHook({});
    int delivered = 0;
    QMetaObject::invokeMethod(
        qApp, [&] { ++delivered; }, Qt::QueuedConnection);
    plat::PumpMessages();
    EXPECT_EQ(delivered, 0);
    InstallEventPump();
    plat::PumpMessages();
    EXPECT_EQ(delivered, 1);
    RemoveEventPump();
    QMetaObject::invokeMethod(
        qApp, [&] { ++delivered; }, Qt::QueuedConnection);
    plat::PumpMessages();
    EXPECT_EQ(delivered, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 2);
    plat::SetPumpHook(previous);
}

} // namespace
