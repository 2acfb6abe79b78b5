// The conversion period that keypad-tool record, watch and replay and keypad-record take with
// --period-ms, and that a trace's header states: whole milliseconds from 1 to 60000. One rule for
// all, so that a period one command takes is never refused, or read otherwise, by another.
#pragma once

#include <stdint.h>

constexpr uint32_t kMinPeriodMs = 1;
constexpr uint32_t kMaxPeriodMs = 60000;

// True when text is such a period, in decimal digits alone; it is then stored in period.
inline bool ParsePeriodMs(const char* text, uint32_t& period) {
    uint32_t value = 0;
    if (*text == '\0') return false;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || value > kMaxPeriodMs) return false;
        value = value * 10 + static_cast<uint32_t>(*c - '0');
    }
    if (value < kMinPeriodMs || value > kMaxPeriodMs) return false;
    period = value;
    return true;
}
