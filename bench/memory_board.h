// An in-memory board for the daemon benchmarks: the chip SDK calls, the system properties and the
// log, each answered from a few variables, so that what a benchmark times is the daemon's own
// work and not the simulated board's file reads.
#pragma once

#include <stdint.h>

// Current reading of an LSADC channel (channels 0 to 7).
void SetMemoryReading(unsigned int channel, unsigned int reading);
// Level of GPIO line group * 8 + pin (lines 0 to 63): 1 released, 0 pressed.
void SetMemoryGpioLevel(unsigned int line, int level);
// A system property; the value is kept by pointer and must outlive the benchmark.
void SetMemoryProperty(const char* name, const char* value);
// The key-lock value of the device-information store.
void SetMemoryKeyLock(int32_t value);
// Messages logged so far.
uint64_t MemoryLogCount();
