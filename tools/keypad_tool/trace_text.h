// A replay trace held in memory (as ReadInputFile reads it, once): its steps in order, and the
// conversion period its header states.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>

#include "trace_line.h"

// Where and why a trace cannot be taken.
struct TraceProblem {
    long line;
    const char* why;
};

// Calls take(step, line) on every step of text in order; take returns nullptr to go on, or why
// it cannot take the step. 0 after the last step; -1 at the first malformed line, step back in
// time or step refused, with problem saying where and why.
int EachTraceStep(const std::string& text,
                  const std::function<const char*(const TraceStep&, long)>& take,
                  TraceProblem& problem);

// The period stated by a "# period: N ms" comment before the first step (keypad-record writes
// one), or 0 when there is none or it is no valid period; line: where it stands.
uint32_t TraceHeaderPeriod(const std::string& text, long& line);
