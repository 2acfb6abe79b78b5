#include "virtual_devices.h"

#include "main/daemon_clock.h"
#include "main/uinput_device.h"

static uint64_t nowMs;
static ReplayEventSink eventSink;
static void* sinkContext;

void ResetVirtualDevices(ReplayEventSink sink, void* context) {
    nowMs = 0;
    eventSink = sink;
    sinkContext = context;
}

void SetVirtualMs(uint64_t ms) { nowMs = ms; }
uint64_t VirtualMs() { return nowMs; }

uint64_t MonotonicMs() { return nowMs; }

void WriteEventToDevice(unsigned int code, unsigned int value) {
    if (eventSink) eventSink(ReplayEvent{nowMs, code, value}, sinkContext);
}
