#include "bench_device.h"

#include "main/daemon_clock.h"
#include "main/uinput_device.h"

static uint64_t clockMs = 1;
static uint64_t events = 0;

void AdvanceBenchClock(uint64_t ms) { clockMs += ms; }
uint64_t BenchEventCount() { return events; }

uint64_t MonotonicMs() { return clockMs; }
void WriteEventToDevice(unsigned int, unsigned int) { ++events; }
