// LSADC controller set-up and the LSADC power key's wake-up settings.
#pragma once

#include <stdint.h>

#include "sdk/hi_sdk_api.h"

extern uint8_t lsadcSwitchOn;
extern uint32_t lsadcChannelMask;

// The daemon's own view of the controller settings, copied into the SDK record in its order.
struct lsadcConfig {
    uint32_t field[10];
};

void InitLSADCConfig();
void HiLsadcStructConfig(hiUNF_LSADC_Config_S& dest, const lsadcConfig& src);
int GetKeyPadPowerValue(uint8_t* values, uint32_t len);
void HiLsadcPowerKeySet(const uint8_t* values, uint32_t mask);
int HiLsadcPmocPowerKeySet(const uint8_t* values, uint32_t mask);
int HiLsadcPdmPowerKeySet(const uint8_t* values, uint32_t mask);
