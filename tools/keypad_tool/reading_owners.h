// Which key of an ADC group each 8-bit reading gives, asked of the daemon's own matching.
#pragma once

#include <stdint.h>

constexpr int kReadings = 256;

// owners[r]: the slot that reading r maps to in group g, or -1 for none.
void ReadingOwners(int g, int8_t owners[kReadings]);
