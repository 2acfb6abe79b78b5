// One recording: samples LSADC channels and GPIO lines through the daemon's own SDK wrappers at
// a fixed period and writes a replay trace of what changed, stamped in milliseconds from the
// first sample. The trace ends with a line for every channel and line at the last sample, so a
// replay runs to the moment the recording stopped.
#pragma once

#include <signal.h>
#include <stdint.h>
#include <stdio.h>

constexpr int kRecordMaxChannels = 256;  // LSADC channel ids are 8 bits
constexpr int kRecordMaxLines = 64;
constexpr uint32_t kRecordDefaultPeriodMs = 10;
// A replay takes at most a day; a recording stops there too.
constexpr uint64_t kRecordMaxMs = 24ull * 60 * 60 * 1000;

struct RecordOptions {
    uint32_t periodMs;
    uint64_t forMs;  // 0: until a stop request (or a day)
    uint32_t channels[kRecordMaxChannels];
    int channelCount;
    uint32_t gpioLines[kRecordMaxLines];  // group * 8 + pin
    int gpioCount;
    const char* layoutPath;  // named in the header; nullptr: none
    bool everySample;        // a line for every sample, not only for changes
    bool live;               // a live line per channel on standard error
};

// Set from a signal handler: the recording ends after the sample under way, with its last lines.
extern volatile sig_atomic_t recordStopRequested;

// Records until options.forMs or a stop request. 0, or -1 after saying on standard error why the
// trace could not be written (a pipe whose reader has gone included).
int RecordSession(const RecordOptions& options, FILE* out);
