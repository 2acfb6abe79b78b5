#include "ladder_model.h"

#include <math.h>

#include <algorithm>

#include "ladder_file.h"

// floor(255 R / (R + Rpu) + 0.5) = floor((510 R + R + Rpu) / (2 (R + Rpu))), in whole numbers:
// resistances of up to 7 × 10M in milliohms, scaled by up to 2 × 10000 for their tolerance, keep
// every product below 2^60.
static int Reading(int64_t toGround, int64_t pullUp) {
    const int64_t total = toGround + pullUp;
    return static_cast<int>((2 * kFullScale * toGround + total) / (2 * total));
}

int LadderReading(int64_t toGround, int64_t pullUp) { return Reading(toGround, pullUp); }

static ReadingRange Widen(int low, int high, int adcError) {
    return {std::max(low - adcError, 0), std::min(high + adcError, kFullScale)};
}

ReadingRange WorstCase(int64_t toGround, int tol, int64_t pullUp, int pullUpTol, int adcError) {
    // Both sides scaled by 10000, so that R × (1 ± tol) stays whole.
    const int low =
        Reading(toGround * (kToleranceScale - tol), pullUp * (kToleranceScale + pullUpTol));
    const int high =
        Reading(toGround * (kToleranceScale + tol), pullUp * (kToleranceScale - pullUpTol));
    return Widen(low, high, adcError);
}

// Two resistors in parallel are a product over a sum, past whole 64-bit numbers: this reading
// is for a warning, and a double is exact enough for it.
static int ParallelReading(double a, double b, double pullUp) {
    const double r = a + b > 0 ? a * b / (a + b) : 0;
    return static_cast<int>(floor(kFullScale * r / (r + pullUp) + 0.5));
}

ReadingRange ParallelWorstCase(int64_t a, int tolA, int64_t b, int tolB, int64_t pullUp,
                               int pullUpTol, int adcError) {
    auto at = [](int64_t r, int tol, int sign) {
        return static_cast<double>(r) * (kToleranceScale + sign * tol);
    };
    const int low = ParallelReading(at(a, tolA, -1), at(b, tolB, -1), at(pullUp, pullUpTol, 1));
    const int high = ParallelReading(at(a, tolA, 1), at(b, tolB, 1), at(pullUp, pullUpTol, -1));
    return Widen(low, high, adcError);
}

ReadingRange RestRange(int adcError) { return {std::max(kFullScale - adcError, 0), kFullScale}; }
