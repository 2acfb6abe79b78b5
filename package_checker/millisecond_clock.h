// A monotonic clock for pacing the console output.
#pragma once

#include <cstdint>

// Milliseconds since an arbitrary origin; wraps around, so only differences count.
uint32_t millisecondClock();
