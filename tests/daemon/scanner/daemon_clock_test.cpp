#include "main/daemon_clock.h"

#include <gtest/gtest.h>
#include <time.h>

namespace {

uint64_t ClockMs(clockid_t clock) {
    struct timespec ts = {};
    clock_gettime(clock, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

// Hold times must not move when the wall clock is set, so the daemon's clock has to be the
// monotonic one (shifted by one so that it never reads 0).
TEST(DaemonClock, FollowsTheMonotonicClock) {
    for (int i = 0; i < 100; ++i) {
        uint64_t before = ClockMs(CLOCK_MONOTONIC);
        uint64_t ms = MonotonicMs();
        uint64_t after = ClockMs(CLOCK_MONOTONIC);
        ASSERT_GE(ms, before + 1);
        ASSERT_LE(ms, after + 1);
    }
}

}  // namespace
