// What the daemon's events must satisfy, whatever the stream of readings:
//   - a key that goes down goes up before it goes down again, no key goes up that is not down,
//     and never are two keys down at once;
//   - a panel that has been quiet (idle, readable, its worker running) for 100 ms has no key
//     down, and as long as the panel has never left the idle reading, nothing at all is sent;
//   - a long-press key's long click comes only once its duration has passed since the press
//     began (and again since the last one, with Repeat), at most once without Repeat, and one
//     press never sends both its short and its long click;
//   - a key held on its own (no other ladder touched, no key down as it begins, no other key of
//     its ladder confirmed before it is let go) sends exactly its action, at the samples where it
//     is due: its code down at its first confirmed sample and up at the first confirmed idle
//     sample 40 ms after its last confirmed one; or its long clicks at the confirmed samples
//     where they are due; or one short click where its release is confirmed. The code and the
//     path are those of the key-lock mode at its first confirmed sample.
// The daemon's debounce: a key is confirmed by four samples in a row of its slot with the same
// code; four idle or failed samples in a row end the press that is going on, and another key of
// the ladder confirmed ends the press of the key it took over from.
#pragma once

#include <string>
#include <vector>

#include "soak_layout.h"
#include "trace_line.h"
#include "virtual_devices.h"

struct SoakMode {
    int32_t keyLock;
    bool displayLock;
    bool shutdown;
};

struct SoakChecker {
    const SoakLayout* layout;
    // The board as the steps left it.
    uint32_t reading[3];
    bool fails[3];
    int32_t keyLock;
    std::string props[4];  // as the steps set them; empty: unset
    uint64_t quietSince;   // the panel idle and the worker running since then
    bool leftIdle;
    // Each group's run of samples of one slot (-1: idle or failed) with one code.
    struct Run {
        int slot;
        uint32_t code;
        int length;
        uint64_t since;
    } run[3];
    // A press going on in the group since its first confirmed sample, in that sample's mode.
    bool engaged[3];
    SoakMode mode[3];
    uint64_t lastBusy[3];  // the last sample at which the group was not idle
    // Per key its part in the press going on.
    struct Press {
        bool on;
        uint64_t since;
        int shortClicks;
        int longClicks;
        uint64_t lastLong;
    } press[3][8];
    // The key held on its own that is being followed, and the events it must send.
    struct Hold {
        bool on;
        int group;
        int key;
        uint32_t code;
        bool immediate;
        uint64_t pressTime;  // long-press key: timed from
        bool longSent;
        uint64_t lastConfirmed;  // immediate key
        bool released;           // immediate key: let go, its key-up due
        std::vector<ReplayEvent> want;
    } hold;
    std::vector<ReplayEvent> log;  // the events since the hold began
    uint64_t holdsChecked;
    bool down[1024];
    std::vector<ReplayEvent> pending;
    // The first violation, empty while there is none.
    std::string failure;
    uint64_t failureMs;
};

void StartChecker(SoakChecker& c, const SoakLayout& layout);
// A step, as the board applies it.
void CheckerStep(SoakChecker& c, const TraceStep& step);
void CheckerEvent(const ReplayEvent& event, void* checker);
// After the daemon's wake-up at ms (one sample of every group).
void CheckerSample(SoakChecker& c, uint64_t ms);
