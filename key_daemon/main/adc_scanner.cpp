#include "main/adc_scanner.h"

#include <cutils/properties.h>
#include <string.h>

#include "key_pars/key_pars.h"
#include "main/daemon_clock.h"
#include "main/uinput_device.h"
#include "sdk/hi_sdk_api.h"
#include "sdk/hi_wrappers.h"

int32_t pdmKeyLock = 0;
uint32_t currentKey = 0;
uint64_t currentKeyTime = 0;

// Reported in place of a key's own code while the set is in key-lock mode.
static constexpr int kKeyLockCode = 744;
static constexpr int kPowerCode = 116;  // KEY_POWER
// A press shorter than this is contact bounce, not a key press.
static constexpr uint64_t kMinPressMs = 40;
// A key counts once it has been read on this many samples after the first (four in a row).
static constexpr uint32_t kConfirmRun = 3;
// Readings at the bottom of the ladder always belong to its first key.
static constexpr unsigned int kGroundReading = 5;
// Width of a key's window below its threshold.
static constexpr unsigned int kWindow = 16;

// What decides how a key is reported: the key-lock value and the two settings.
struct PressMode {
    int32_t keyLock;
    bool displayLock;
    bool shutdown;
};

// The run of samples of one key: consecutive samples of a group that name the same slot with the
// same code. The idle panel, a reading between windows and a failed read all name no slot.
static constexpr int kNoKey = -1;
struct SampleRun {
    int slot;  // or kNoKey
    int32_t lastCode;
    uint32_t stableCount;  // samples of the run after its first
    uint64_t sinceMs;      // when its first sample was taken
};

// The press that is going on in a group: from its first confirmed sample after a confirmed idle
// panel to the next confirmed idle panel. It is reported in the mode it was confirmed in, so that
// a setting that changes while a key is held can never turn one press into two actions.
struct GroupPress {
    bool on;
    int slot;  // the key confirmed last
    PressMode mode;
    bool powerClicked;  // the locked one-key panel's power click went out
};

static SampleRun runs[kAdcGroupCount];
static GroupPress presses[kAdcGroupCount];
// Slot of the latest mapping, shared by all groups.
static int keyIndex;
// The group whose confirmed sample pressed currentKey; only that group's samples release it.
static int currentKeyGroup;

void ResetAdcScanner() {
    // At thread start the run is the idle panel's, so an idle group is confirmed at its third
    // sample.
    for (SampleRun& run : runs) run = SampleRun{kNoKey, 0, 0, 0};
    memset(presses, 0, sizeof presses);
    keyIndex = 0;
    currentKeyGroup = 0;
}

bool AdcScannerSettled() {
    for (int g = 0; g < kAdcGroupCount; ++g) {
        if (presses[g].on) return false;
        for (const KeyPressState& state : keyGroups[g].keyState) {
            if (state.pressTime != 0) return false;
        }
        // A sampled group whose run is a key's, or idle but not yet confirmed, may still begin a
        // press: only a confirmed idle panel is done.
        const SampleRun& run = runs[g];
        if (keyGroups[g].enable != 0 && (run.slot != kNoKey || run.stableCount < kConfirmRun)) {
            return false;
        }
    }
    return currentKey == 0;
}

// The one place where the scanner's events leave it.
static void Send(uint32_t code, uint32_t value) { WriteEventToDevice(code, value); }

static void Click(uint32_t code) {
    // The key-lock code and the power code also stand for other keys. When that code is down
    // already as the immediate key (a locked key held on another ladder, the power key held as
    // key lock comes on), the kernel would drop the click's key-down and take its key-up as the
    // end of the hold: the key that is down goes up when it is let go, and that press stands for
    // the click.
    if (currentKey != 0 && code == currentKey) return;
    Send(code, 1);
    Send(code, 0);
}

// A setting whose first property reads "Null" is decided by its second property. Properties are
// read at every use, so a change applies from the next press on.
static bool ReadSetting(const char* first, const char* second) {
    char value[PROPERTY_VALUE_MAX];
    memset(value, 0, sizeof value);
    property_get(first, value, "Null");
    if (strcmp(value, "Null") == 0) {
        memset(value, 0, sizeof value);
        property_get(second, value, "false");
    }
    return strcmp(value, "true") == 0;
}

static bool DisplayLockOn() {
    return ReadSetting("json.smarttv.configure.order.displaykeylock",
                       "persist.prop.displaykeylock.enable");
}

static bool ShutdownOn() {
    return ReadSetting("json.smarttv.configure.order.LongpressToShutdown",
                       "quorel.prop.Longpresstoshutdown");
}

// Stamps come from the monotonic clock, so now is never before a stamp. Requiring now to be
// strictly later keeps a zero threshold from firing in the very millisecond that set the stamp.
static bool Elapsed(uint64_t stamp, uint64_t now, uint64_t threshold) {
    return now > stamp && now - stamp >= threshold;
}

static void ClearPress(KeyPressState& state) {
    state.pressTime = 0;
    state.longPressSent = 0;
}

// The code that a key stands for in a mode: in key-lock mode every key but the power key is the
// key-lock code, and with display lock on the power key is too.
static int CodeInMode(uint32_t keyCode, int32_t keyLock, bool displayLock) {
    const int code = static_cast<int>(keyCode);
    if (keyLock != 1) return code;
    if (displayLock) return kKeyLockCode;
    return code == kPowerCode ? kPowerCode : kKeyLockCode;
}

// The slot whose window holds the reading, or kNoKey; keyIndex ends on that slot, or on the slot
// past the last key.
static int FindSlot(const KeyArry& keys, unsigned int levels, unsigned int reading, int& keyIndex) {
    keyIndex = 0;
    for (unsigned int i = 0; i < levels; ++i) {
        const unsigned int threshold = keys.KeyThreshold[i];
        // Below a threshold of 16 the window's floor wraps round, so such a key has no window.
        if (reading <= threshold && threshold - kWindow <= reading) return static_cast<int>(i);
        if (reading <= kGroundReading) return 0;
        keyIndex = static_cast<int>(i) + 1;
    }
    return kNoKey;
}

int MapKeyValue(int group, unsigned int reading, int& keyIndex) {
    if (group < 0 || group >= kAdcGroupCount) return 0;
    const KeyArry& keys = keyGroups[group];
    const unsigned int levels = keys.KeyLevelNum;
    if (levels > kKeySlots) return 0;
    const bool displayLock = DisplayLockOn();
    const int slot = FindSlot(keys, levels, reading, keyIndex);
    return slot == kNoKey ? 0 : CodeInMode(keys.KeyCode[slot], pdmKeyLock, displayLock);
}

// The press of slot j ends, let go at releasedAt: a long-press key that was timed, held long
// enough not to be bounce and not yet sent as a long press, goes out now as a short press.
// False when the locked one-key panel's click went out, which ends the whole release.
static bool ReleaseSlot(KeyArry& keys, int j, const PressMode& mode, uint64_t releasedAt) {
    KeyPressState& state = keys.keyState[j];
    const bool due = state.pressTime != 0 && state.longPressSent == 0 &&
                     Elapsed(state.pressTime, releasedAt, kMinPressMs);
    ClearPress(state);
    if (!due) return true;
    if (mode.keyLock == 1 && keys.KeyLevelNum == 1) {
        Click(mode.shutdown ? kKeyLockCode : kPowerCode);
        return false;
    }
    Click(keys.KeyCode[j]);
    return true;
}

// The immediate key that is down goes up once its own group's confirmed samples have not named
// it for 40 ms. Only that group can tell: another ladder reads idle or names its own key while
// this one is held, and after a stalled sampler its samples would end a press that goes on. A
// sample that confirms the same key again proves it is still held, however long the sampler
// stalled before it, so it never splits one press into two.
static void ReleaseStaleKey(int g, int code, uint64_t now) {
    if (currentKey != 0 && g == currentKeyGroup && currentKey != static_cast<uint32_t>(code) &&
        Elapsed(currentKeyTime, now, kMinPressMs)) {
        Send(currentKey, 0);
        currentKey = 0;
    }
}

static void ImmediatePath(int g, int code, uint64_t now) {
    if (code == 0) return;
    // Another ladder's key waits until the key that is down has gone up; if it is still held then,
    // its next confirmed sample presses it. Two keys held on two ladders thus never take turns.
    if (currentKey != 0 && g != currentKeyGroup) return;
    currentKeyTime = now;
    const uint32_t key = static_cast<uint32_t>(code);
    if (currentKey == key) return;
    // Another key of the same ladder took over before the old one timed out: the old key goes up
    // first, so that the virtual keyboard never has two keys down and never loses a key-up.
    if (currentKey != 0) Send(currentKey, 0);
    Send(key, 1);
    currentKey = key;
    currentKeyGroup = g;
}

static void LongPressPath(KeyArry& keys, int slot, int code, uint64_t now, bool shutdown) {
    KeyPressState& state = keys.keyState[slot];
    if (state.longPressSent != 0 && state.Repeat == 0) return;
    if (state.pressTime == 0) {
        state.pressTime = now;
        return;
    }
    if (!Elapsed(state.pressTime, now, keys.LongKeyDuration[slot])) return;
    uint32_t longCode = keys.LongKeyCode[slot];
    if (code == kKeyLockCode && shutdown) longCode = kPowerCode;
    Click(longCode);
    state.longPressSent = 1;
    // The next repetition is timed from the sample that sent this one.
    if (state.Repeat != 0) state.pressTime = now;
}

// A confirmed sample of key slot: the press goes on, or begins in the mode of this sample.
static void ConfirmedKey(int g, int slot, int code, uint64_t now, const PressMode& current) {
    KeyArry& keys = keyGroups[g];
    GroupPress& press = presses[g];
    if (!press.on) {
        press = GroupPress{true, slot, current, false};
    } else if (press.slot != slot) {
        // The ladder went from one key straight to another: the key left is let go where the new
        // one's samples began, before the new key says anything.
        ReleaseSlot(keys, press.slot, press.mode, runs[g].sinceMs);
        press.slot = slot;
    }
    const PressMode& mode = press.mode;
    ReleaseStaleKey(g, code, now);
    const bool locked = code == kKeyLockCode && !mode.shutdown;
    if (locked && keys.KeyLevelNum == 1 && !press.powerClicked) {
        // A locked set still answers its single power key, once per press: every click toggles
        // the screen.
        Click(kPowerCode);
        press.powerClicked = true;
    }
    if (keys.LongKeyCode[slot] == 0 || locked) {
        ImmediatePath(g, code, now);
    } else {
        LongPressPath(keys, slot, code, now, mode.shutdown);
    }
}

// A confirmed idle sample: the press that was going on ends where the idle samples began.
static void ConfirmedIdle(int g, uint64_t now) {
    KeyArry& keys = keyGroups[g];
    GroupPress& press = presses[g];
    if (press.on) {
        const unsigned int slots = keys.KeyLevelNum < kKeySlots ? keys.KeyLevelNum : kKeySlots;
        for (unsigned int j = 0; j < slots; ++j) {
            if (!ReleaseSlot(keys, static_cast<int>(j), press.mode, runs[g].sinceMs)) break;
        }
        press.on = false;
    }
    ReleaseStaleKey(g, 0, now);
}

void SampleAdcGroup(int g) {
    if (g < 0 || g >= kAdcGroupCount) return;
    KeyArry& keys = keyGroups[g];
    const unsigned int levels = keys.KeyLevelNum;
    GroupPress& press = presses[g];
    SampleRun& run = runs[g];

    // The mode is fetched for every sample; a press that is going on keeps its own.
    HI_UNF_PDM_GetDevInfo(HI_UNF_PDM_DEVINFO_KEY_LOCK, &pdmKeyLock, sizeof pdmKeyLock);
    PressMode current = {pdmKeyLock, DisplayLockOn(), false};
    const PressMode& mode = press.on ? press.mode : current;

    // A failed read is an idle sample: one transient error must not end a press that goes on,
    // and four of them in a row still let every key go.
    int slot = kNoKey;
    int code = 0;
    unsigned int reading = 0;
    if (HiLsadcGetValue(keys.channel_id, reading) == 0 && levels <= kKeySlots) {
        slot = FindSlot(keys, levels, reading, keyIndex);
        if (slot != kNoKey) code = CodeInMode(keys.KeyCode[slot], mode.keyLock, mode.displayLock);
    }

    // Only four samples of the same key confirm it: a sample in another key's window, on a
    // reserved position or of the idle panel starts a new run, so a glitch is never taken for a
    // press of another key, nor for the end of this one.
    if (slot == run.slot && code == run.lastCode) {
        ++run.stableCount;
    } else {
        run = SampleRun{slot, code, 0, MonotonicMs()};
    }
    current.shutdown = ShutdownOn();
    if (run.stableCount < kConfirmRun) return;

    const uint64_t now = MonotonicMs();
    current.shutdown = ShutdownOn();
    if (slot == kNoKey) {
        ConfirmedIdle(g, now);
    } else {
        ConfirmedKey(g, slot, code, now, current);
    }
}
