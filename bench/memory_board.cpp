#include "memory_board.h"

#include <android/log.h>
#include <cutils/properties.h>
#include <string.h>

#include "sdk/hi_sdk_api.h"

static constexpr unsigned int kChannels = 8;
static constexpr unsigned int kGpioLines = 64;
static constexpr int kProperties = 16;

static unsigned int readings[kChannels] = {255, 255, 255, 255, 255, 255, 255, 255};
static HI_BOOL gpioLevels[kGpioLines];
static bool gpioLevelsSet = false;
static int32_t keyLock = 0;
static hiUNF_LSADC_Config_S lsadcConfig;
static HI_UNF_PMOC_WAKEUP_CONDITION_S wakeCondition;
static HI_UNF_PDM_LSADC_POWER_KEY_S powerKeyRecord;
static uint64_t logLines = 0;

struct Property {
    const char* name;
    const char* value;
};
static Property properties[kProperties];
static int propertyCount = 0;

void SetMemoryReading(unsigned int channel, unsigned int reading) {
    if (channel < kChannels) readings[channel] = reading;
}

// Lines are pulled up: every line reads released until something presses it.
static void PullUpGpio() {
    if (gpioLevelsSet) return;
    for (HI_BOOL& level : gpioLevels) level = HI_TRUE;
    gpioLevelsSet = true;
}

void SetMemoryGpioLevel(unsigned int line, int level) {
    PullUpGpio();
    if (line < kGpioLines) gpioLevels[line] = level != 0 ? HI_TRUE : HI_FALSE;
}

void SetMemoryProperty(const char* name, const char* value) {
    for (int i = 0; i < propertyCount; ++i) {
        if (strcmp(properties[i].name, name) == 0) {
            properties[i].value = value;
            return;
        }
    }
    if (propertyCount < kProperties) properties[propertyCount++] = Property{name, value};
}

void SetMemoryKeyLock(int32_t value) { keyLock = value; }
uint64_t MemoryLogCount() { return logLines; }

// --- the daemon's platform, answered from memory -------------------------------------------

extern "C" int __android_log_print(int, const char*, const char*, ...) {
    ++logLines;
    return 0;
}

extern "C" int property_get(const char* key, char* value, const char* default_value) {
    const char* found = default_value != nullptr ? default_value : "";
    for (int i = 0; i < propertyCount; ++i) {
        if (strcmp(properties[i].name, key) == 0) {
            found = properties[i].value;
            break;
        }
    }
    size_t length = strnlen(found, PROPERTY_VALUE_MAX - 1);
    memcpy(value, found, length);
    value[length] = '\0';
    return static_cast<int>(length);
}

HI_S32 HI_UNF_GPIO_Init(HI_VOID) { return HI_SUCCESS; }
HI_S32 HI_UNF_GPIO_DeInit(HI_VOID) { return HI_SUCCESS; }
HI_S32 HI_UNF_GPIO_SetDirBit(HI_U32 gpioNo, HI_BOOL) {
    return gpioNo < kGpioLines ? HI_SUCCESS : -1;
}
HI_S32 HI_UNF_GPIO_ReadBit(HI_U32 gpioNo, HI_BOOL* level) {
    if (gpioNo >= kGpioLines || level == nullptr) return -1;
    PullUpGpio();
    *level = gpioLevels[gpioNo];
    return HI_SUCCESS;
}

HI_S32 HI_UNF_LSADC_Init(HI_VOID) { return 3; }
HI_S32 HI_UNF_LSADC_GetConfig(hiUNF_LSADC_Config_S* config) {
    *config = lsadcConfig;
    return HI_SUCCESS;
}
HI_S32 HI_UNF_LSADC_SetConfig(hiUNF_LSADC_Config_S* config) {
    lsadcConfig = *config;
    return HI_SUCCESS;
}
HI_S32 HI_UNF_LSADC_GetValue(HI_U32 channel, HI_U32* value) {
    if (channel >= kChannels || value == nullptr) return -1;
    *value = readings[channel];
    return HI_SUCCESS;
}

HI_S32 HI_UNF_PMOC_Init(HI_VOID) { return HI_SUCCESS; }
HI_S32 hi_unf_pmoc_get_wakeup_condition(HI_U32, HI_UNF_PMOC_WAKEUP_CONDITION_S* condition) {
    *condition = wakeCondition;
    return HI_SUCCESS;
}
HI_S32 hi_unf_pmoc_set_wakeup_condition(HI_U32, HI_UNF_PMOC_WAKEUP_CONDITION_S condition) {
    wakeCondition = condition;
    return HI_SUCCESS;
}

HI_S32 HI_UNF_PDM_GetDevInfo(HI_U32 type, HI_VOID* data, HI_U32 size) {
    if (type == HI_UNF_PDM_DEVINFO_KEY_LOCK && size == sizeof keyLock) {
        memcpy(data, &keyLock, sizeof keyLock);
        return HI_SUCCESS;
    }
    if (type == HI_UNF_PDM_DEVINFO_LSADC_POWER_KEY && size == sizeof powerKeyRecord) {
        memcpy(data, &powerKeyRecord, sizeof powerKeyRecord);
        return HI_SUCCESS;
    }
    return -1;
}
HI_S32 HI_UNF_PDM_SetDevInfo(HI_U32 type, HI_VOID* data, HI_U32 size) {
    if (type == HI_UNF_PDM_DEVINFO_LSADC_POWER_KEY && size == sizeof powerKeyRecord) {
        memcpy(&powerKeyRecord, data, sizeof powerKeyRecord);
        return HI_SUCCESS;
    }
    return -1;
}

// No customisation files in memory: the layout is set by the benchmark itself.
int CUST_TYPE_CONFIG = 1;
char* hi_get_one_cfg_file(const char*, int, char*) { return nullptr; }
