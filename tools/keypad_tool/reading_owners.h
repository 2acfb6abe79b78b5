// Which key of an ADC group each 8-bit reading gives, asked of the daemon's own matching.
#pragma once

#include <stdint.h>

#include <string>

constexpr int kReadings = 256;
// A key's window: the readings from its threshold - 16 up to the threshold.
constexpr int kWindowWidth = 16;
// Margins smaller than this are crossed by resistor tolerance and temperature.
constexpr int kSafeMargin = 3;

// A reading as the tools print it: "0x2a".
std::string ReadingHex(int reading);

// owners[r]: the slot that reading r maps to in group g, or -1 for none.
void ReadingOwners(int g, int8_t owners[kReadings]);
