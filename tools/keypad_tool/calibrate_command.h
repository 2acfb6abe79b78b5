// keypad-tool calibrate: from a recording in which each key was pressed a few times, how well
// the layout's thresholds fit the panel's real readings, and thresholds that fit them better.
#pragma once

struct CalibrateOptions {
    const char* layout;
    const char* trace;
    const char* writePath;  // nullptr: propose only
    bool quiet;             // findings only
};

// 0 clean (or warnings only), 1 errors, 2 when the layout or the recording cannot be read.
int RunCalibrate(const CalibrateOptions& options);
