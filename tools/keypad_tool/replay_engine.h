// Replays a trace through the daemon's own scanner and GPIO pass, on the in-memory board, with a
// virtual clock and a recording keyboard. The worker's timing is kept: with GPIO keys ready it
// polls only them, one pass every 10 ms from start-up on; otherwise, while start-up has switched
// a conversion on, every enabled ADC group is sampled once per conversion period, the first time
// one period after start-up. A step at time t is applied before the daemon's work at t.
//
// Usable in-process (fuzzing, soak runs): every session starts from the daemon's process-start
// state, and nothing is allocated while stepping.
#pragma once

#include <stdint.h>

#include <string>

#include "period_option.h"
#include "trace_line.h"
#include "virtual_devices.h"

// How the worker spends its wake-ups in this session.
enum ReplayMode { kReplayAdc, kReplayGpio, kReplayIdle };

// The conversion period of the board's controller when none is set (lsadc/period_ms).
constexpr uint32_t kDefaultPeriodMs = 10;

// Starts the daemon at time 0 on the layout whose bytes are layoutText; a period of 0 means the
// default. 0, or -1 when the daemon cannot load the layout.
int ReplayBegin(const std::string& layoutText, uint32_t periodMs, ReplayEventSink sink,
                void* context);
// Results of a step that cannot be taken.
constexpr int kReplayTimeGoesBack = -1;       // before the time already reached; nothing done
constexpr int kReplayTooManyProperties = -2;  // more than kBoardProperties names

// Runs the daemon up to the step's time, then applies the step: 0 or one of the codes above.
int ReplayStep(const TraceStep& step);
// Runs every sample or pass due at or before ms.
void ReplayRunThrough(uint64_t ms);

// Nothing more will be sent while the board stays as it is: every ADC group confirmed idle with
// no key down or timed, or every GPIO key reported up with no change being counted.
bool ReplaySettled();
// Runs the worker on, one wake-up at a time, until the daemon has settled or withinMs have
// passed; the time reached.
uint64_t ReplaySettle(uint64_t withinMs);

ReplayMode ReplayWorkerMode();
uint32_t ReplayPeriodMs();
// Wake-ups so far: each one sampled every enabled group (or made one GPIO pass).
uint64_t ReplayWakeups();
// The virtual time reached.
uint64_t ReplayNowMs();
