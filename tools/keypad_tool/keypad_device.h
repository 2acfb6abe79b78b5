// The "Hi Keypad" device as the daemon's own set-up makes it (SetupUinputDevice, run against a
// stand-in driver that refuses what the kernel refuses): who it says it is, which Android uses
// to choose its key layout file, and which codes it announces, the only ones the kernel passes on.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct KeypadDevice {
    std::string name;
    uint16_t bus;
    uint16_t vendor;
    uint16_t product;
    uint16_t version;
    std::vector<bool> announced;  // by code
};

// Runs the set-up on the layout that start-up has read into the daemon's records: 0, or -1 when
// the set-up failed (the daemon would then end).
int ReadKeypadDevice(KeypadDevice& device);
bool Announces(const KeypadDevice& device, uint32_t code);
// The names Android looks for, in its order: by vendor and product (and version, when it is not
// 0), by the device's name with every character but letters, digits, '-' and '_' made '_', and
// Generic.kl.
std::vector<std::string> KeyLayoutNames(const KeypadDevice& device);
