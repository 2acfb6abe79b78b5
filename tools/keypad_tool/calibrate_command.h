// keypad-tool calibrate: from a recording in which each key was pressed a few times, how well
// the layout's thresholds fit the panel's real readings, and thresholds that fit them better.
#pragma once

#include <string>

struct CalibrateOptions {
    const char* layout;
    const char* trace;
    const char* writePath;  // nullptr: propose only
    bool quiet;             // findings only
    const char* svgPath;    // nullptr: no picture
};

// 0 clean (or warnings only), 1 errors, 2 when the layout or the recording cannot be read or OUT
// cannot be written. Each input is read once, so pipes work as files do.
int RunCalibrate(const CalibrateOptions& options);
// The same on a layout and a recording already in memory; the options' names only label the
// output (and writePath, when set, is written). With svg, the picture is drawn into it.
int CalibrateText(const CalibrateOptions& options, const std::string& layout,
                  const std::string& trace, std::string* svg = nullptr);
