// Front-panel keys each wired to its own GPIO line (low while pressed).
#pragma once

#include <stdint.h>

#include "sdk/hi_sdk_api.h"

extern uint8_t gpioReady;
extern HI_BOOL gpioLevel[8];
extern HI_BOOL gpioLastLevel[8];
extern uint32_t gpioChangeCount[8];

void GpioPowerInit();
void DoGpioPowerOpt();
