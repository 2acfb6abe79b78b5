#include "main/daemon_clock.h"

#include <time.h>

// The monotonic clock is immune to the wall clock being set (network time at boot sets it back
// or forward), so a key's hold time is always the time the key was really held. One is added so
// that a stamp taken in the very first millisecond after boot still reads as "timed".
uint64_t MonotonicMs() {
    struct timespec ts = {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u +
           1u;
}
