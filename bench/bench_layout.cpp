#include "bench_layout.h"

#include <string.h>

#include "key_pars/key_pars.h"
#include "main/adc_scanner.h"

static constexpr uint8_t kGpioGroup = 2;

void SetEightKeyGroup(unsigned int channel) {
    memset(keyGroups, 0, sizeof keyGroups);
    KeyArry& group = keyGroups[0];
    group.enable = 1;
    group.channel_id = static_cast<uint8_t>(channel);
    group.KeyLevelNum = 8;
    for (int i = 0; i < 8; ++i) {
        group.KeyThreshold[i] = static_cast<uint8_t>(0x18 + 0x20 * i);
        group.KeyCode[i] = 0x1A0 + i;
        group.LongKeyCode[i] = i >= 6 ? 0x1F0 + i : 0;
        group.LongKeyDuration[i] = 800;
    }
    ResetAdcScanner();
    pdmKeyLock = 0;
    currentKey = 0;
    currentKeyTime = 0;
}

unsigned int ReadingOfKey(int k) { return keyGroups[0].KeyThreshold[k] - 4u; }

void SetEightGpioKeys() {
    memset(&gpioKeys, 0, sizeof gpioKeys);
    gpioKeys.enable = 1;
    gpioKeys.KeyLevelNum = 8;
    for (int n = 0; n < 8; ++n) {
        gpioKeys.GroupNum[n] = kGpioGroup;
        gpioKeys.PinNum[n] = static_cast<uint8_t>(n);
        gpioKeys.KeyCode[n] = 0x1A0 + n;
    }
}

unsigned int GpioLineOfKey(int n) { return kGpioGroup * 8u + static_cast<unsigned int>(n); }
