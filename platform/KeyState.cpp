#include "KeyState.h"

#include <QGuiApplication>

#include <utility>

namespace plat {
namespace {
std::optional<bool>& ShiftOverride()
{
    static std::optional<bool> held;
    return held;
}
} // namespace

bool ShiftHeld()
{
    if (const std::optional<bool>& held = ShiftOverride())
        return *held;
    // Not queryKeyboardModifiers(): that asks the X server for the physical state now, which can
    // differ from the state of the click being handled.
    return QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
}

std::optional<bool> SetShiftHeldForTest(std::optional<bool> held)
{
    return std::exchange(ShiftOverride(), held);
}

} // namespace plat
