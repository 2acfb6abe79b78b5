#include "replay_engine.h"

#include "daemon_startup.h"
#include "key_pars/key_pars.h"
#include "main/adc_scanner.h"
#include "main/gpio_keys.h"
#include "main/tavrion_thread.h"
#include "replay_board.h"

static ReplayMode mode;
static uint32_t period;
static uint64_t nextWakeMs;
static uint64_t wakeups;
// The worker is not scheduled before this time.
static uint64_t stallEndMs;

int ReplayBegin(const std::string& layoutText, uint32_t periodMs, ReplayEventSink sink,
                void* context) {
    wakeups = 0;
    stallEndMs = 0;
    period = periodMs != 0 ? periodMs : kDefaultPeriodMs;
    int loaded = StartDaemonOnLayout(layoutText);
    ResetVirtualDevices(sink, context);
    // Once set, gpioReady is never cleared, so the worker never leaves its GPIO polling; the
    // LSADC descriptor wakes the worker only while the controller converts some channel.
    if (gpioReady == 1) {
        mode = kReplayGpio;
        nextWakeMs = 0;
    } else if (BoardChannelMask() != 0) {
        mode = kReplayAdc;
        nextWakeMs = period;
    } else {
        mode = kReplayIdle;
    }
    return loaded;
}

static void RunBefore(uint64_t limit) {
    if (mode == kReplayIdle) return;
    while (nextWakeMs < limit) {
        if (nextWakeMs < stallEndMs) {
            // The wake-ups that a stalled worker misses collapse into one when it runs again: the
            // descriptor stays readable, and GPIO passes simply resume.
            nextWakeMs = stallEndMs;
            continue;
        }
        SetVirtualMs(nextWakeMs);
        if (mode == kReplayGpio) {
            DoGpioPowerOpt();
            nextWakeMs += kGpioPassPauseMs;
        } else {
            SampleEnabledGroups();
            nextWakeMs += period;
        }
        ++wakeups;
    }
}

static int Apply(const TraceStep& step) {
    switch (step.kind) {
        case kTraceAdc:
            SetBoardReading(step.target, step.value);
            return 0;
        case kTraceAdcFail:
            SetBoardReadFails(step.target);
            return 0;
        case kTraceGpio:
            SetBoardGpioLevel(step.target, static_cast<int>(step.value));
            return 0;
        case kTraceKeyLock:
            SetBoardKeyLock(static_cast<int32_t>(step.value));
            return 0;
        case kTraceProp:
            return SetBoardProperty(step.name, step.text) == 0 ? 0 : kReplayTooManyProperties;
        case kTraceStall:
            if (step.ms + step.value > stallEndMs) stallEndMs = step.ms + step.value;
            return 0;
    }
    return 0;
}

int ReplayStep(const TraceStep& step) {
    if (step.ms < VirtualMs()) return kReplayTimeGoesBack;
    RunBefore(step.ms);
    SetVirtualMs(step.ms);
    return Apply(step);
}

void ReplayRunThrough(uint64_t ms) {
    RunBefore(ms + 1);
    if (ms > VirtualMs()) SetVirtualMs(ms);
}

bool ReplaySettled() {
    if (mode == kReplayAdc) return AdcScannerSettled();
    for (int n = 0; mode == kReplayGpio && n < gpioKeys.KeyLevelNum && n < kKeySlots; ++n) {
        if (gpioLastLevel[n] != HI_TRUE || gpioChangeCount[n] != 0) return false;
    }
    return true;
}

uint64_t ReplaySettle(uint64_t withinMs) {
    const uint64_t limit = VirtualMs() + withinMs;
    while (!ReplaySettled() && nextWakeMs <= limit) ReplayRunThrough(nextWakeMs);
    return VirtualMs();
}

ReplayMode ReplayWorkerMode() { return mode; }
uint32_t ReplayPeriodMs() { return period; }
uint64_t ReplayWakeups() { return wakeups; }
uint64_t ReplayNowMs() { return VirtualMs(); }
