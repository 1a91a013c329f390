#include "KeyState.h"

#include <QGuiApplication>

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

void SetShiftHeldForTest(std::optional<bool> held)
{
    ShiftOverride() = held;
}

} // namespace plat
