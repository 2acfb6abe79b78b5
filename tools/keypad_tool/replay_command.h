// keypad-tool replay: what the daemon sends for a trace of board readings.
#pragma once

#include <stdint.h>

#include <string>

struct ReplayOptions {
    const char* file;
    const char* trace;
    uint32_t periodMs;    // --period-ms; 0: the trace's header says, else the board's default
    const char* svgPath;  // nullptr: no picture
    uint64_t fromMs;      // the part of the replay the picture shows
    uint64_t toMs;        // 0: to the end
};

// 0 after the whole trace, 2 when the layout or the trace cannot be read, or a trace line is
// malformed (nothing is replayed then). Each file is read once, so pipes work as files do.
int RunReplay(const ReplayOptions& options);
// The same on a layout and a trace already in memory; the options' names only label the output.
// With svg, the picture is drawn into it.
int ReplayText(const ReplayOptions& options, const std::string& layout, const std::string& trace,
               std::string* svg = nullptr);
