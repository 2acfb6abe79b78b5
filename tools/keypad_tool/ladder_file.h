// A front panel's resistor ladder as the schematic gives it, in a small text file: one statement
// a line, `#` starting a comment.
//
//   pull-up R            the resistor from the supply to the ADC input
//   tolerance P%         the tolerance of every resistor named on the lines after it (default 1%)
//   chain R1 R2 ... Rn   a series ladder: slot 0 ties the input to ground directly, slot k
//                        through R1 + ... + Rk; the key nearer the input wins when two are pressed
//   key SLOT R           instead of chain: that slot's own resistor to ground (0: a direct short);
//                        keys pressed together put their resistors in parallel
//   adc-error C          the converter's own error, in counts either way (default 2)
//
// Resistances are ohms with an optional k or M, the letter standing after the number or for its
// decimal point: 470, 4.7k, 4k7, 1M5, 2R2.
#pragma once

#include <stdint.h>

#include <string>

#include "finding.h"
#include "key_pars/key_pars.h"

// Resistances are whole milliohms and tolerances whole hundredths of a percent, so that the
// readings come out exact even where one lies on a rounding edge.
constexpr int64_t kMilliohmsPerOhm = 1000;
constexpr int64_t kMaxMilliohms = 10000000 * kMilliohmsPerOhm;  // 10M
constexpr int kToleranceScale = 10000;                          // 100 %
constexpr int kDefaultTolerance = 100;                          // 1 %
constexpr int kDefaultAdcError = 2;
constexpr int kMaxAdcError = 255;

struct LadderSlot {
    bool present;
    int line;           // the chain or key line
    int64_t milliohms;  // to ground, with the key pressed alone
    int tolerance;      // of every resistor on the way
};

struct Ladder {
    bool chained;  // a chain line; otherwise key lines
    int64_t pullUp;
    int pullUpTolerance;
    int pullUpLine;
    int adcError;
    std::vector<int64_t> chain;  // the chain's resistors, as written
    LadderSlot slots[kKeySlots];
};

// Reads a ladder file: 0, or -1 with an error for each malformed line (at most ten) and for what
// the file lacks (a pull-up, any key).
int ParseLadder(const std::string& text, Ladder& ladder, Findings& errors);

// One resistance or tolerance as the file writes it; false with why when it is not one.
bool ParseResistance(const std::string& text, int64_t& milliohms, std::string& why);
bool ParseTolerance(const std::string& text, int& tolerance, std::string& why);

// "4.7k", "2.2", "1.5M": the shortest text that reads back as the same value.
std::string ResistanceText(int64_t milliohms);
// "1%", "0.25%".
std::string ToleranceText(int tolerance);
// The file that reads back as this ladder.
std::string LadderText(const Ladder& ladder);
