#include "main/gpio_keys.h"

#include "key_pars/key_pars.h"
#include "main/lsadc_setup.h"
#include "main/tavrion_log.h"
#include "main/uinput_device.h"
#include "sdk/hi_wrappers.h"

// A level must differ from the reported one on this many passes in a row before it is reported.
static constexpr uint32_t kDebouncePasses = 4;

uint8_t gpioReady = 0;
HI_BOOL gpioLevel[kKeySlots];
// Key 0 is taken to start released (high) and the others pressed (low), so a key 0 held at
// start-up and idle keys 1 to 7 are each reported once their level has settled.
HI_BOOL gpioLastLevel[kKeySlots] = {HI_TRUE,  HI_FALSE, HI_FALSE, HI_FALSE,
                                    HI_FALSE, HI_FALSE, HI_FALSE, HI_FALSE};
uint32_t gpioChangeCount[kKeySlots] = {};

void GpioPowerInit() {
    // The layout is read again here even when GPIO keys turn out to be off.
    GetGpioKeyPad(gpioKeys);
    if (gpioKeys.enable == 0) {
        return;
    }
    if (lsadcSwitchOn == 1) {
        TLOGD("Both LSADC and GPIO switches are on, please check the configuration!\n");
    }
    TLOGD("tavrion: ENTER GpioPowerInit");
    if (gpioReady) {
        return;
    }
    int result = HiGpioInit();
    if (result != 0) {
        TLOGD("HiGpioInit err, 0x%08x !\n", static_cast<unsigned int>(result));
        return;
    }
    if (gpioKeys.KeyLevelNum > kKeySlots) {
        return;
    }
    for (int n = 0; n < gpioKeys.KeyLevelNum; ++n) {
        result = HiGpioSetDirection(gpioKeys.GroupNum[n], gpioKeys.PinNum[n], HI_TRUE);
        if (result != 0) {
            TLOGD("HiGpioSetDirection err, 0x%08x !\n", static_cast<unsigned int>(result));
            // The keys stay off, so the driver is released; lines already set stay inputs.
            HiGpioDeinit();
            return;
        }
    }
    gpioReady = 1;
}

void DoGpioPowerOpt() {
    if (gpioKeys.KeyLevelNum == 0 || gpioKeys.KeyLevelNum > kKeySlots) {
        return;
    }
    for (int n = 0; n < gpioKeys.KeyLevelNum; ++n) {
        int result = HiGpioRead(gpioKeys.GroupNum[n], gpioKeys.PinNum[n], gpioLevel[n]);
        if (result != 0) {
            // The remaining keys wait for the next pass, which starts again at key 0.
            TLOGD("call HiGpioRead fail , read value error(0x%08x)\n",
                  static_cast<unsigned int>(result));
            return;
        }
        if (gpioLevel[n] == gpioLastLevel[n]) {
            gpioChangeCount[n] = 0;
            continue;
        }
        uint32_t changes = gpioChangeCount[n]++;
        if (changes < kDebouncePasses - 1) {
            continue;
        }
        TLOGD("press gpio keycod(%x).\n", gpioKeys.KeyCode[n]);
        WriteEventToDevice(gpioKeys.KeyCode[n], gpioLevel[n] == HI_FALSE ? 1 : 0);
        gpioLastLevel[n] = gpioLevel[n];
        // The next change is counted from nothing, so that a contact bouncing in the pass right
        // after its event needs four passes like any other change instead of being reported.
        gpioChangeCount[n] = 0;
    }
}
