// Thin wrappers over the chip SDK: each passes its arguments on and returns the SDK's result.
#pragma once

#include "sdk/hi_sdk_api.h"

int HiGpioInit();
int HiGpioDeinit();
int HiGpioSetDirection(unsigned int group, unsigned int pin, HI_BOOL dir);
int HiGpioRead(unsigned int group, unsigned int pin, HI_BOOL& level);

int HiLsadcInit();
int HiLsadcGetValue(unsigned int channel, unsigned int& value);
int HiLsadcGetConfig(hiUNF_LSADC_Config_S& config);
int HiLsadcSetConfig(hiUNF_LSADC_Config_S& config);
