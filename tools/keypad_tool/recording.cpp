#include "recording.h"

#include "replay_engine.h"

// Samples between two steps of a channel: those at from, from + period, ... before to.
static uint32_t SamplesBetween(uint64_t from, uint64_t to, uint32_t period) {
    uint64_t samples = (to - from + period - 1) / period;
    return samples > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(samples);
}

int ReadRecording(const std::string& text, Recording& recording, TraceProblem& problem) {
    long headerLine = 0;
    const uint32_t header = TraceHeaderPeriod(text, headerLine);
    recording.periodMs = header != 0 ? header : kDefaultPeriodMs;
    recording.endMs = 0;
    for (std::vector<ReadingRun>& runs : recording.channels) runs.clear();
    uint64_t since[kBoardChannels] = {};  // when each channel's last run began
    const int read = EachTraceStep(
        text,
        [&](const TraceStep& step, long number) -> const char* {
            recording.endMs = step.ms;
            if (step.kind != kTraceAdc && step.kind != kTraceAdcFail) return nullptr;
            std::vector<ReadingRun>& runs = recording.channels[step.target];
            const bool failed = step.kind == kTraceAdcFail;
            const uint32_t reading = failed ? 0 : step.value;
            if (!runs.empty()) {
                ReadingRun& last = runs.back();
                if (last.failed == failed && last.reading == reading) return nullptr;  // no change
                last.samples = SamplesBetween(since[step.target], step.ms, recording.periodMs);
                if (last.samples == 0) runs.pop_back();  // replaced at the same millisecond
            }
            runs.push_back(ReadingRun{reading, failed, 0, static_cast<int>(number)});
            since[step.target] = step.ms;
            return nullptr;
        },
        problem);
    if (read != 0) return -1;
    // The last step of a recording is its last sample.
    for (uint32_t c = 0; c < kBoardChannels; ++c) {
        std::vector<ReadingRun>& runs = recording.channels[c];
        if (!runs.empty()) {
            runs.back().samples = SamplesBetween(since[c], recording.endMs, recording.periodMs) + 1;
        }
    }
    return 0;
}
