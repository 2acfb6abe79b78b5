// The virtual keyboard and the clock of the daemon benchmarks: key events are only counted, and
// the monotonic clock moves only when a benchmark moves it.
#pragma once

#include <stdint.h>

void AdvanceBenchClock(uint64_t ms);
// Key events written to the virtual keyboard so far.
uint64_t BenchEventCount();
