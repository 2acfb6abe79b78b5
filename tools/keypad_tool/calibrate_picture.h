// keypad-tool calibrate --svg: what a recording shows along the reading axis. Per key its
// presses' readings as a histogram (samples at each reading), the window as the layout has it
// and the proposed one; the panel's rest reading; the transits and slides that the findings warn
// of, where they read; readings the window loses in the error colour, readings within a few
// counts of its edge in the warning colour.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "finding.h"
#include "reading_owners.h"

// A stretch of readings that a finding cites: a transit through a third key's window, or a
// slide from one key's press into another's.
struct CalibrateMark {
    uint32_t low, high;
    Severity severity;
};

struct CalibrateKeyPicture {
    int slot;
    uint32_t code;
    int proposed;  // the proposed threshold; -1 when none fits, the layout's when never pressed
    std::vector<uint64_t> samples;  // at each reading 0...255, over the key's presses
};

struct CalibrateGroupPicture {
    int group;
    uint32_t channel;
    uint32_t restLow, restHigh;
    int8_t owners[kReadings];  // the daemon's matching
    std::vector<CalibrateKeyPicture> keys;
    std::vector<uint64_t> unmatched;  // samples of presses that match no key
    std::vector<CalibrateMark> marks;
};

// named: the rows name their group (more than one group is calibrated).
std::string DrawCalibratePicture(const std::vector<CalibrateGroupPicture>& groups, bool named,
                                 const std::string& title);
