// The daemon's clock and virtual keyboard in keypad-tool: a clock that moves only when the
// replay moves it, and a keyboard that hands every event to a sink, stamped with that clock.
#pragma once

#include <stdint.h>

// An event the daemon writes to the virtual keyboard, at the virtual time it writes it.
struct ReplayEvent {
    uint64_t ms;
    uint32_t code;
    uint32_t value;
};
typedef void (*ReplayEventSink)(const ReplayEvent& event, void* context);

// Time 0, and events go to sink (nullptr: nowhere).
void ResetVirtualDevices(ReplayEventSink sink, void* context);
void SetVirtualMs(uint64_t ms);
uint64_t VirtualMs();
