#include "soak_check.h"

#include <stdio.h>
#include <string.h>

#include "soak_trace.h"

static constexpr uint64_t kQuietMs = 100;
// Samples in a row without a key that end a press (the daemon confirms on the fourth).
static constexpr int kReleaseSamples = 4;
static constexpr uint32_t kPower = 116;

static void Fail(SoakChecker& c, uint64_t ms, const char* format, unsigned a, unsigned b = 0,
                 unsigned d = 0) {
    if (!c.failure.empty()) return;
    char text[200];
    snprintf(text, sizeof text, format, a, b, d);
    c.failure = text;
    c.failureMs = ms;
}

void StartChecker(SoakChecker& c, const SoakLayout& layout) {
    c.layout = &layout;
    for (int g = 0; g < 3; ++g) {
        c.reading[g] = kIdleReading;
        c.fails[g] = false;
        c.noKeyRun[g] = kReleaseSamples;
    }
    memset(c.low, 0, sizeof c.low);
    c.quietSince = 0;
    c.leftIdle = false;
    memset(c.press, 0, sizeof c.press);
    memset(c.down, 0, sizeof c.down);
    memset(c.seen, 0, sizeof c.seen);
    c.pending.clear();
    c.failure.clear();
    c.failureMs = 0;
}

static int KeyNow(const SoakChecker& c, int g) {
    return c.fails[g] ? -1 : KeyOfReading(c.layout->group[g], c.reading[g]);
}

static bool PanelIdle(const SoakChecker& c) {
    for (int n = 0; c.layout->gpio && n < c.layout->group[0].keys; ++n) {
        if (c.low[n]) return false;
    }
    for (int g = 0; g < c.layout->groups; ++g) {
        if (c.fails[g] || KeyNow(c, g) >= 0) return false;
    }
    return true;
}

void CheckerStep(SoakChecker& c, const TraceStep& step) {
    const bool wasIdle = PanelIdle(c);
    const SoakGroup& keys = c.layout->group[0];
    for (int g = 0; g < c.layout->groups; ++g) {
        if (c.layout->group[g].channel != step.target) continue;
        if (step.kind == kTraceAdc) {
            c.reading[g] = step.value;
            c.fails[g] = false;
            c.leftIdle = c.leftIdle || step.value != kIdleReading;
        } else if (step.kind == kTraceAdcFail) {
            c.fails[g] = c.leftIdle = true;
        }
    }
    for (int n = 0; c.layout->gpio && n < keys.keys; ++n) {
        if (step.kind == kTraceGpio && keys.key[n].line == step.target) {
            c.low[n] = step.value == 0;
            c.leftIdle = c.leftIdle || c.low[n];
        }
    }
    if (PanelIdle(c) && !wasIdle && step.ms > c.quietSince) c.quietSince = step.ms;
    if (step.kind == kTraceStall && step.ms + step.value > c.quietSince) {
        c.quietSince = step.ms + step.value;
    }
}

void CheckerEvent(const ReplayEvent& event, void* checker) {
    static_cast<SoakChecker*>(checker)->pending.push_back(event);
}

// The long-press key whose long (or short) code this is: group and slot, or false.
static bool LongKeyOf(const SoakLayout& layout, uint32_t code, bool longCode, int& g, int& k) {
    for (g = 0; g < layout.groups; ++g) {
        for (k = 0; k < layout.group[g].keys; ++k) {
            const SoakKey& key = layout.group[g].key[k];
            if (key.longCode == 0) continue;
            // The power code also stands for key-lock clicks, so it names no key.
            if (longCode ? key.longCode == code : key.code == code && code != kPower) return true;
        }
    }
    return false;
}

static void Click(SoakChecker& c, uint64_t ms, uint32_t code) {
    int g = 0;
    int k = 0;
    const bool isLong = LongKeyOf(*c.layout, code, true, g, k);
    if (!isLong && !LongKeyOf(*c.layout, code, false, g, k)) return;
    SoakChecker::Press& p = c.press[g][k];
    const SoakKey& key = c.layout->group[g].key[k];
    if (!p.on) {
        Fail(c, ms, "click of code %u, but key %u of group %u is not pressed", code, k, g);
        return;
    }
    if (!isLong) {
        if (++p.shortClicks > 1) Fail(c, ms, "second short click %u in one press", code);
        if (p.longClicks > 0) Fail(c, ms, "short click %u after the long click of one press", code);
        return;
    }
    const uint64_t from = p.longClicks > 0 ? p.lastLong : p.since;
    if (ms < from + key.duration) {
        Fail(c, ms, "long click %u only %u ms after %u ms, before its duration", code,
             static_cast<unsigned>(ms - from), static_cast<unsigned>(from));
    }
    if (p.longClicks > 0 && !key.repeat) Fail(c, ms, "second long click %u in one press", code);
    if (p.shortClicks > 0) Fail(c, ms, "long click %u after the short click of one press", code);
    ++p.longClicks;
    p.lastLong = ms;
}

// A GPIO key 1 to 7 starts out taken as pressed: its first report may be a key-up.
static bool StartUpReport(const SoakChecker& c, uint32_t code) {
    if (!c.layout->gpio || c.seen[code]) return false;
    for (int n = 1; n < c.layout->group[0].keys; ++n) {
        if (c.layout->group[0].key[n].code == code) return true;
    }
    return false;
}

static void Events(SoakChecker& c, uint64_t ms) {
    for (size_t i = 0; i < c.pending.size(); ++i) {
        const uint32_t code = c.pending[i].code;
        const uint32_t value = c.pending[i].value;
        if (code >= sizeof c.down || value > 1) {
            Fail(c, ms, "event %u with value %u", code, value);
            return;
        }
        const bool exempt = value == 0 && StartUpReport(c, code);
        if (!c.leftIdle && !exempt)
            Fail(c, ms, "event %u:%u from a panel never touched", code, value);
        const bool click = value == 1 && i + 1 < c.pending.size() &&
                           c.pending[i + 1].code == code && c.pending[i + 1].value == 0;
        if (value == 1 && c.down[code]) Fail(c, ms, "key-down %u of a key already down", code);
        if (value == 0 && !c.down[code] && !exempt)
            Fail(c, ms, "key-up %u of a key not down", code);
        c.seen[code] = true;
        if (click) {
            Click(c, ms, code);
            ++i;
        } else {
            c.down[code] = value == 1;
        }
    }
    c.pending.clear();
}

void CheckerSample(SoakChecker& c, uint64_t ms) {
    // Presses begin before the events of the sample, and end after them: a release is reported
    // at the sample that confirms it.
    bool ends[3] = {};
    for (int g = 0; g < c.layout->groups; ++g) {
        const int k = KeyNow(c, g);
        if (k < 0) {
            // A failed read ends a press at once (a failing channel must never hold a key).
            if (c.fails[g]) c.noKeyRun[g] = kReleaseSamples - 1;
            ends[g] = ++c.noKeyRun[g] == kReleaseSamples;
            continue;
        }
        c.noKeyRun[g] = 0;
        if (!c.press[g][k].on) c.press[g][k] = SoakChecker::Press{true, ms, 0, 0, 0};
    }
    Events(c, ms);
    for (int g = 0; g < c.layout->groups; ++g) {
        if (ends[g]) memset(c.press[g], 0, sizeof c.press[g]);
    }
    int held = 0;
    for (bool d : c.down) held += d;
    if (!c.layout->gpio && held > 1) Fail(c, ms, "%u keys down at once", held);
    if (held > 0 && PanelIdle(c) && ms >= c.quietSince + kQuietMs) {
        Fail(c, ms, "%u key(s) down on a panel quiet since %u ms", held,
             static_cast<unsigned>(c.quietSince));
    }
}
