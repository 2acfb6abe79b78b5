// Any bytes as a replay trace through keypad-tool replay and calibrate: the trace reader checks
// every line, the replay engine plays it into the daemon on a shipped layout, and calibrate
// analyses it as a recording of that panel; both draw their pictures, which stay within a bound
// whatever the trace. On the side, every step the reader accepts must print back as a line that
// reads as the same step.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "calibrate_command.h"
#include "input_file.h"
#include "replay_command.h"
#include "trace_line.h"

// One ladder of seven keys; and GPIO keys, which the daemon then polls alone, beside two ADC
// groups that calibrate still reads.
static std::string layouts[2];

static bool SameStep(const TraceStep& a, const TraceStep& b) {
    return a.ms == b.ms && a.kind == b.kind && a.target == b.target && a.value == b.value &&
           strcmp(a.name, b.name) == 0 && strcmp(a.text, b.text) == 0;
}

// A replay runs every wake-up up to its last step, and the fuzzer soon learns to write times of
// hours: it would then spend its budget waiting on the clock. Such traces are read, not played.
static constexpr uint64_t kLongestPlayedMs = 10 * 60 * 1000;

// A picture is reduced to its pixels however long the trace: a few hundred kilobytes at most.
static constexpr size_t kLargestPicture = 4 << 20;

// The time of the step the line holds (0 for none).
static uint64_t RoundTrip(const char* line) {
    TraceStep step;
    const char* why = nullptr;
    if (ParseTraceLine(line, step, &why) != 1) return 0;
    char printed[512];
    if (FormatTraceStep(step, printed, sizeof printed) >= static_cast<int>(sizeof printed)) {
        abort();
    }
    TraceStep again;
    if (ParseTraceLine(printed, again, &why) != 1 || !SameStep(step, again)) abort();
    return step.ms;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (ReadInputFile(TRACE_FUZZ_ADC_LAYOUT, layouts[0]) != 0 ||
        ReadInputFile(TRACE_FUZZ_GPIO_LAYOUT, layouts[1]) != 0) {
        abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    uint64_t lastMs = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const uint64_t ms = RoundTrip(text.substr(start, end - start).c_str());
        if (ms > lastMs) lastMs = ms;
        start = end + 1;
    }
    // Calibrate reads runs of samples, not every wake-up: any time is cheap.
    std::string svg;
    CalibrateText({"key_pad.xml", "fuzz.trace", nullptr, false, nullptr}, layouts[size % 2], text,
                  &svg);
    if (svg.size() > kLargestPicture) abort();
    if (lastMs > kLongestPlayedMs) return 0;
    // A part of the picture chosen by the input too.
    const uint64_t from = size > 0 ? data[0] * 100 : 0;
    const uint64_t to = size > 1 && data[1] > data[0] ? data[1] * 100 : 0;
    svg.clear();
    ReplayText({"key_pad.xml", "fuzz.trace", 0, "fuzz.svg", from, to}, layouts[size % 2], text,
               &svg);
    if (svg.size() > kLargestPicture) abort();
    return 0;
}
