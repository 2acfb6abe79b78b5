// Number parsing with the set's 32-bit C library semantics on every build: strtoul saturates
// at 0xFFFFFFFF (unsigned long is 32 bits there), strtoull at 2^64 - 1.
#pragma once

#include <stdint.h>

uint32_t ParseUlong32(const char* text, int base);
uint64_t ParseUllong64(const char* text, int base);
