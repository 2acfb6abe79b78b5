// What the daemon's events must satisfy, whatever the stream of readings:
//   - a key that goes down goes up before it goes down again, and no key goes up that is not
//     down (the start-up report of an idle GPIO key 1 to 7, a key-up the kernel drops, aside);
//   - ADC keys: never two held down at once;
//   - a panel that has been quiet (idle, readable, its worker running) for 100 ms has no key
//     down;
//   - a long-press key's long click comes only once its duration has passed since the press
//     began (and again since the last one, with Repeat), at most once without Repeat, and one
//     press never sends both its short and its long click;
//   - as long as the panel has never left the idle reading, nothing at all is sent.
// A press of an ADC key lasts until its group reads no key on four samples in a row (the
// daemon's debounce, which a glitch shorter than that must not get through) or a read fails.
#pragma once

#include <string>
#include <vector>

#include "soak_layout.h"
#include "trace_line.h"
#include "virtual_devices.h"

struct SoakChecker {
    const SoakLayout* layout;
    // The board as the steps left it.
    uint32_t reading[3];
    bool fails[3];
    bool low[8];
    uint64_t quietSince;  // the panel idle and the worker running since then
    bool leftIdle;
    // Each ADC group's press: samples in a row without a key, and per key its part in it.
    int noKeyRun[3];
    struct Press {
        bool on;
        uint64_t since;
        int shortClicks;
        int longClicks;
        uint64_t lastLong;
    } press[3][8];
    bool down[1024];
    bool seen[1024];
    std::vector<ReplayEvent> pending;
    // The first violation, empty while there is none.
    std::string failure;
    uint64_t failureMs;
};

void StartChecker(SoakChecker& c, const SoakLayout& layout);
// A step, as the board applies it.
void CheckerStep(SoakChecker& c, const TraceStep& step);
void CheckerEvent(const ReplayEvent& event, void* checker);
// After the daemon's wake-up at ms (one sample of every group, or one GPIO pass).
void CheckerSample(SoakChecker& c, uint64_t ms);
