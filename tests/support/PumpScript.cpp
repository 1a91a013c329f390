#include "PumpScript.h"

#include "core/DuplicateTypes.h"
#include "platform/Pump.h"

TPumpScript::TPumpScript(std::function<void(int)> script) : m_script(std::move(script))
{
    m_previous = plat::SetPumpHook([this] {
        ++m_count;
        if (m_script)
            m_script(m_count);
    });
}

TPumpScript::~TPumpScript()
{
    plat::SetPumpHook(std::move(m_previous));
}

TPumpScript TPumpScript::StopAt(int pump)
{
    return TPumpScript([pump](int count) {
        if (count == pump)
            StopFlag = 1;
    });
}
