#include "main/lsadc_setup.h"

#include "key_pars/key_pars.h"
#include "main/tavrion_log.h"
#include "sdk/hi_wrappers.h"

uint8_t lsadcSwitchOn = 0;
uint32_t lsadcChannelMask = 0;

// A group on this channel id counts as switched on even when its enable is 0.
static constexpr uint8_t kAnyChannel = 255;
static constexpr uint32_t kMaskBits = 32;
static constexpr uint32_t kKeyPower = 116;
static constexpr int kWakeKeys = 4;

// Where each of our settings goes in the controller's record.
static constexpr int kSdkWordOf[10] = {0, 1, 2, 3, 8, 4, 7, 6, 5, 9};

void HiLsadcStructConfig(hiUNF_LSADC_Config_S& dest, const lsadcConfig& src) {
    for (int i = 0; i < 10; ++i) {
        dest.words[kSdkWordOf[i]] = src.field[i];
    }
}

void InitLSADCConfig() {
    // Value-initialised as well, so that a failed clear and a failed read leave mask 0 rather
    // than whatever the stack held.
    hiUNF_LSADC_Config_S config = {};
    if (memset_s(&config, sizeof config, 0, sizeof config) != 0) {
        TLOGD("main memset_s failed !");
    }
    HiLsadcGetConfig(config);
    GetBoardKeyPad(keyGroups, kAdcGroupCount);

    // Channels that the controller already converts stay on.
    uint32_t mask = config.words[0];
    for (const KeyArry& group : keyGroups) {
        if (group.enable == 0 && group.channel_id != kAnyChannel) {
            continue;
        }
        lsadcSwitchOn = 1;
        if (group.channel_id < kMaskBits) {
            mask |= 1u << group.channel_id;
        }
    }
    lsadcChannelMask = mask;

    const lsadcConfig settings = {{mask, 252, 0, 1, 0, 0, 255, 1, 1, 600}};
    HiLsadcStructConfig(config, settings);
    HiLsadcSetConfig(config);
}

int GetKeyPadPowerValue(uint8_t* values, uint32_t len) {
    if (!values) {
        return 0;
    }
    uint32_t n = 0;
    for (const KeyArry& group : keyGroups) {
        if (group.enable == 0 || group.KeyLevelNum == 0 || group.KeyLevelNum > kKeySlots) {
            continue;
        }
        if (group.KeyLevelNum == 1) {
            // A one-key panel's only key is its power key, whatever code it sends.
            if (n < len) {
                values[n++] = group.KeyThreshold[0];
            }
            TLOGD("Keypad only one key!\n");
            continue;
        }
        for (int k = 0; k < group.KeyLevelNum; ++k) {
            if ((group.KeyCode[k] == kKeyPower || group.LongKeyCode[k] == kKeyPower) && n < len) {
                values[n++] = group.KeyThreshold[k];
            }
        }
    }
    return static_cast<int>(n);
}

// The wake-up controller triggers on readings from the lower value up to the threshold.
static int LowerValue(uint8_t threshold) { return threshold >= 5 ? threshold - 16 : threshold; }

// Whether power key i (non-zero entry) needs its stored pair rewritten. The mask compared is
// the one read from the chip, so a new mask rewrites every entry's pair.
static bool NeedsRewrite(const uint8_t* values, int i, uint32_t storedThreshold,
                         uint32_t storedMask, uint32_t mask) {
    return values[i] != 0 && (storedThreshold != values[i] || storedMask != mask);
}

int HiLsadcPmocPowerKeySet(const uint8_t* values, uint32_t mask) {
    HI_UNF_PMOC_WAKEUP_CONDITION_S condition = {};
    HI_S32 ret = HI_UNF_PMOC_Init();
    if (ret != HI_SUCCESS) {
        TLOGD("HI_UNF_PMOC_Init err, 0x%08x !\n", static_cast<unsigned>(ret));
        return ret;
    }
    ret = hi_unf_pmoc_get_wakeup_condition(HI_UNF_PMOC_WAKEUP_LSADC, &condition);
    if (ret != HI_SUCCESS) {
        TLOGD("pmoc_get_wakeup_condition lsadc power key err, 0x%08x !\n",
              static_cast<unsigned>(ret));
        return ret;
    }
    const uint32_t storedMask = condition.channelMask;
    bool changed = false;
    for (int i = 0; values && i < kWakeKeys; ++i) {
        if (NeedsRewrite(values, i, condition.keys[i].threshold, storedMask, mask)) {
            condition.channelMask = mask;
            condition.keys[i].lowValue = static_cast<HI_U8>(LowerValue(values[i]));
            condition.keys[i].threshold = values[i];
            changed = true;
        }
    }
    if (!changed) {
        return 0;
    }
    TLOGD("HiLsadcPmocPowerKeySet, changed !\n");
    ret = hi_unf_pmoc_set_wakeup_condition(HI_UNF_PMOC_WAKEUP_LSADC, condition);
    if (ret != HI_SUCCESS) {
        TLOGD("pmoc_set_wakeup_condition lsadc power key err, 0x%08x !\n",
              static_cast<unsigned>(ret));
    }
    return 0;
}

int HiLsadcPdmPowerKeySet(const uint8_t* values, uint32_t mask) {
    HI_UNF_PDM_LSADC_POWER_KEY_S record = {};
    HI_S32 ret = HI_UNF_PDM_GetDevInfo(HI_UNF_PDM_DEVINFO_LSADC_POWER_KEY, &record, sizeof record);
    if (ret != HI_SUCCESS) {
        // Writing back a record that was never read would wipe the rest of the set's
        // device information; leave it alone.
        TLOGD("pdm_getdevinfo lsadc power key err, 0x%08x !\n", static_cast<unsigned>(ret));
        return ret;
    }
    const uint32_t storedMask = record.channelMask;
    bool changed = false;
    for (int i = 0; values && i < kWakeKeys; ++i) {
        if (NeedsRewrite(values, i, record.keys[i].threshold, storedMask, mask)) {
            record.channelMask = mask;
            record.keys[i].lowValue = LowerValue(values[i]);
            record.keys[i].threshold = values[i];
            changed = true;
        }
    }
    if (!changed) {
        return 0;
    }
    TLOGD("updatePdmPowerKey, changed !\n");
    ret = HI_UNF_PDM_SetDevInfo(HI_UNF_PDM_DEVINFO_LSADC_POWER_KEY, &record, sizeof record);
    if (ret != HI_SUCCESS) {
        TLOGD("pdm_setdevinfo lsadc power key err, 0x%08x !\n", static_cast<unsigned>(ret));
        return ret;
    }
    return 0;
}

void HiLsadcPowerKeySet(const uint8_t* values, uint32_t mask) {
    int ret = HiLsadcPmocPowerKeySet(values, mask);
    TLOGD("HiLsadcPmocPowerKeySet ret, %08x !\n", static_cast<unsigned>(ret));
    ret = HiLsadcPdmPowerKeySet(values, mask);
    TLOGD("HiLsadcPdmPowerKeySet ret, %08x !\n", static_cast<unsigned>(ret));
}
