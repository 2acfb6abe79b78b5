// Axes of keypad-tool's pictures: round tick values, and a long series of readings reduced to
// what one pixel column can show.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Tick values on lo..hi, at a step of 1, 2 or 5 times a power of ten, at most maxTicks of them
// (at least two when hi > lo): every multiple of the step within the range.
std::vector<double> AxisTicks(double lo, double hi, int maxTicks);
// The same for a time axis in ms: steps of 1, 2 or 5 up to 10 s, then of whole minutes and their
// common parts (15 s, 30 s, 1, 2, 5, 10, 15, 30 and 60 min).
std::vector<double> TimeTicks(double lo, double hi, int maxTicks);
// A time tick as read on an axis spanning spanMs: "250 ms" under 10 s, else "2.5 s".
std::string TimeTickLabel(double ms, double spanMs);

// A level that holds from its time until the next one's.
struct Level {
    uint64_t ms;
    uint32_t value;
    bool failed;  // the read failed: no value
};

// What one pixel column shows of a series of levels: the lowest and highest value held at any
// moment of the column, and whether a read failed in it.
struct Column {
    bool any;  // some value is held in the column
    uint32_t low;
    uint32_t high;
    bool failed;
};

// The levels (in time order) over from..to split into columns of equal time: every level held
// in a column, however briefly, counts in it, so no spike is lost. Linear in levels + columns.
std::vector<Column> ReduceToColumns(const std::vector<Level>& levels, uint64_t from, uint64_t to,
                                    int columns);
