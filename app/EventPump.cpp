#include "EventPump.h"

#include "platform/Pump.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <utility>

TThrottledPump::TThrottledPump(std::function<void()> process, TClock clock)
    : m_process(std::move(process)), m_clock(std::move(clock))
{
}

void TThrottledPump::operator()()
{
    if (m_lastPumpEnd && m_clock() - *m_lastPumpEnd < MinimumInterval)
        return;
    if (m_process)
        m_process();
    m_lastPumpEnd = m_clock();
}

void InstallEventPump()
{
    plat::SetPumpHook(TThrottledPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents); }));
}

void RemoveEventPump()
{
    plat::SetPumpHook({});
}
