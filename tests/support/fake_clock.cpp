#include "fake_clock.h"

#include "main/daemon_clock.h"

static uint64_t fakeMs = 1000;

void SetFakeMs(uint64_t ms) { fakeMs = ms; }
void AdvanceFakeMs(uint64_t ms) { fakeMs += ms; }

uint64_t MonotonicMs() { return fakeMs; }
