#include "reading_owners.h"

#include <stdio.h>

#include "key_pars/key_pars.h"
#include "main/adc_scanner.h"

void ReadingOwners(int g, int8_t owners[kReadings]) {
    const int levels = keyGroups[g].KeyLevelNum;
    const int slots = levels < kKeySlots ? levels : kKeySlots;
    for (int r = 0; r < kReadings; ++r) {
        // A group the daemon cannot match leaves the slot as it was: start from "none".
        int slot = kKeySlots;
        MapKeyValue(g, static_cast<unsigned int>(r), slot);
        owners[r] = static_cast<int8_t>(slot < slots ? slot : -1);
    }
}

std::string ReadingHex(int reading) {
    char text[16];
    snprintf(text, sizeof text, "0x%02x", reading);
    return text;
}
