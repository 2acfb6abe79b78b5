// The LSADC controller of the simulated board. Readings come from lsadc/<channel>, the applied
// configuration lives in lsadc/config, and the device descriptor is a timer that fires once per
// conversion period (lsadc/period_ms) while the configuration enables a channel. Reading a
// channel acknowledges the conversion, so the descriptor stays quiet until the next period.
#include <errno.h>
#include <string.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "board_files.h"
#include "sdk/hi_sdk_api.h"

static constexpr uint32_t kIdleReading = 255;
static constexpr uint32_t kDefaultPeriodMs = 10;

// The descriptor handed out by the last initialisation; the caller owns it.
static int conversionTimer = -1;

static bool TimerStillOurs() {
    struct itimerspec current;
    return conversionTimer >= 0 && timerfd_gettime(conversionTimer, &current) == 0;
}

static void ReadStoredConfig(hiUNF_LSADC_Config_S& config) {
    memset(&config, 0, sizeof config);
    std::vector<uint8_t> bytes;
    if (SimReadFile("lsadc/config", bytes)) {
        memcpy(&config, bytes.data(), bytes.size() < sizeof config ? bytes.size() : sizeof config);
    }
}

static uint32_t ConversionPeriodMs() {
    std::vector<uint8_t> bytes;
    uint32_t period = 0;
    if (!SimReadFile("lsadc/period_ms", bytes) ||
        !SimParseNumber(std::string(bytes.begin(), bytes.end()), period) || period == 0) {
        return kDefaultPeriodMs;
    }
    return period;
}

// Converts while at least one channel is enabled; stops otherwise.
static void ArmForMask(uint32_t channelMask) {
    if (!TimerStillOurs()) {
        return;
    }
    struct itimerspec timing;
    memset(&timing, 0, sizeof timing);
    if (channelMask != 0) {
        uint32_t period = ConversionPeriodMs();
        timing.it_interval.tv_sec = period / 1000;
        timing.it_interval.tv_nsec = static_cast<long>(period % 1000) * 1000000L;
        timing.it_value = timing.it_interval;
    }
    timerfd_settime(conversionTimer, 0, &timing, nullptr);
}

HI_S32 HI_UNF_LSADC_Init(HI_VOID) {
    int32_t code = 0;
    if (SimFailCode("HI_UNF_LSADC_Init", code)) {
        return code;
    }
    int timer = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    if (timer < 0) {
        return -errno;
    }
    conversionTimer = timer;
    hiUNF_LSADC_Config_S config;
    ReadStoredConfig(config);
    ArmForMask(config.words[0]);
    return timer;
}

HI_S32 HI_UNF_LSADC_GetConfig(hiUNF_LSADC_Config_S* config) {
    int32_t code = 0;
    if (SimFailCode("HI_UNF_LSADC_GetConfig", code)) {
        return code;
    }
    if (!config) {
        return kSimBadArgument;
    }
    ReadStoredConfig(*config);
    return HI_SUCCESS;
}

HI_S32 HI_UNF_LSADC_SetConfig(hiUNF_LSADC_Config_S* config) {
    int32_t code = 0;
    if (SimFailCode("HI_UNF_LSADC_SetConfig", code)) {
        return code;
    }
    if (!config || !SimWriteFile("lsadc/config", config, sizeof *config)) {
        return kSimBadArgument;
    }
    ArmForMask(config->words[0]);
    return HI_SUCCESS;
}

HI_S32 HI_UNF_LSADC_GetValue(HI_U32 channel, HI_U32* value) {
    int32_t code = 0;
    if (SimFailCode("HI_UNF_LSADC_GetValue", code)) {
        return code;
    }
    if (!value) {
        return kSimBadArgument;
    }
    std::vector<uint8_t> bytes;
    uint32_t reading = kIdleReading;
    if (SimReadFile("lsadc/" + std::to_string(channel), bytes) &&
        !SimParseNumber(std::string(bytes.begin(), bytes.end()), reading)) {
        reading = kIdleReading;
    }
    *value = reading;
    if (TimerStillOurs()) {
        uint64_t expirations = 0;
        ssize_t ignored = read(conversionTimer, &expirations, sizeof expirations);
        (void)ignored;
    }
    return HI_SUCCESS;
}
