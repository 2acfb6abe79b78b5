#include "layout_checks.h"

#include <string.h>
#include <tinyxml2.h>

#include <string>

#include "key_names.h"
#include "main/gpio_keys.h"
#include "reading_owners.h"
#include "replay_board.h"

// Start-up announces every code below this at once, and 744 (the key-lock code).
static constexpr uint32_t kAnnouncedRangeEnd = 255;
static constexpr uint32_t kKeyLockCode = 744;
static constexpr uint32_t kPowerCode = 116;  // KEY_POWER
static constexpr int kWindow = 16;
static constexpr uint32_t kChannelMaskBits = 32;
// The wake-up settings hold this many power keys.
static constexpr int kWakeKeys = 4;

static int Slots(uint8_t levels) { return levels < kKeySlots ? levels : kKeySlots; }

// Runs of consecutive readings not given to except, e.g. "0x28-0x2f give key 1, 0x30 gives key 2".
static std::string Runs(const int8_t owners[kReadings], int from, int to, int except) {
    std::string text;
    for (int r = from; r <= to; ++r) {
        if (owners[r] == except) continue;
        int end = r;
        while (end < to && owners[end + 1] == owners[r]) ++end;
        char run[48];
        if (end > r) {
            snprintf(run, sizeof run, "0x%02x-0x%02x", r, end);
        } else {
            snprintf(run, sizeof run, "0x%02x", r);
        }
        text += (text.empty() ? "" : ", ") + std::string(run) + (end > r ? " give " : " gives ");
        text += owners[r] < 0 ? "no key" : "key " + std::to_string(owners[r]);
        r = end;
    }
    return text;
}

static void CheckReach(int g, const GroupElements& e, Findings& findings) {
    const KeyArry& group = keyGroups[g];
    int8_t owners[kReadings];
    ReadingOwners(g, owners);
    for (int n = 0; n < Slots(group.KeyLevelNum); ++n) {
        if (!e.keys[n]) continue;
        const int line = e.keys[n]->GetLineNum();
        const int threshold = group.KeyThreshold[n];
        int owned = 0;
        for (int r = 0; r < kReadings; ++r) owned += owners[r] == n;
        if (threshold < kWindow) {
            if (owned > 0) {
                AddFinding(findings, line, kWarning,
                           "KeyThreshold 0x%02x is below 0x10, so %s has no window: only the "
                           "readings 0x00-0x05, which always give key 0, reach it",
                           threshold, KeyRef(e, g, n).c_str());
            } else {
                AddFinding(findings, line, kError,
                           "KeyThreshold 0x%02x is below 0x10: %s has no window and is never "
                           "reached",
                           threshold, KeyRef(e, g, n).c_str());
            }
            continue;
        }
        const int low = threshold - kWindow;
        std::string taken = Runs(owners, low, threshold, n);
        if (owned == 0) {
            AddFinding(findings, line, kError,
                       "%s is never reached: its window 0x%02x-0x%02x lies under earlier "
                       "keys: %s",
                       KeyRef(e, g, n).c_str(), low, threshold, taken.c_str());
        } else if (!taken.empty()) {
            AddFinding(findings, line, kWarning,
                       "%s's window 0x%02x-0x%02x overlaps earlier keys: %s",
                       KeyRef(e, g, n).c_str(), low, threshold, taken.c_str());
        }
    }
}

// Announced: every code below 255, the key-lock code, and each code of an enabled ADC group.
static bool Announced(uint32_t code) {
    if (code < kAnnouncedRangeEnd || code == kKeyLockCode) return true;
    for (const KeyArry& group : keyGroups) {
        if (group.enable == 0 || group.KeyLevelNum < 1 || group.KeyLevelNum > kKeySlots) continue;
        for (int n = 0; n < group.KeyLevelNum; ++n) {
            if (group.KeyCode[n] == code || group.LongKeyCode[n] == code) return true;
        }
    }
    return false;
}

static void CheckCode(const char* field, uint32_t code, bool gpio, int line, Findings& findings) {
    if (code > kKernelKeyMax) {
        AddFinding(findings, line, kError,
                   "%s %u is above the kernel's KEY_MAX (767): the virtual keyboard cannot send it",
                   field, code);
    } else if (gpio && !Announced(code)) {
        AddFinding(findings, line, kError,
                   "%s %u is never announced by the virtual keyboard (it announces codes below "
                   "255 and the ADC keys' own), so the kernel drops this GPIO key",
                   field, code);
    } else if (code == 0) {
        AddFinding(findings, line, kWarning, "%s 0: the key sends no real key", field);
    } else if (!KeyName(code)) {
        AddFinding(findings, line, kWarning, "%s %u has no name in the kernel's key codes", field,
                   code);
    }
}

// KeyLevelNum against the keys given. -1 when the group can match no key at all.
static int CheckLevels(const char* what, int g, const GroupElements& e, uint8_t levels, bool gpio,
                       Findings& findings) {
    const int line = LineOf(e.levels, e.group);
    if (levels > kKeySlots && gpio) {
        AddFinding(findings, line, kError,
                   "KeyLevelNum %u is above 8: the GPIO keys are never set up", levels);
        return -1;
    }
    if (levels > kKeySlots) {
        AddFinding(findings, line, kError,
                   "KeyLevelNum 0x%x (%u) is above 8: the group never matches a key", levels,
                   levels);
        return -1;
    }
    if (levels == 0) {
        if (e.keyPads > 0 && !gpio) {
            AddFinding(findings, line, kError,
                       "KeyLevelNum is 0: none of the group's %d keys is ever matched", e.keyPads);
        } else if (e.keyPads == 0) {
            AddFinding(findings, line, kWarning, "%s is enabled but has no key", what);
        }
        return -1;
    }
    int given = 0;
    for (int n = 0; n < kKeySlots; ++n) given += e.keys[n] != nullptr;
    for (int n = levels; n < kKeySlots && !gpio; ++n) {
        if (e.keys[n]) {
            AddFinding(findings, e.keys[n]->GetLineNum(), kError,
                       "%s lies beyond KeyLevelNum %u (line %d): it is never matched",
                       KeyRef(e, g, n).c_str(), levels, line);
        }
    }
    if (given < levels) {
        AddFinding(findings, line, kWarning,
                   "KeyLevelNum %u, but %d key%s given: the other slots stay empty (%s)", levels,
                   given, given == 1 ? " is" : "s are",
                   gpio ? "line 0, code 0" : "no window, code 0");
    }
    return 0;
}

static void CheckLongPress(int g, const GroupElements& e, int n, Findings& findings) {
    const KeyArry& group = keyGroups[g];
    const tinyxml2::XMLElement& key = *e.keys[n];
    CheckCode("KeyCode", group.KeyCode[n], false, key.GetLineNum(), findings);
    if (group.LongKeyCode[n] != 0) {
        CheckCode("LongKeyCode", group.LongKeyCode[n], false, key.GetLineNum(), findings);
        return;
    }
    if (group.keyState[n].Repeat) {
        AddFinding(findings, key.GetLineNum(), kWarning,
                   "Repeat has no effect without a LongKeyCode: %s goes down and up as it "
                   "is pressed",
                   KeyRef(e, g, n).c_str());
    }
    if (key.Attribute("LongKeyDuration")) {
        AddFinding(findings, key.GetLineNum(), kWarning,
                   "LongKeyDuration has no effect without a LongKeyCode");
    }
}

static void CheckAdcGroup(int g, const GroupElements& e, Findings& findings) {
    const KeyArry& group = keyGroups[g];
    char what[32];
    snprintf(what, sizeof what, "ADC group %d", g);
    if (group.channel_id >= kChannelMaskBits) {
        AddFinding(findings, LineOf(e.channel, e.group), kWarning,
                   "channel %u is beyond the controller's 32 channels: start-up switches no "
                   "conversion on for it",
                   group.channel_id);
    }
    for (int h = 0; h < g; ++h) {
        if (keyGroups[h].enable != 0 && keyGroups[h].channel_id == group.channel_id) {
            AddFinding(findings, LineOf(e.channel, e.group), kWarning,
                       "ADC groups %d and %d both read channel %u: every reading goes through "
                       "both",
                       h, g, group.channel_id);
        }
    }
    if (CheckLevels(what, g, e, group.KeyLevelNum, false, findings) < 0) return;
    CheckReach(g, e, findings);
    for (int n = 0; n < Slots(group.KeyLevelNum); ++n) {
        if (e.keys[n]) CheckLongPress(g, e, n, findings);
    }
}

static void CheckGpio(const GroupElements& e, Findings& findings) {
    std::string sampled;
    for (int g = 0; g < kAdcGroupCount; ++g) {
        if (keyGroups[g].enable != 0) sampled += (sampled.empty() ? "" : ", ") + std::to_string(g);
    }
    if (gpioReady == 1 && !sampled.empty()) {
        AddFinding(findings, LineOf(e.enable, e.group), kError,
                   "GPIO keys are enabled, so the daemon polls only them: ADC group%s %s %s "
                   "never sampled",
                   sampled.size() > 1 ? "s" : "", sampled.c_str(),
                   sampled.size() > 1 ? "are" : "is");
    }
    if (CheckLevels("<gpio>", -1, e, gpioKeys.KeyLevelNum, true, findings) < 0) return;
    for (int n = 0; n < gpioKeys.KeyLevelNum; ++n) {
        if (!e.keys[n]) continue;
        const int line = e.keys[n]->GetLineNum();
        const unsigned gpioLine = gpioKeys.GroupNum[n] * 8u + gpioKeys.PinNum[n];
        CheckCode("KeyCode", gpioKeys.KeyCode[n], true, line, findings);
        if (gpioKeys.PinNum[n] > 7) {
            AddFinding(findings, line, kWarning,
                       "PinNum %u is beyond a group's eight pins: the key reads line %u, which is "
                       "group %u pin %u",
                       gpioKeys.PinNum[n], gpioLine, gpioLine / 8, gpioLine % 8);
        }
        for (int m = 0; m < n; ++m) {
            if (gpioKeys.GroupNum[m] * 8u + gpioKeys.PinNum[m] == gpioLine) {
                AddFinding(findings, line, kWarning, "GPIO keys %d and %d both read line %u", m, n,
                           gpioLine);
            }
        }
    }
}

// Start-up collects the power keys group by group, key by key: a one-key group's key whatever
// its code, otherwise every key whose KeyCode or LongKeyCode is KEY_POWER. Only the first four
// reach the wake-up settings.
static void CheckPowerKeys(const LayoutElements& elements, Findings& findings) {
    const tinyxml2::XMLElement* power[kAdcGroupCount * kKeySlots];
    int count = 0;
    for (int g = 0; g < kAdcGroupCount; ++g) {
        const KeyArry& group = keyGroups[g];
        if (group.enable == 0 || group.KeyLevelNum < 1 || group.KeyLevelNum > kKeySlots) continue;
        for (int n = 0; n < group.KeyLevelNum; ++n) {
            if (group.KeyLevelNum == 1 || group.KeyCode[n] == kPowerCode ||
                group.LongKeyCode[n] == kPowerCode) {
                power[count++] = elements.adc[g].keys[n];
            }
        }
    }
    const tinyxml2::XMLElement* firstGroup = nullptr;
    for (int g = kAdcGroupCount - 1; g >= 0; --g) {
        if (keyGroups[g].enable != 0 && keyGroups[g].KeyLevelNum >= 1 &&
            keyGroups[g].KeyLevelNum <= kKeySlots) {
            firstGroup = elements.adc[g].group;
        }
    }
    if (count == 0 && firstGroup && gpioReady != 1) {
        AddFinding(findings, LineOf(firstGroup), kWarning,
                   "no key sends KEY_POWER: start-up programs no power key for wake-up, so no "
                   "front-panel key wakes the set from standby");
    }
    for (int i = kWakeKeys; i < count; ++i) {
        AddFinding(findings, LineOf(power[i], elements.root), kWarning,
                   "power key %d of %d does not wake the set: the wake-up settings hold four",
                   i + 1, count);
    }
    // What start-up wrote: power key i's pair is entry i of the wake-up condition.
    const HI_UNF_PMOC_WAKEUP_CONDITION_S& wake = BoardWakeCondition();
    for (int i = 0; i < kWakeKeys && i < count; ++i) {
        if (wake.keys[i].threshold != 0 && wake.keys[i].lowValue > wake.keys[i].threshold) {
            AddFinding(findings, LineOf(power[i], elements.root), kWarning,
                       "power key %d's threshold 0x%02x is below 0x10: its wake-up range starts "
                       "at 0x%02x, above the threshold, so it cannot wake the set",
                       i + 1, wake.keys[i].threshold, wake.keys[i].lowValue);
        }
    }
}

void CheckLayout(const LayoutElements& elements, Findings& findings) {
    if (!elements.root) return;
    for (int g = 0; g < kAdcGroupCount; ++g) {
        if (keyGroups[g].enable != 0) CheckAdcGroup(g, elements.adc[g], findings);
    }
    if (gpioKeys.enable != 0) CheckGpio(elements.gpio, findings);
    CheckPowerKeys(elements, findings);
}
