// One line of a replay trace: what the board does from a given millisecond on.
//
//   <ms> adc <channel> <reading>    the channel reads this (decimal or 0x-hex)
//   <ms> adc <channel> fail         reads of the channel fail
//   <ms> gpio <line> <level>        GPIO line group * 8 + pin goes to 0 (pressed) or 1
//   <ms> keylock 0|1                the key-lock value of the device information
//   <ms> prop <name>=<value>        a system property (an empty value unsets it)
//   <ms> stall <duration>           the worker is not scheduled for that many milliseconds
//   # comment                       also after a step; blank lines are fine
#pragma once

#include <cutils/properties.h>
#include <stddef.h>
#include <stdint.h>

#include "replay_board.h"

enum TraceKind { kTraceAdc, kTraceAdcFail, kTraceGpio, kTraceKeyLock, kTraceProp, kTraceStall };

struct TraceStep {
    uint64_t ms;
    TraceKind kind;
    uint32_t target;  // channel or line
    uint32_t value;   // reading, level, key-lock value or stall duration
    char name[kBoardPropertyName];
    char text[PROPERTY_VALUE_MAX];
};

// Times beyond a day are refused: the replay takes every wake-up of the worker in turn, so a day
// of 10 ms samples already takes seconds, and a time mistyped by a few digits would keep the
// tool busy for hours.
constexpr uint64_t kMaxTraceMs = 24ull * 60 * 60 * 1000;
// The longest stall of the worker a step may ask for.
constexpr uint64_t kMaxStallMs = 60000;

// 1: the line holds a step; 0: blank or comment; -1: malformed, and *why says what is wrong.
int ParseTraceLine(const char* line, TraceStep& step, const char** why);
// The step as a trace line (without line end) that parses back to the same step; the length
// of the whole line, which is cut to fit size as snprintf does.
int FormatTraceStep(const TraceStep& step, char* line, size_t size);
