#include "sdk/hi_wrappers.h"

// GPIO lines are numbered eight to a group.
static HI_U32 GpioLine(unsigned int group, unsigned int pin) { return group * 8 + pin; }

int HiGpioInit() { return HI_UNF_GPIO_Init(); }

int HiGpioDeinit() { return HI_UNF_GPIO_DeInit(); }

int HiGpioSetDirection(unsigned int group, unsigned int pin, HI_BOOL dir) {
    return HI_UNF_GPIO_SetDirBit(GpioLine(group, pin), dir);
}

int HiGpioRead(unsigned int group, unsigned int pin, HI_BOOL& level) {
    return HI_UNF_GPIO_ReadBit(GpioLine(group, pin), &level);
}

int HiLsadcInit() { return HI_UNF_LSADC_Init(); }

int HiLsadcGetValue(unsigned int channel, unsigned int& value) {
    return HI_UNF_LSADC_GetValue(channel, &value);
}

int HiLsadcGetConfig(hiUNF_LSADC_Config_S& config) { return HI_UNF_LSADC_GetConfig(&config); }

int HiLsadcSetConfig(hiUNF_LSADC_Config_S& config) { return HI_UNF_LSADC_SetConfig(&config); }
