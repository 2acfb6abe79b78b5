#include "trace_text.h"

#include <stdio.h>

#include "period_option.h"

// The line that starts at at, without its end; at moves past it. False after the last line.
static bool NextLine(const std::string& text, size_t& at, std::string& line) {
    if (at >= text.size()) return false;
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    line.assign(text, at, end - at);
    at = end + 1;
    return true;
}

int EachTraceStep(const std::string& text,
                  const std::function<const char*(const TraceStep&, long)>& take,
                  TraceProblem& problem) {
    std::string line;
    uint64_t last = 0;
    size_t at = 0;
    for (long number = 1; NextLine(text, at, line); ++number) {
        TraceStep step;
        const char* why = nullptr;
        const int parsed = ParseTraceLine(line.c_str(), step, &why);
        if (parsed == 0) continue;
        if (parsed > 0 && step.ms < last) why = "the time goes back";
        if (parsed > 0 && !why) why = take(step, number);
        if (why) {
            problem = TraceProblem{number, why};
            return -1;
        }
        last = step.ms;
    }
    return 0;
}

uint32_t TraceHeaderPeriod(const std::string& text, long& line) {
    std::string content;
    size_t at = 0;
    for (long number = 1; NextLine(text, at, content); ++number) {
        TraceStep step;
        const char* why = nullptr;
        if (ParseTraceLine(content.c_str(), step, &why) != 0) return 0;
        char digits[16] = {};
        char unit[3] = {};
        uint32_t period = 0;
        if (sscanf(content.c_str(), " # period: %15[0-9] %2s", digits, unit) == 2 &&
            unit[0] == 'm' && unit[1] == 's' && ParsePeriodMs(digits, period)) {
            line = number;
            return period;
        }
    }
    return 0;
}
