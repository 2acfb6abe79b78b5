// A resistor ladder checked against one ADC group of a layout: each key's nominal and worst-case
// reading, its window and margins, thresholds that centre every range, and what is wrong. The
// results are plain data, for the printed report and for pictures alike; nothing here knows a
// file name or prints.
#pragma once

#include <stdint.h>

#include <vector>

#include "finding.h"
#include "key_pars/key_pars.h"
#include "ladder_file.h"
#include "ladder_model.h"
#include "reading_owners.h"

// What the layout gives the daemon for the group, and the daemon's matching of every reading.
struct LadderLayout {
    int group;
    bool enabled;
    int channel;
    int levels;  // KeyLevelNum, as the daemon stores it
    int groupLine;
    int threshold[kKeySlots];
    int line[kKeySlots];       // the <key_pad> element of each slot; 0: none
    int8_t owners[kReadings];  // the slot each reading gives; -1: none
};

constexpr int kNoMargin = -1000;
constexpr int kRestSlot = -1;  // the panel at rest, where a slot is named

struct LadderKey {
    int slot;
    bool onLadder;
    bool inLayout;
    int ladderLine;
    int layoutLine;
    int64_t milliohms;  // to ground, pressed alone
    int nominal;
    ReadingRange worst;
    int threshold;    // the layout's: the window is threshold - 16 ... threshold from 0x10 up
    bool held;        // every worst-case reading gives this key
    int marginBelow;  // counts from the range to the window's edges; kNoMargin: none that counts
    int marginAbove;
    int proposed;  // the threshold that centres the range; -1: none (no fit, or not on the ladder)
};

// Two keys of a key ladder pressed together, read as a third.
struct LadderPhantom {
    int first;
    int second;
    ReadingRange reading;  // the pair's worst case
    int third;
    ReadingRange inWindow;  // the part of it in the third key's window
};

struct LadderAnalysis {
    ReadingRange rest;
    std::vector<LadderKey> keys;  // every slot of the ladder or the layout, in slot order
    std::vector<LadderPhantom> phantoms;
    // The smallest gap between neighbouring worst-case ranges of the ladder, the rest reading
    // counting as one: readings between them (negative: they overlap), and the slots below and
    // above it (kRestSlot for the rest reading).
    int smallestGap;
    int gapBelow;
    int gapAbove;
    bool placed;  // the proposed thresholds hold every range
    Findings layoutFindings;
    Findings ladderFindings;
};

void AnalyseLadder(const Ladder& ladder, const LadderLayout& layout, LadderAnalysis& analysis);

// The thresholds whose 16-count window holds the slot's range (the readings 0 to 5 give key 0
// whatever its window); lowest > highest when none does.
void ThresholdBounds(int slot, ReadingRange range, int& lowest, int& highest);

// The ladder's worst-case ranges, with the smallest gap (as in LadderAnalysis).
void LadderRanges(const Ladder& ladder, ReadingRange ranges[kKeySlots], int& smallestGap,
                  int& gapBelow, int& gapAbove);
