// A clock that only moves when a test moves it.
#pragma once

#include <stdint.h>

void SetFakeMs(uint64_t ms);
void AdvanceFakeMs(uint64_t ms);
