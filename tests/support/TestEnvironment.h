#pragma once

#include <cstdlib>
#include <ctime>

// Every test runs in one time zone and one locale, whatever the developer's own: the exported
// times, the sizes' decimal separator and the name order are pinned to them. Called first in
// main, before Qt or the C library read either. The platform stays the developer's to choose.
inline void PinTestEnvironment()
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}
