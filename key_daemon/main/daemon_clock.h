// The daemon's one source of time for intervals: the monotonic clock in 64-bit milliseconds.
// Tests link a fake of this module and step it.
#pragma once

#include <stdint.h>

// Never 0, so that a stored stamp always reads as "timed".
uint64_t MonotonicMs();
