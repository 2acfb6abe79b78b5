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
// A code counts once it has been read on this many samples after the first (four in a row).
static constexpr uint32_t kConfirmRun = 3;
// Readings at the bottom of the ladder always belong to its first key.
static constexpr unsigned int kGroundReading = 5;
// Width of a key's window below its threshold.
static constexpr unsigned int kWindow = 16;

static int32_t lastCode[kAdcGroupCount];
static uint32_t stableCount[kAdcGroupCount];
// Slot of the latest mapping, shared by all groups.
static int keyIndex;
// The group whose confirmed sample pressed currentKey; only that group's samples release it.
static int currentKeyGroup;
// Whether the group's last sample read idle, and since when it has: when the keys were let go.
static bool wasIdle[kAdcGroupCount];
static uint64_t idleSinceMs[kAdcGroupCount];
// The group's key-lock power click went out during the press that is going on.
static bool powerClicked[kAdcGroupCount];

void ResetAdcScanner() {
    memset(lastCode, 0, sizeof lastCode);
    memset(stableCount, 0, sizeof stableCount);
    keyIndex = 0;
    currentKeyGroup = 0;
    memset(wasIdle, 0, sizeof wasIdle);
    memset(idleSinceMs, 0, sizeof idleSinceMs);
    memset(powerClicked, 0, sizeof powerClicked);
}

// A setting whose first property reads "Null" is decided by its second property. Properties are
// read at every use, so a change applies from the next sample on.
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

static void Click(uint32_t code) {
    // The key-lock code and the power code also stand for other keys. When that code is down
    // already as the immediate key (a locked key held on another ladder, the power key held as
    // key lock comes on), the kernel would drop the click's key-down and take its key-up as the
    // end of the hold: the key that is down goes up when it is let go, and that press stands for
    // the click.
    if (currentKey != 0 && code == currentKey) return;
    WriteEventToDevice(code, 1);
    WriteEventToDevice(code, 0);
}

static void ClearPress(KeyPressState& state) {
    state.pressTime = 0;
    state.longPressSent = 0;
}

int MapKeyValue(int group, unsigned int reading, int& keyIndex) {
    if (group < 0 || group >= kAdcGroupCount) return 0;
    const KeyArry& keys = keyGroups[group];
    const unsigned int levels = keys.KeyLevelNum;
    if (levels > kKeySlots) return 0;
    const bool displayLock = DisplayLockOn();
    keyIndex = 0;
    if (levels == 0) return 0;

    int matched = -1;
    for (unsigned int i = 0; i < levels; ++i) {
        const unsigned int threshold = keys.KeyThreshold[i];
        // Below a threshold of 16 the window's floor wraps round, so such a key has no window.
        if (reading <= threshold && threshold - kWindow <= reading) {
            matched = static_cast<int>(i);
            break;
        }
        if (reading <= kGroundReading) {
            matched = 0;
            break;
        }
        keyIndex = static_cast<int>(i) + 1;
    }
    if (matched < 0) return 0;

    const int code = static_cast<int>(keys.KeyCode[matched]);
    if (pdmKeyLock != 1) return code;
    if (displayLock) return kKeyLockCode;
    return code == kPowerCode ? kPowerCode : kKeyLockCode;
}

// The keys were let go at releasedAt (a confirmed idle panel, or a failed read): a long-press key
// that was timed, held long enough not to be bounce and not yet sent as a long press, goes out
// now as a short press. Every slot's press ends here.
static void ReleaseKeys(KeyArry& keys, unsigned int levels, bool shutdown, uint64_t releasedAt) {
    const unsigned int slots = levels < kKeySlots ? levels : kKeySlots;
    for (unsigned int j = 0; j < slots; ++j) {
        KeyPressState& state = keys.keyState[j];
        if (state.pressTime != 0 && state.longPressSent == 0 &&
            Elapsed(state.pressTime, releasedAt, kMinPressMs)) {
            if (pdmKeyLock == 1 && levels == 1) {
                Click(shutdown ? kKeyLockCode : kPowerCode);
                ClearPress(state);
                return;
            }
            Click(keys.KeyCode[j]);
        }
        ClearPress(state);
    }
}

// The immediate key that is down goes up once its own group's confirmed samples have not named
// it for 40 ms. Only that group can tell: another ladder reads idle or names its own key while
// this one is held, and after a stalled sampler its samples would end a press that goes on. A
// sample that confirms the same key again proves it is still held, however long the sampler
// stalled before it, so it never splits one press into two.
static void ReleaseStaleKey(int g, int code, uint64_t now) {
    if (currentKey != 0 && g == currentKeyGroup && currentKey != static_cast<uint32_t>(code) &&
        Elapsed(currentKeyTime, now, kMinPressMs)) {
        WriteEventToDevice(currentKey, 0);
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
    if (currentKey != 0) WriteEventToDevice(currentKey, 0);
    WriteEventToDevice(key, 1);
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

void SampleAdcGroup(int g) {
    if (g < 0 || g >= kAdcGroupCount) return;
    KeyArry& keys = keyGroups[g];
    const unsigned int levels = keys.KeyLevelNum;

    HI_UNF_PDM_GetDevInfo(HI_UNF_PDM_DEVINFO_KEY_LOCK, &pdmKeyLock, sizeof pdmKeyLock);

    // A sample that yields no mapping reads as an idle panel, never as the slot that another
    // group's mapping left behind.
    int code = 0;
    int slot = static_cast<int>(levels);
    unsigned int reading = 0;
    const bool readFailed = HiLsadcGetValue(keys.channel_id, reading) != 0;
    if (!readFailed) {
        code = MapKeyValue(g, reading, keyIndex);
        if (levels <= kKeySlots) slot = keyIndex;
    }

    const bool firstOfRun = code != lastCode[g];
    if (!firstOfRun) {
        ++stableCount[g];
    } else {
        lastCode[g] = code;
        stableCount[g] = 0;
    }

    const bool idle = code == 0 && slot == static_cast<int>(levels);
    if (idle && !wasIdle[g]) idleSinceMs[g] = MonotonicMs();
    wasIdle[g] = idle;
    bool shutdown = ShutdownOn();
    // Only a confirmed idle panel ends a press. Contact bounce or the ladder passing another key's
    // window for fewer than four samples are part of the press: ending it there would send a
    // long-press key's short click in the middle of a long press, and then its long click as
    // well. The 40 ms that tell a press from bounce still run to the first idle sample. A failed
    // read ends the press at once, as the kernel's own ADC key driver treats a read error, so
    // that a failing channel can never leave a key held.
    if (idle && (readFailed || stableCount[g] >= kConfirmRun)) {
        ReleaseKeys(keys, levels, shutdown, idleSinceMs[g]);
        powerClicked[g] = false;
    } else if (code == kKeyLockCode && levels == 1 && !shutdown && !powerClicked[g]) {
        // A locked set still answers its single power key at once, before any debounce, but once
        // per press: every click toggles the screen, so a bouncing contact must not flicker it.
        Click(kPowerCode);
        powerClicked[g] = true;
    }

    if (stableCount[g] < kConfirmRun) return;

    const uint64_t now = MonotonicMs();
    shutdown = ShutdownOn();
    ReleaseStaleKey(g, code, now);
    if (slot >= static_cast<int>(levels) || slot >= kKeySlots || keys.LongKeyCode[slot] == 0 ||
        (code == kKeyLockCode && !shutdown)) {
        ImmediatePath(g, code, now);
    } else {
        LongPressPath(keys, slot, code, now, shutdown);
    }
}
