#pragma once

#include <functional>

namespace plat {

// Lets the window breathe during long work. Every place that pumps calls this one function;
// the application installs the event loop's processing, tests install their own hook.
void PumpMessages();

// Replaces the pump; an empty function makes PumpMessages() a no-op. Returns the previous hook.
std::function<void()> SetPumpHook(std::function<void()> hook);

} // namespace plat
