#include "daemon_startup.h"

#include <string.h>
#include <tinyxml2.h>

#include <memory>

#include "key_pars/key_pars.h"
#include "main/adc_scanner.h"
#include "main/gpio_keys.h"
#include "main/lsadc_setup.h"
#include "replay_board.h"
#include "sdk/hi_wrappers.h"
#include "virtual_devices.h"

// Start-up collects this many power-key thresholds.
static constexpr uint32_t kPowerKeyValueCount = 8;

// The daemon globals that start-up and the worker write, with the values the program image gives
// them. Taken at the first start-up, before any daemon code has run in this process, so the
// values are the image's own (constant-initialised) and are not restated here.
struct DaemonGlobals {
    KeyArry groups[kAdcGroupCount];
    GpioKeyArry gpio;
    uint8_t switchOn;
    uint32_t channelMask;
    uint8_t ready;
    HI_BOOL lastLevel[kKeySlots];
    uint32_t changeCount[kKeySlots];
    int32_t keyLock;
    uint32_t key;
    uint64_t keyTime;
};

static DaemonGlobals Capture() {
    DaemonGlobals g;
    memcpy(g.groups, keyGroups, sizeof g.groups);
    g.gpio = gpioKeys;
    g.switchOn = lsadcSwitchOn;
    g.channelMask = lsadcChannelMask;
    g.ready = gpioReady;
    memcpy(g.lastLevel, gpioLastLevel, sizeof g.lastLevel);
    memcpy(g.changeCount, gpioChangeCount, sizeof g.changeCount);
    g.keyLock = pdmKeyLock;
    g.key = currentKey;
    g.keyTime = currentKeyTime;
    return g;
}

static void Restore(const DaemonGlobals& g) {
    memcpy(keyGroups, g.groups, sizeof keyGroups);
    gpioKeys = g.gpio;
    lsadcSwitchOn = g.switchOn;
    lsadcChannelMask = g.channelMask;
    gpioReady = g.ready;
    memcpy(gpioLastLevel, g.lastLevel, sizeof gpioLastLevel);
    memcpy(gpioChangeCount, g.changeCount, sizeof gpioChangeCount);
    pdmKeyLock = g.keyLock;
    currentKey = g.key;
    currentKeyTime = g.keyTime;
    ResetAdcScanner();
}

int StartDaemonOnLayout(const std::string& text) {
    static const DaemonGlobals atProcessStart = Capture();
    Restore(atProcessStart);
    ResetReplayBoard();
    ResetVirtualDevices(nullptr, nullptr);
    if (SetBoardLayoutText(text) != 0) return -1;

    // The order of main(): LSADC driver, layout and controller, (virtual keyboard,) power-key
    // wake-up, GPIO keys.
    HiLsadcInit();
    InitLSADCConfig();
    uint8_t powerKeyValues[kPowerKeyValueCount] = {};
    if (GetKeyPadPowerValue(powerKeyValues, kPowerKeyValueCount) != 0) {
        HiLsadcPowerKeySet(powerKeyValues, lsadcChannelMask);
    }
    GpioPowerInit();
    // Each load replaces the document of the one before; a failed load leaves none.
    return keyPadDocument ? 0 : -1;
}
