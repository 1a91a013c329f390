#pragma once

#include <chrono>
#include <functional>
#include <optional>

// Runs the window's event processing for the pump points of long work, but at most once per
// MinimumInterval: a search reaches its pump points thousands of times a second, and processing
// events each time would cost more than the work. The interval is measured from the end of the
// last real pump.
class TThrottledPump
{
public:
    using TClock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds MinimumInterval{5};

    explicit TThrottledPump(std::function<void()> process, TClock clock = &std::chrono::steady_clock::now);

    // Processes events unless the last real pump ended less than MinimumInterval ago.
    void operator()();

private:
    std::function<void()> m_process;
    TClock m_clock;
    std::optional<std::chrono::steady_clock::time_point> m_lastPumpEnd;
};

// Installs QCoreApplication::processEvents(QEventLoop::AllEvents), throttled, as the pump of
// plat::PumpMessages(); RemoveEventPump makes the pump a no-op again.
void InstallEventPump();
void RemoveEventPump();
