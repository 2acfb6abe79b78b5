// What the converter reads from a resistor ladder, nominally and at worst:
// - the converter is ratiometric (the ladder's supply is its reference) and 8-bit;
// - a key that ties the input to ground through R reads floor(255 × R / (R + Rpu) + 0.5);
// - at worst from the reading at R × (1 - tol) with Rpu × (1 + tol_pu) to the reading at
//   R × (1 + tol) with Rpu × (1 - tol_pu), widened by the converter's error each way and clamped
//   to 0...255 (a chain's sum takes each of its resistors at the same extreme);
// - the panel at rest reads 255 - adc-error ... 255.
#pragma once

#include <stdint.h>

constexpr int kFullScale = 255;

struct ReadingRange {
    int low;
    int high;
};

// The nominal reading of R to ground (milliohms) against the pull-up.
int LadderReading(int64_t toGround, int64_t pullUp);
// The worst case of R to ground at tolerance tol against the pull-up at tolerance pullUpTol
// (hundredths of a percent), widened by adcError counts.
ReadingRange WorstCase(int64_t toGround, int tol, int64_t pullUp, int pullUpTol, int adcError);
// Two keys of their own resistors (a and b, each at its tolerance) pressed together.
ReadingRange ParallelWorstCase(int64_t a, int tolA, int64_t b, int tolB, int64_t pullUp,
                               int pullUpTol, int adcError);
ReadingRange RestRange(int adcError);
