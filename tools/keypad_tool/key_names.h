// Linux key codes by their kernel names (libevdev's table of the kernel's input codes).
#pragma once

#include <stdint.h>

#include <string>

// The kernel's highest key code: the virtual keyboard cannot announce anything above it.
constexpr uint32_t kKernelKeyMax = 0x2ff;

// "KEY_POWER", or nullptr when the kernel has no name for the code.
const char* KeyName(uint32_t code);
// "KEY_POWER (116)", or "code 744" for a code without a name.
std::string KeyLabel(uint32_t code);
