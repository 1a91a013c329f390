#pragma once

#include <cstdint>

namespace plat {

// Milliseconds of a steady clock, truncated to 32 bits: differences are taken in unsigned
// arithmetic, so a wrap of the counter is harmless.
uint32_t TickCount32();

// Blocks the calling thread for the given number of milliseconds (nothing for 0 or less).
void Sleep(int32_t milliseconds);

} // namespace plat
