#include "Pump.h"

#include <utility>

namespace plat {
namespace {
std::function<void()>& Hook()
{
    static std::function<void()> hook;
    return hook;
}
} // namespace

void PumpMessages()
{
    if (auto& hook = Hook())
        hook();
}

std::function<void()> SetPumpHook(std::function<void()> hook)
{
    return std::exchange(Hook(), std::move(hook));
}

} // namespace plat
