#include "recording.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "replay_engine.h"
#include "trace_line.h"

// Samples between two steps of a channel: those at from, from + period, ... before to.
static uint32_t SamplesBetween(uint64_t from, uint64_t to, uint32_t period) {
    uint64_t samples = (to - from + period - 1) / period;
    return samples > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(samples);
}

static bool HeaderPeriod(const char* line, uint32_t& period) {
    unsigned long value = 0;
    char unit[3] = {};
    if (sscanf(line, " # period: %lu %2s", &value, unit) != 2 || strcmp(unit, "ms") != 0) {
        return false;
    }
    if (value == 0 || value > 60000) return false;
    period = static_cast<uint32_t>(value);
    return true;
}

int ReadRecording(const char* path, Recording& recording) {
    FILE* file = fopen(path, "r");
    if (!file) {
        fprintf(stderr, "keypad-tool: cannot read %s: %s\n", path, strerror(errno));
        return -1;
    }
    recording.periodMs = kDefaultPeriodMs;
    recording.endMs = 0;
    for (std::vector<ReadingRun>& runs : recording.channels) runs.clear();
    uint64_t since[kBoardChannels] = {};  // when each channel's last run began
    char* text = nullptr;
    size_t size = 0;
    int result = 0;
    bool stepsBegun = false;
    for (int number = 1; result == 0 && getline(&text, &size, file) >= 0; ++number) {
        TraceStep step;
        const char* why = nullptr;
        int parsed = ParseTraceLine(text, step, &why);
        if (parsed == 0) {
            // The period must be known before the first step counts samples.
            if (!stepsBegun) HeaderPeriod(text, recording.periodMs);
            continue;
        }
        if (parsed > 0 && step.ms < recording.endMs) {
            parsed = -1;
            why = "the time goes back";
        }
        if (parsed < 0) {
            fprintf(stderr, "%s:%d: error: %s\n", path, number, why);
            result = -1;
            break;
        }
        stepsBegun = true;
        recording.endMs = step.ms;
        if (step.kind != kTraceAdc && step.kind != kTraceAdcFail) continue;
        std::vector<ReadingRun>& runs = recording.channels[step.target];
        const bool failed = step.kind == kTraceAdcFail;
        const uint32_t reading = failed ? 0 : step.value;
        if (!runs.empty()) {
            ReadingRun& last = runs.back();
            if (last.failed == failed && last.reading == reading) continue;  // no change
            last.samples = SamplesBetween(since[step.target], step.ms, recording.periodMs);
            if (last.samples == 0) runs.pop_back();  // replaced at the same millisecond
        }
        runs.push_back(ReadingRun{reading, failed, 0, number});
        since[step.target] = step.ms;
    }
    free(text);
    fclose(file);
    if (result != 0) return -1;
    // The last step of a recording is its last sample.
    for (uint32_t c = 0; c < kBoardChannels; ++c) {
        std::vector<ReadingRun>& runs = recording.channels[c];
        if (!runs.empty()) {
            runs.back().samples = SamplesBetween(since[c], recording.endMs, recording.periodMs) + 1;
        }
    }
    return 0;
}
