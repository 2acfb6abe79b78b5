#include "replay_board.h"

#include <android/log.h>
#include <cutils/properties.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

static constexpr uint32_t kIdleReading = 255;
// The descriptor number that the LSADC initialisation hands out; nothing ever waits on it.
static constexpr HI_S32 kLsadcDescriptor = 3;

struct Property {
    char name[kBoardPropertyName];
    char value[PROPERTY_VALUE_MAX];
};

static uint32_t readings[kBoardChannels];
static bool readFails[kBoardChannels];
static HI_BOOL gpioLevels[kBoardGpioLines];
static int32_t keyLock;
static Property properties[kBoardProperties];
static int propertyCount;
static hiUNF_LSADC_Config_S lsadcConfig;
static HI_UNF_PMOC_WAKEUP_CONDITION_S wakeCondition;
static HI_UNF_PDM_LSADC_POWER_KEY_S powerKeyRecord;
// The layout's private copy, and the name under which the process opens it again.
static int layoutFd = -1;
static char layoutPath[64];
static bool layoutSet;

void ResetReplayBoard() {
    for (uint32_t& reading : readings) reading = kIdleReading;
    memset(readFails, 0, sizeof readFails);
    for (HI_BOOL& level : gpioLevels) level = HI_TRUE;
    keyLock = 0;
    propertyCount = 0;
    memset(&lsadcConfig, 0, sizeof lsadcConfig);
    memset(&wakeCondition, 0, sizeof wakeCondition);
    memset(&powerKeyRecord, 0, sizeof powerKeyRecord);
    layoutSet = false;
}

// A file of the process's own that no other process can see or change: a memory file where the
// C library has them, else a temporary file unlinked as soon as it is made. Made once; every
// layout after the first is written over it.
static int OpenLayoutCopy() {
#ifdef MFD_CLOEXEC
    const int fd = memfd_create("key_pad.xml", MFD_CLOEXEC);
    if (fd >= 0) return fd;
#endif
    const char* folder = getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/keypad-tool-XXXXXX";
    const int temporary = mkstemp(&name[0]);
    if (temporary >= 0) unlink(name.c_str());
    return temporary;
}

int SetBoardLayoutText(const std::string& text) {
    if (layoutFd < 0) {
        layoutFd = OpenLayoutCopy();
        if (layoutFd < 0) {
            fprintf(stderr, "keypad-tool: cannot keep a copy of the layout: %s\n", strerror(errno));
            return -1;
        }
        snprintf(layoutPath, sizeof layoutPath, "/proc/self/fd/%d", layoutFd);
    }
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n =
            pwrite(layoutFd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    if (done < text.size() || ftruncate(layoutFd, static_cast<off_t>(text.size())) != 0) {
        fprintf(stderr, "keypad-tool: cannot keep a copy of the layout: %s\n", strerror(errno));
        return -1;
    }
    layoutSet = true;
    return 0;
}

void SetBoardReading(uint32_t channel, uint32_t reading) {
    if (channel >= kBoardChannels) return;
    readings[channel] = reading;
    readFails[channel] = false;
}

void SetBoardReadFails(uint32_t channel) {
    if (channel < kBoardChannels) readFails[channel] = true;
}

void SetBoardGpioLevel(uint32_t line, int level) {
    if (line < kBoardGpioLines) gpioLevels[line] = level != 0 ? HI_TRUE : HI_FALSE;
}

void SetBoardKeyLock(int32_t value) { keyLock = value; }

int SetBoardProperty(const char* name, const char* value) {
    if (strlen(name) >= kBoardPropertyName || strlen(value) >= PROPERTY_VALUE_MAX) return -1;
    int slot = 0;
    while (slot < propertyCount && strcmp(properties[slot].name, name) != 0) ++slot;
    if (slot == kBoardProperties) return -1;
    if (slot == propertyCount) ++propertyCount;
    strcpy(properties[slot].name, name);
    strcpy(properties[slot].value, value);
    return 0;
}

uint32_t BoardChannelMask() { return lsadcConfig.words[0]; }
const HI_UNF_PMOC_WAKEUP_CONDITION_S& BoardWakeCondition() { return wakeCondition; }
const HI_UNF_PDM_LSADC_POWER_KEY_S& BoardPowerKeyRecord() { return powerKeyRecord; }

// --- the daemon's platform, answered from the variables above ------------------------------

// The daemon's messages say nothing that the tool does not print in its own words.
extern "C" int __android_log_print(int, const char*, const char*, ...) { return 0; }

extern "C" int property_get(const char* key, char* value, const char* default_value) {
    const char* found = "";
    for (int i = 0; key && i < propertyCount; ++i) {
        if (strcmp(properties[i].name, key) == 0) found = properties[i].value;
    }
    if (*found == '\0' && default_value) found = default_value;
    size_t length = strnlen(found, PROPERTY_VALUE_MAX - 1);
    memcpy(value, found, length);
    value[length] = '\0';
    return static_cast<int>(length);
}

HI_S32 HI_UNF_GPIO_Init(HI_VOID) { return HI_SUCCESS; }
HI_S32 HI_UNF_GPIO_DeInit(HI_VOID) { return HI_SUCCESS; }
HI_S32 HI_UNF_GPIO_SetDirBit(HI_U32 gpioNo, HI_BOOL) {
    return gpioNo < kBoardGpioLines ? HI_SUCCESS : kBoardReadFault;
}
HI_S32 HI_UNF_GPIO_ReadBit(HI_U32 gpioNo, HI_BOOL* level) {
    if (gpioNo >= kBoardGpioLines || !level) return kBoardReadFault;
    *level = gpioLevels[gpioNo];
    return HI_SUCCESS;
}

HI_S32 HI_UNF_LSADC_Init(HI_VOID) { return kLsadcDescriptor; }
HI_S32 HI_UNF_LSADC_GetConfig(hiUNF_LSADC_Config_S* config) {
    *config = lsadcConfig;
    return HI_SUCCESS;
}
HI_S32 HI_UNF_LSADC_SetConfig(hiUNF_LSADC_Config_S* config) {
    lsadcConfig = *config;
    return HI_SUCCESS;
}
HI_S32 HI_UNF_LSADC_GetValue(HI_U32 channel, HI_U32* value) {
    if (channel >= kBoardChannels || !value || readFails[channel]) return kBoardReadFault;
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
    return kBoardReadFault;
}
HI_S32 HI_UNF_PDM_SetDevInfo(HI_U32 type, HI_VOID* data, HI_U32 size) {
    if (type != HI_UNF_PDM_DEVINFO_LSADC_POWER_KEY || size != sizeof powerKeyRecord) {
        return kBoardReadFault;
    }
    memcpy(&powerKeyRecord, data, sizeof powerKeyRecord);
    return HI_SUCCESS;
}

int CUST_TYPE_CONFIG = 1;
// The daemon opens whatever path the lookup returns: here the layout's private copy, read through
// the process's own descriptor, so the daemon reads exactly the bytes the tool read.
char* hi_get_one_cfg_file(const char*, int type, char*) {
    return type == CUST_TYPE_CONFIG && layoutSet ? layoutPath : nullptr;
}

int memset_s(void* dest, size_t destMax, int c, size_t count) {
    if (!dest || destMax == 0) return EINVAL;
    memset(dest, c, count < destMax ? count : destMax);
    return count > destMax ? ERANGE : 0;
}

int strncpy_s(char* dest, size_t destMax, const char* src, size_t count) {
    if (!dest || destMax == 0 || !src) return EINVAL;
    size_t length = strnlen(src, count);
    if (length >= destMax) {
        dest[0] = '\0';
        return ERANGE;
    }
    memcpy(dest, src, length);
    dest[length] = '\0';
    return 0;
}
