#include "DosTime.h"

namespace plat {

int32_t DosDateTime(const struct timespec& fileTime)
{
    struct tm local
    {
    };
    const time_t seconds = fileTime.tv_sec;
    if (!localtime_r(&seconds, &local))
        return DosTimeMinimum;
    const int year = local.tm_year + 1900;
    if (year < 1980)
        return DosTimeMinimum;
    if (year > 2107)
        return DosTimeMaximum;
    const uint32_t date =
        uint32_t(year - 1980) << 9 | uint32_t(local.tm_mon + 1) << 5 | uint32_t(local.tm_mday);
    const uint32_t time =
        uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 | uint32_t(local.tm_sec / 2);
    return static_cast<int32_t>(date << 16 | time);
}

QDateTime DosDateTimeToDateTime(int32_t packed)
{
    const auto value = static_cast<uint32_t>(packed);
    const QDate date(int(value >> 25) + 1980, int(value >> 21 & 0xF), int(value >> 16 & 0x1F));
    const QTime time(int(value >> 11 & 0x1F), int(value >> 5 & 0x3F), int(value & 0x1F) * 2);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

} // namespace plat
