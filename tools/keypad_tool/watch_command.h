// keypad-tool watch: the panel live at the bench. keypad-record streams every sample of the
// layout's channels; the replay engine (the daemon's own scanner) turns them into the events the
// daemon would send.
#pragma once

#include <stdint.h>

struct WatchOptions {
    const char* layout;
    uint32_t periodMs;  // --period-ms; 0: the board's conversion period, else the recorder's
};

// 0 once the recorder has stopped (SIGINT, SIGTERM or SIGHUP), 2 when the layout cannot be read or
// the recorder cannot run.
int RunWatch(const WatchOptions& options);
