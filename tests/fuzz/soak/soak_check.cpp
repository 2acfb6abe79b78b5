#include "soak_check.h"

#include <stdio.h>
#include <string.h>

#include "soak_trace.h"

static constexpr uint64_t kQuietMs = 100;
static constexpr uint64_t kMinPressMs = 40;
// Samples in a row that confirm a key, or the idle panel.
static constexpr int kConfirm = 4;
static constexpr uint32_t kPower = 116;
static constexpr uint32_t kKeyLock = 744;
static const char* const kPropNames[4] = {
    "json.smarttv.configure.order.displaykeylock", "persist.prop.displaykeylock.enable",
    "json.smarttv.configure.order.LongpressToShutdown", "quorel.prop.Longpresstoshutdown"};

static void Fail(SoakChecker& c, uint64_t ms, const std::string& text) {
    if (!c.failure.empty()) return;
    c.failure = text;
    c.failureMs = ms;
}

static std::string Text(const char* format, unsigned a, unsigned b = 0, unsigned d = 0) {
    char text[200];
    snprintf(text, sizeof text, format, a, b, d);
    return text;
}

void StartChecker(SoakChecker& c, const SoakLayout& layout) {
    c.layout = &layout;
    for (int g = 0; g < 3; ++g) {
        c.reading[g] = kIdleReading;
        c.fails[g] = false;
        // The daemon starts as if an idle sample had been taken.
        c.run[g] = SoakChecker::Run{-1, 0, 1, 0};
        c.engaged[g] = false;
        c.lastBusy[g] = 0;
    }
    c.keyLock = 0;
    for (std::string& prop : c.props) prop.clear();
    c.quietSince = 0;
    c.leftIdle = false;
    memset(c.press, 0, sizeof c.press);
    c.hold = SoakChecker::Hold{};
    c.log.clear();
    c.holdsChecked = 0;
    memset(c.down, 0, sizeof c.down);
    c.pending.clear();
    c.failure.clear();
    c.failureMs = 0;
}

static int KeyNow(const SoakChecker& c, int g) {
    return c.fails[g] ? -1 : KeyOfReading(c.layout->group[g], c.reading[g]);
}

static bool PanelIdle(const SoakChecker& c) {
    for (int g = 0; g < c.layout->groups; ++g) {
        if (c.fails[g] || KeyNow(c, g) >= 0) return false;
    }
    return true;
}

static bool Setting(const SoakChecker& c, int first) {
    const std::string& value = c.props[first].empty() ? "Null" : c.props[first];
    if (value != "Null") return value == "true";
    return c.props[first + 1] == "true";
}

static SoakMode CurrentMode(const SoakChecker& c) {
    return {c.keyLock, Setting(c, 0), Setting(c, 2)};
}

static uint32_t CodeInMode(uint32_t code, const SoakMode& mode) {
    if (mode.keyLock != 1) return code;
    return mode.displayLock || code != kPower ? kKeyLock : kPower;
}

void CheckerStep(SoakChecker& c, const TraceStep& step) {
    const bool wasIdle = PanelIdle(c);
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
    if (step.kind == kTraceKeyLock) c.keyLock = static_cast<int32_t>(step.value);
    for (int p = 0; step.kind == kTraceProp && p < 4; ++p) {
        if (strcmp(step.name, kPropNames[p]) == 0) c.props[p] = step.text;
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
        Fail(c, ms, Text("click of code %u, but key %u of group %u is not pressed", code, k, g));
        return;
    }
    if (!isLong) {
        if (++p.shortClicks > 1) Fail(c, ms, Text("second short click %u in one press", code));
        if (p.longClicks > 0) Fail(c, ms, Text("short click %u after the long click", code));
        return;
    }
    const uint64_t from = p.longClicks > 0 ? p.lastLong : p.since;
    if (ms < from + key.duration) {
        Fail(c, ms,
             Text("long click %u only %u ms after %u ms, before its duration", code,
                  static_cast<unsigned>(ms - from), static_cast<unsigned>(from)));
    }
    if (p.longClicks > 0 && !key.repeat) Fail(c, ms, Text("second long click %u", code));
    if (p.shortClicks > 0) Fail(c, ms, Text("long click %u after the short click", code));
    ++p.longClicks;
    p.lastLong = ms;
}

static void Events(SoakChecker& c, uint64_t ms) {
    for (size_t i = 0; i < c.pending.size(); ++i) {
        const uint32_t code = c.pending[i].code;
        const uint32_t value = c.pending[i].value;
        if (code >= sizeof c.down || value > 1) {
            Fail(c, ms, Text("event %u with value %u", code, value));
            return;
        }
        if (!c.leftIdle) Fail(c, ms, Text("event %u:%u from a panel never touched", code, value));
        const bool click = value == 1 && i + 1 < c.pending.size() &&
                           c.pending[i + 1].code == code && c.pending[i + 1].value == 0;
        if (value == 1 && c.down[code])
            Fail(c, ms, Text("key-down %u of a key already down", code));
        if (value == 0 && !c.down[code]) Fail(c, ms, Text("key-up %u of a key not down", code));
        if (click) {
            Click(c, ms, code);
            ++i;
        } else {
            c.down[code] = value == 1;
        }
    }
    if (c.hold.on) c.log.insert(c.log.end(), c.pending.begin(), c.pending.end());
    c.pending.clear();
}

static void Want(SoakChecker::Hold& h, uint64_t ms, uint32_t code, bool click) {
    h.want.push_back({ms, code, 1});
    if (click) h.want.push_back({ms, code, 0});
}

// A key of group g confirmed while no press went on there: it is followed when it is on its own.
static void BeginHold(SoakChecker& c, int g, uint64_t ms) {
    for (int h = 0; h < c.layout->groups; ++h) {
        if (h != g && c.lastBusy[h] >= c.run[g].since) return;
    }
    for (bool d : c.down) {
        if (d) return;
    }
    const SoakGroup& group = c.layout->group[g];
    const SoakKey& key = group.key[c.run[g].slot];
    SoakChecker::Hold& h = c.hold;
    h = SoakChecker::Hold{true, g, c.run[g].slot, c.run[g].code, false, 0, false, ms, false, {}};
    c.log.clear();
    const bool locked = h.code == kKeyLock && !c.mode[g].shutdown;
    if (locked && group.keys == 1) Want(h, ms, kPower, true);
    h.immediate = key.longCode == 0 || locked;
    if (h.immediate) {
        Want(h, ms, h.code, false);
    } else {
        h.pressTime = ms;
    }
}

// Group g's sample at ms, before its events: what the followed key must send at it. True when
// the hold is complete once this sample's events are in.
static bool FollowHold(SoakChecker& c, int g, uint64_t ms) {
    SoakChecker::Hold& h = c.hold;
    const SoakChecker::Run& r = c.run[g];
    const SoakKey& key = c.layout->group[g].key[h.key];
    const bool confirmed = r.length >= kConfirm;
    if ((confirmed && r.slot >= 0 && (r.slot != h.key || h.released)) ||
        (h.released && r.slot >= 0)) {
        h.on = false;  // another key took over, or the key came back before its key-up
        return false;
    }
    if (!confirmed) return false;
    if (r.slot == h.key && h.immediate) {
        h.lastConfirmed = ms;
    } else if (r.slot == h.key) {
        if ((!h.longSent || key.repeat) && ms > h.pressTime && ms - h.pressTime >= key.duration) {
            const bool toPower = h.code == kKeyLock && c.mode[g].shutdown;
            Want(h, ms, toPower ? kPower : key.longCode, true);
            h.longSent = true;
            if (key.repeat) h.pressTime = ms;
        }
    } else if (h.immediate) {
        h.released = true;
        if (ms <= h.lastConfirmed || ms - h.lastConfirmed < kMinPressMs) return false;
        Want(h, ms, h.code, false);
        h.want.back().value = 0;
        return true;
    } else if (c.engaged[g]) {
        if (!h.longSent && r.since > h.pressTime && r.since - h.pressTime >= kMinPressMs) {
            const bool onePower = c.mode[g].keyLock == 1 && c.layout->group[g].keys == 1;
            Want(h, ms, onePower ? (c.mode[g].shutdown ? kKeyLock : kPower) : key.code, true);
        }
        return true;
    }
    return false;
}

static std::string EventsText(const std::vector<ReplayEvent>& events, size_t from) {
    std::string text;
    for (size_t i = from; i < events.size(); ++i) {
        text +=
            Text(" %u:%u@%u", events[i].code, events[i].value, static_cast<unsigned>(events[i].ms));
    }
    return text.empty() ? " nothing" : text;
}

static void CompareHold(SoakChecker& c, uint64_t ms) {
    SoakChecker::Hold& h = c.hold;
    h.on = false;
    ++c.holdsChecked;
    bool same = c.log.size() == h.want.size();
    for (size_t i = 0; same && i < h.want.size(); ++i) {
        same = c.log[i].ms == h.want[i].ms && c.log[i].code == h.want[i].code &&
               c.log[i].value == h.want[i].value;
    }
    if (!same) {
        Fail(c, ms,
             Text("key %u of group %u held on its own sent", h.key, h.group) +
                 EventsText(c.log, 0) + "; want" + EventsText(h.want, 0));
    }
    c.log.clear();
}

void CheckerSample(SoakChecker& c, uint64_t ms) {
    // The runs and the presses as the daemon's debounce sees this sample. Presses begin before
    // the events of the sample, and end after them: a release is reported at the sample that
    // confirms it.
    const SoakMode current = CurrentMode(c);
    bool complete = false;
    for (int g = 0; g < c.layout->groups; ++g) {
        const int k = KeyNow(c, g);
        const uint32_t code =
            k < 0 ? 0
                  : CodeInMode(c.layout->group[g].key[k].code, c.engaged[g] ? c.mode[g] : current);
        SoakChecker::Run& r = c.run[g];
        if (k == r.slot && code == r.code) {
            ++r.length;
        } else {
            r = SoakChecker::Run{k, code, 1, ms};
        }
        if (k >= 0 && !c.press[g][k].on) c.press[g][k] = SoakChecker::Press{true, ms, 0, 0, 0};
        if (k >= 0 || c.fails[g] || c.engaged[g]) c.lastBusy[g] = ms;
        if (c.hold.on && c.hold.group != g && c.lastBusy[g] == ms) c.hold.on = false;
        if (c.hold.on && c.hold.group == g) complete = FollowHold(c, g, ms);
        if (r.length < kConfirm) continue;
        if (r.slot < 0) {
            c.engaged[g] = false;
        } else if (!c.engaged[g]) {
            c.engaged[g] = true;
            c.mode[g] = current;
            if (!c.hold.on) BeginHold(c, g, ms);
        }
    }
    Events(c, ms);
    if (complete && c.hold.on) CompareHold(c, ms);
    for (int g = 0; g < c.layout->groups; ++g) {
        const SoakChecker::Run& r = c.run[g];
        for (int k = 0; r.length >= kConfirm && k < c.layout->group[g].keys; ++k) {
            if (k != r.slot) c.press[g][k].on = false;
        }
    }
    int held = 0;
    for (bool d : c.down) held += d;
    if (held > 1) Fail(c, ms, Text("%u keys down at once", held));
    if (held > 0 && PanelIdle(c) && ms >= c.quietSince + kQuietMs) {
        Fail(c, ms,
             Text("%u key(s) down on a panel quiet since %u ms", held,
                  static_cast<unsigned>(c.quietSince)));
    }
}
