#pragma once

#include <optional>

namespace plat {

// Whether Shift is held for the input being handled now: the state carried by the last input
// event, which for a click or a key press is the state of that click or press.
bool ShiftHeld();

// Makes ShiftHeld() answer `held` until called again with no value; for tests. Returns the answer
// it replaces.
std::optional<bool> SetShiftHeldForTest(std::optional<bool> held);

} // namespace plat
