#include "platform/DosTime.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

timespec At(int year, int month, int day, int hour, int minute, int second)
{
    struct tm local
    {
    };
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return {mktime(&local), 123456789};
}

// Tests run with TZ=UTC, so local time and the clock agree.
TEST(DosTime, PacksLocalDateAndTimeWithEvenSeconds)
{
    EXPECT_EQ(plat::DosDateTime(At(2024, 3, 15, 13, 45, 59)),
              int32_t((44u << 25 | 3u << 21 | 15u << 16) | (13u << 11 | 45u << 5 | 29u)));
    EXPECT_EQ(plat::DosDateTime(At(1980, 1, 1, 0, 0, 0)), plat::DosTimeMinimum);
}

TEST(DosTime, ClampsTimesOutsideTheRange)
{
    EXPECT_EQ(plat::DosDateTime(timespec{0, 0}), plat::DosTimeMinimum); // 1970
    EXPECT_EQ(plat::DosDateTime(At(1979, 12, 31, 23, 59, 59)), plat::DosTimeMinimum);
    EXPECT_EQ(plat::DosDateTime(At(2108, 1, 1, 0, 0, 0)), plat::DosTimeMaximum);
}

TEST(DosTime, YearsFrom2044AreNegativeAndSortFirst)
{
    const int32_t future = plat::DosDateTime(At(2044, 1, 1, 0, 0, 0));
    EXPECT_EQ(future, int32_t(0x80210000u));
    EXPECT_LT(future, plat::DosDateTime(At(2000, 1, 1, 0, 0, 0)));
}

TEST(DosTime, UnpacksToTheSameDateAndTime)
{
    const QDateTime back = plat::DosDateTimeToDateTime(plat::DosDateTime(At(2024, 3, 15, 13, 45, 59)));
    EXPECT_EQ(back, QDateTime(QDate(2024, 3, 15), QTime(13, 45, 58)));
    EXPECT_FALSE(plat::DosDateTimeToDateTime(0).isValid()); // month 0, day 0
}

} // namespace
