// keypad-tool replay: what the daemon sends for a trace of board readings.
#pragma once

#include <stdint.h>

struct ReplayOptions {
    const char* file;
    const char* trace;
    uint32_t periodMs;  // 0: the board's default
};

// 0 after the whole trace, 2 when the layout or the trace cannot be read, or a trace line is
// malformed (nothing is replayed then).
int RunReplay(const ReplayOptions& options);
