// The worker thread: waits on the LSADC descriptor and samples the ADC groups after every
// wake-up, or polls the GPIO keys when they are set up.
#pragma once

extern int epollFd;

// Pause between two passes over the GPIO keys.
constexpr unsigned int kGpioPassPauseMs = 10;

// One sample of every enabled ADC group: the work of each wake-up.
void SampleEnabledGroups();
void TavrionThread();
// Starts the worker and waits for it; -1 if the thread cannot be created (errno tells why).
int ThreadProcess();
