#include "keymap_codes.h"

#include <stdio.h>

#include <algorithm>
#include <map>

#include "key_pars/key_pars.h"
#include "main/adc_scanner.h"
#include "replay_engine.h"
#include "trace_line.h"

// The two codes with a role of their own in key lock.
static constexpr uint32_t kKeyLockCode = 744;
static constexpr uint32_t kPowerCode = 116;
// A press held this much past its confirmation counts as a press, not as contact bounce.
static constexpr uint64_t kShortHoldMs = 50;
// Holds longer than this are skipped over by stalling the worker, which the daemon bridges as it
// would a real hold: its next sample still reads the key.
static constexpr uint64_t kStallOverMs = 1000;
static constexpr uint64_t kSettleWithinMs = 2000;
static constexpr uint64_t kGpioHoldMs = 100;

// The press that is going on while the daemon's events come in.
struct Press {
    int group;  // or kGpioGroup
    int slot;   // -1: none (the GPIO keys' start-up)
    bool longPress;
    bool keyLock;
    bool displayLock;
    bool shutdown;
};

struct Collector {
    Press press;
    std::map<uint32_t, std::vector<SendCause>> codes;
};

// Why the press sent the code. In key lock a key stands for 744, or for 116 where it is the one
// key of its panel (its power click, and the short press of a timed key) or is held long with
// long-press-to-shutdown on.
static SendReason ReasonFor(const Press& press, uint32_t code) {
    if (press.group == kGpioGroup) return kSentAsKeyCode;
    const KeyArry& keys = keyGroups[press.group];
    const uint32_t own = keys.KeyCode[press.slot] & 0xFFFF;
    const uint32_t longCode = keys.LongKeyCode[press.slot] & 0xFFFF;
    if (press.keyLock && code == kKeyLockCode) return kSentForKeyLock;
    if (press.keyLock && code == kPowerCode && code != longCode) {
        // The key stands for 744; a power key that does not may still send its own 116.
        const bool standsForLock = own != kPowerCode || press.displayLock;
        if (press.shutdown && longCode != 0 && standsForLock &&
            (own != kPowerCode || press.longPress)) {
            return kSentForShutdown;
        }
        if (keys.KeyLevelNum == 1 && !press.shutdown && (standsForLock || longCode != 0)) {
            return kSentByLockedPanel;
        }
    }
    if (code == own) return kSentAsKeyCode;
    if (code == longCode) return kSentAsLongKeyCode;
    return kSentWhileHeld;
}

static void AddCause(std::vector<SendCause>& causes, SendReason reason, int group, int slot) {
    for (SendCause& cause : causes) {
        if (cause.reason == reason && cause.group == group) {
            cause.keys |= 1u << slot;
            return;
        }
    }
    causes.push_back(SendCause{reason, group, 1u << slot});
}

static void Collect(const ReplayEvent& event, void* context) {
    Collector& collector = *static_cast<Collector*>(context);
    // The event record's code field is 16 bits wide: that is the code Android gets.
    const uint32_t code = event.code & 0xFFFF;
    std::vector<SendCause>& causes = collector.codes[code];
    const Press& press = collector.press;
    if (press.group != kGpioGroup) {
        AddCause(causes, ReasonFor(press, code), press.group, press.slot);
        return;
    }
    for (int n = 0; n < gpioKeys.KeyLevelNum && n < kKeySlots; ++n) {
        if ((gpioKeys.KeyCode[n] & 0xFFFF) == code) AddCause(causes, kSentAsKeyCode, kGpioGroup, n);
    }
}

static void Step(TraceKind kind, uint32_t target, uint32_t value) {
    TraceStep step = {};
    step.ms = ReplayNowMs();
    step.kind = kind;
    step.target = target;
    step.value = value;
    ReplayStep(step);
}

static void SetSetting(const char* name, bool on) {
    TraceStep step = {};
    step.ms = ReplayNowMs();
    step.kind = kTraceProp;
    snprintf(step.name, sizeof step.name, "%s", name);
    snprintf(step.text, sizeof step.text, "%s", on ? "true" : "false");
    ReplayStep(step);
}

static void RunFor(uint64_t ms) { ReplayRunThrough(ReplayNowMs() + ms); }

static bool Sampled(const KeyArry& keys) {
    return keys.enable != 0 && keys.KeyLevelNum >= 1 && keys.KeyLevelNum <= kKeySlots;
}

// The slot that the daemon's matching gives a reading of group g; the number of keys when none.
static int SlotOf(int g, uint32_t reading) {
    int slot = 0;
    MapKeyValue(g, reading, slot);
    return slot;
}

// Whether no other group on the channel gives the reading a key.
static bool AloneAt(int g, uint32_t reading) {
    for (int h = 0; h < kAdcGroupCount; ++h) {
        const KeyArry& keys = keyGroups[h];
        if (h != g && Sampled(keys) && keys.channel_id == keyGroups[g].channel_id &&
            SlotOf(h, reading) < keys.KeyLevelNum) {
            return false;
        }
    }
    return true;
}

// A reading that names no key of any group on the channel (the ladder's rest, 0xff, if it can).
static uint32_t IdleReading(int g) {
    for (uint32_t reading = 0xff; reading > 0; --reading) {
        if (SlotOf(g, reading) >= keyGroups[g].KeyLevelNum && AloneAt(g, reading)) return reading;
    }
    return 0xff;
}

// A reading that gives the key, where it can one that no other group on the channel takes too;
// -1 when no reading gives it (check says why).
static int ReadingOf(int g, int slot) {
    int shared = -1;
    for (int reading = 0xff; reading >= 0; --reading) {
        if (SlotOf(g, static_cast<uint32_t>(reading)) != slot) continue;
        if (AloneAt(g, static_cast<uint32_t>(reading))) return reading;
        if (shared < 0) shared = reading;
    }
    return shared;
}

static void PressAdcKey(Collector& collector, int g, int slot, uint32_t reading, bool longPress) {
    const KeyArry& keys = keyGroups[g];
    collector.press.group = g;
    collector.press.slot = slot;
    collector.press.longPress = longPress;
    const uint64_t period = ReplayPeriodMs();
    Step(kTraceAdc, keys.channel_id, reading);
    // Four samples confirm the key; a press is timed from the first of them.
    RunFor(period * 4 + kShortHoldMs);
    if (longPress) {
        const uint64_t hold = keys.LongKeyDuration[slot];
        if (hold > kStallOverMs) Step(kTraceStall, 0, static_cast<uint32_t>(hold));
        RunFor(hold + period * 2);
    }
    Step(kTraceAdc, keys.channel_id, IdleReading(g));
    ReplaySettle(kSettleWithinMs);
    RunFor(period * 4);
}

// Every key in every mode. A press keeps the mode of its first confirmed sample, and modes change
// only while the panel is idle, so each press runs wholly in its own mode.
static void DriveAdcKeys(Collector& collector) {
    for (int mode = 0; mode < 8; ++mode) {
        collector.press.keyLock = (mode & 1) != 0;
        collector.press.displayLock = (mode & 2) != 0;
        collector.press.shutdown = (mode & 4) != 0;
        Step(kTraceKeyLock, 0, collector.press.keyLock ? 1 : 0);
        SetSetting("json.smarttv.configure.order.displaykeylock", collector.press.displayLock);
        SetSetting("json.smarttv.configure.order.LongpressToShutdown", collector.press.shutdown);
        for (int g = 0; g < kAdcGroupCount; ++g) {
            const KeyArry& keys = keyGroups[g];
            for (int slot = 0; Sampled(keys) && slot < keys.KeyLevelNum; ++slot) {
                const int reading = ReadingOf(g, slot);
                if (reading < 0) continue;
                PressAdcKey(collector, g, slot, static_cast<uint32_t>(reading), false);
                PressAdcKey(collector, g, slot, static_cast<uint32_t>(reading), true);
            }
        }
    }
}

static void DriveGpioKeys(Collector& collector) {
    collector.press = Press{kGpioGroup, -1, false, false, false, false};
    // Keys at rest report themselves at start-up too.
    RunFor(kGpioHoldMs);
    for (int n = 0; n < gpioKeys.KeyLevelNum && n < kKeySlots; ++n) {
        const uint32_t line = gpioKeys.GroupNum[n] * 8u + gpioKeys.PinNum[n];
        Step(kTraceGpio, line, 0);
        RunFor(kGpioHoldMs);
        Step(kTraceGpio, line, 1);
        RunFor(kGpioHoldMs);
    }
}

std::vector<SentCode> FindSentCodes() {
    Collector collector;
    collector.press = Press{0, 0, false, false, false, false};
    ResetVirtualDevices(Collect, &collector);
    if (ReplayWorkerMode() == kReplayGpio) {
        DriveGpioKeys(collector);
    } else if (ReplayWorkerMode() == kReplayAdc) {
        // A ladder whose rest reading 0xff names a key rests at a reading that names none.
        for (int g = 0; g < kAdcGroupCount; ++g) {
            if (Sampled(keyGroups[g])) Step(kTraceAdc, keyGroups[g].channel_id, IdleReading(g));
        }
        ReplaySettle(kSettleWithinMs);
        DriveAdcKeys(collector);
    }
    ResetVirtualDevices(nullptr, nullptr);
    std::vector<SentCode> codes;
    for (auto& entry : collector.codes) {
        std::sort(entry.second.begin(), entry.second.end(),
                  [](const SendCause& a, const SendCause& b) {
                      return a.reason != b.reason ? a.reason < b.reason : a.group < b.group;
                  });
        codes.push_back(SentCode{entry.first, entry.second});
    }
    return codes;
}

// "key 2", "keys 0-6", "keys 0, 2, 5".
static std::string KeysText(uint32_t keys) {
    std::vector<int> slots;
    for (int n = 0; n < 32; ++n) {
        if (keys & (1u << n)) slots.push_back(n);
    }
    if (slots.size() == 1) return "key " + std::to_string(slots[0]);
    if (slots.back() - slots.front() + 1 == static_cast<int>(slots.size())) {
        return "keys " + std::to_string(slots.front()) + "-" + std::to_string(slots.back());
    }
    std::string text = "keys";
    for (size_t i = 0; i < slots.size(); ++i) text += (i ? ", " : " ") + std::to_string(slots[i]);
    return text;
}

std::string DescribeCauses(const SentCode& code) {
    static const char* const kReasons[] = {"KeyCode of",
                                           "LongKeyCode of",
                                           "key lock, for",
                                           "key lock on a one-key panel, for",
                                           "long-press-to-shutdown in key lock, for",
                                           "sent while pressing"};
    std::string text;
    for (const SendCause& cause : code.causes) {
        const std::string group = cause.group == kGpioGroup
                                      ? std::string("GPIO")
                                      : "ADC group " + std::to_string(cause.group);
        text += (text.empty() ? "" : "; ") + std::string(kReasons[cause.reason]) + " " + group +
                " " + KeysText(cause.keys);
    }
    return text;
}
