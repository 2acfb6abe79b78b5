#include "millisecond_clock.h"

#if defined(_WIN32)
#include <windows.h>

uint32_t millisecondClock() { return GetTickCount(); }
#else
#include <time.h>

uint32_t millisecondClock() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000 +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000);
}
#endif
