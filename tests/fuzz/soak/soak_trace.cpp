#include "soak_trace.h"

#include <string.h>

#include <algorithm>

namespace {

struct Builder {
    Rng& rng;
    const SoakLayout& layout;
    std::vector<TraceStep> steps;

    void Add(uint64_t ms, TraceKind kind, uint32_t target, uint32_t value) {
        TraceStep step;
        memset(&step, 0, sizeof step);
        step.ms = ms;
        step.kind = kind;
        step.target = target;
        step.value = value;
        steps.push_back(step);
    }

    uint32_t KeyReading(const SoakGroup& group, int k) {
        if (k == 0 && rng.Percent(10)) return rng.Below(6);
        return group.key[k].threshold - rng.Below(17);
    }

    // A reading that gives no key: idle, or between or above the windows.
    uint32_t NoKeyReading(const SoakGroup& group) {
        if (rng.Percent(70)) return kIdleReading;
        const SoakKey& key = group.key[rng.Below(group.keys)];
        return key.threshold + 1;
    }

    // Level changes of one line or channel: pressed, then flips back and forth for a few ms.
    uint64_t Bounce(uint64_t t, TraceKind kind, uint32_t target, uint32_t on, uint32_t off) {
        for (uint32_t flips = rng.Below(4); flips > 0; --flips) {
            Add(t, kind, target, on);
            t += 1 + rng.Below(8);
            Add(t, kind, target, off);
            t += 1 + rng.Below(8);
        }
        return t;
    }

    uint64_t HoldTime(const SoakKey& key) {
        const uint32_t kind = rng.Below(10);
        if (kind < 3) return rng.Below(60);
        if (kind < 6 || key.longCode == 0) return 40 + rng.Below(kind < 6 ? 600 : 3000);
        return key.duration + rng.Below(1500);
    }

    // One press of key k of group g from t; returns when the channel reads idle again.
    uint64_t PressAdc(int g, int k, uint64_t t, bool alone) {
        const SoakGroup& group = layout.group[g];
        const uint32_t ch = group.channel;
        uint32_t reading = KeyReading(group, k);
        t = Bounce(t, kTraceAdc, ch, reading, NoKeyReading(group));
        Add(t, kTraceAdc, ch, reading);
        const uint64_t end = t + HoldTime(group.key[k]);
        if (alone && layout.groups > 1 && rng.Percent(20)) {
            const int other =
                (g + 1 + static_cast<int>(rng.Below(layout.groups - 1))) % layout.groups;
            PressAdc(other, rng.Below(layout.group[other].keys), t + rng.Below(end - t + 1), false);
        }
        // Glitches while held: the contact drops out, the read fails, or the ladder passes
        // through another key's window for a sample or two, or stays there a while.
        for (uint64_t x = t + rng.Below(300); x < end && rng.Percent(50); x += rng.Below(400)) {
            const uint32_t kind = rng.Below(3);
            if (kind == 0) {
                Add(x, kTraceAdcFail, ch, 0);
            } else {
                const int other = kind == 1 ? -1 : static_cast<int>(rng.Below(group.keys));
                Add(x, kTraceAdc, ch, other < 0 ? NoKeyReading(group) : KeyReading(group, other));
            }
            x += 1 + rng.Below((rng.Percent(20) ? 10 : 2) * layout.periodMs);
            reading = KeyReading(group, k);
            Add(x, kTraceAdc, ch, reading);
        }
        t = Bounce(end, kTraceAdc, ch, NoKeyReading(group), reading);
        Add(t, kTraceAdc, ch, NoKeyReading(group));
        Add(t + rng.Below(30), kTraceAdc, ch, kIdleReading);
        return t;
    }

    void Background(uint64_t length) {
        static const char* const kNames[] = {
            "json.smarttv.configure.order.displaykeylock", "persist.prop.displaykeylock.enable",
            "json.smarttv.configure.order.LongpressToShutdown", "quorel.prop.Longpresstoshutdown"};
        static const char* const kValues[] = {"true", "false", "Null", "", "TRUE"};
        for (uint64_t n = rng.Below(static_cast<uint32_t>(length / 400) + 2); n > 0; --n) {
            const uint64_t at = rng.Below(static_cast<uint32_t>(length) + 1);
            const uint32_t kind = rng.Below(10);
            if (kind < 4) {
                Add(at, kTraceStall, 0, 1 + rng.Below(kind == 0 ? 1000 : 120));
            } else if (kind < 7) {
                Add(at, kTraceKeyLock, 0, rng.Below(2));
            } else {
                Add(at, kTraceProp, 0, 0);
                strcpy(steps.back().name, kNames[rng.Below(4)]);
                strcpy(steps.back().text, kValues[rng.Below(5)]);
            }
        }
    }
};

}  // namespace

std::vector<TraceStep> RandomTrace(Rng& rng, const SoakLayout& layout, bool idleOnly) {
    Builder b{rng, layout, {}};
    const uint64_t length = 1000 + rng.Below(20000);
    uint64_t t = rng.Below(200);
    while (t < length) {
        const uint32_t action = idleOnly ? 99 : rng.Below(100);
        const int g = static_cast<int>(rng.Below(layout.groups));
        const SoakGroup& group = layout.group[g];
        const int k = static_cast<int>(rng.Below(group.keys));
        if (action < 50) {
            t = b.PressAdc(g, k, t, true);
        } else if (action < 60) {
            // The channel cannot be read for a while.
            b.Add(t, kTraceAdcFail, group.channel, 0);
            t += 1 + rng.Below(200);
            b.Add(t, kTraceAdc, group.channel, kIdleReading);
        } else if (action < 70) {
            b.Add(t, kTraceAdc, group.channel, b.NoKeyReading(group));
            t += rng.Below(300);
            b.Add(t, kTraceAdc, group.channel, kIdleReading);
        }
        t += rng.Percent(80) ? rng.Below(150) : rng.Below(600);
    }
    b.Background(length);
    std::stable_sort(b.steps.begin(), b.steps.end(),
                     [](const TraceStep& x, const TraceStep& y) { return x.ms < y.ms; });
    return b.steps;
}
