// Designing a chain ladder from a resistor series: the chain whose worst-case ranges all fit
// 16-count windows with the largest smallest gap between neighbouring ranges, the panel's rest
// reading counting as a neighbour.
#pragma once

#include <stdint.h>

#include <string>

#include "ladder_file.h"

struct LadderDesignRequest {
    int keys;       // slot 0 included: a chain of keys - 1 resistors
    int tolerance;  // of every resistor, the pull-up's too (hundredths of a percent)
    int series;     // 12, 24, 48 or 96: the E-series the chain's resistors come from
    int64_t pullUp;
    int adcError;
};

constexpr int kMinDesignKeys = 2;

bool SeriesKnown(int series);

// 0 with the design; -1 when no chain of the series fits.
int DesignLadder(const LadderDesignRequest& request, Ladder& ladder);
// The design as a ladder file: a few comment lines (the smallest gap among them), then the
// tolerance, adc-error, pull-up and chain lines, which read back as exactly this ladder.
std::string DesignText(const LadderDesignRequest& request, const Ladder& ladder);
// When nothing fits: which smaller tolerance of the series, which finer series, or how many keys
// would.
std::string DesignAdvice(const LadderDesignRequest& request);
