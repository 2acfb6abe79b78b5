// How the recorder waits for its next sample. The program sleeps on the monotonic clock; the
// unit test links its own pace, which moves a fake clock and changes the board instead.
#pragma once

#include <stdint.h>

// Returns at the monotonic millisecond deadline (as MonotonicMs() counts), or earlier when a
// signal arrives: the caller looks at the clock and at its stop request again.
void PaceUntilMs(uint64_t deadline);
