#include "record_pace.h"

#include <time.h>

#include "main/daemon_clock.h"

void PaceUntilMs(uint64_t deadline) {
    const uint64_t now = MonotonicMs();
    if (deadline <= now) return;
    const uint64_t wait = deadline - now;
    struct timespec pause = {};
    pause.tv_sec = static_cast<time_t>(wait / 1000);
    pause.tv_nsec = static_cast<long>(wait % 1000) * 1000000L;
    // A signal ends the sleep early (EINTR) on purpose: a stop request is seen at once.
    nanosleep(&pause, nullptr);
}
