// Where a recorded channel holds still: a press, or the panel at rest. A reading counts as steady
// when it stays within a few counts for at least as many samples as the daemon needs to confirm a
// key; everything between two steady readings is a transit (the contact closing, sliding or
// opening).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "recording.h"

// Readings of one steady stretch differ by at most this much (noise of a held key).
constexpr uint32_t kSteadyBand = 4;
// The daemon confirms a key on its fourth equal sample.
constexpr uint64_t kSteadySamples = 4;

struct SteadyReading {
    size_t firstRun;  // runs [firstRun, endRun) of the channel
    size_t endRun;
    uint32_t low;
    uint32_t high;
    uint64_t samples;
    int line;  // the trace line where it begins
};

// The steady stretches of a channel's runs, in time order.
std::vector<SteadyReading> FindSteadyReadings(const std::vector<ReadingRun>& runs);
