#pragma once

#include <QDateTime>

#include <cstdint>
#include <ctime>

namespace plat {

// Packs a file time as the classic DOS local date and time: date in the high 16 bits (year-1980,
// month, day), time in the low 16 bits (hours, minutes, seconds / 2). Times outside 1980-01-01 ..
// 2107-12-31 are clamped to those ends. Years from 2044 on set bit 31, so they compare as negative,
// exactly like the packed values always have.
int32_t DosDateTime(const struct timespec& fileTime);

// The date and time a packed value stands for; invalid when a field is out of range (month 0, ...).
QDateTime DosDateTimeToDateTime(int32_t packed);

inline constexpr int32_t DosTimeMinimum = 0x00210000;                        // 1980-01-01 00:00:00
inline constexpr int32_t DosTimeMaximum = static_cast<int32_t>(0xFF9FBF7Du); // 2107-12-31 23:59:58

} // namespace plat
