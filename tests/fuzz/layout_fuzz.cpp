// Any bytes as key_pad.xml, read by the daemon the way start-up reads it: the ADC groups, then
// the GPIO group, each from a fresh load of the file.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "key_pars/key_pars.h"

static std::string layoutPath;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The simulated board's customisation lookup finds the layout under its root.
    char root[] = "/dev/shm/layout-fuzz-XXXXXX";
    if (!mkdtemp(root)) abort();
    setenv("SIM_BOARD_DIR", root, 1);
    layoutPath = std::string(root) + "/cfg/atv/etc/key_pad.xml";
    if (system(("mkdir -p " + std::string(root) + "/cfg/atv/etc").c_str()) != 0) abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = fopen(layoutPath.c_str(), "wb");
    if (!file) abort();
    if (size > 0 && fwrite(data, 1, size, file) != size) abort();
    fclose(file);
    memset(keyGroups, 0, sizeof keyGroups);
    memset(&gpioKeys, 0, sizeof gpioKeys);
    GetBoardKeyPad(keyGroups, kAdcGroupCount);
    GetGpioKeyPad(gpioKeys);
    return 0;
}
