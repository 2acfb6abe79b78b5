// Any bytes as key_pad.xml, through keypad-tool check's analysis: the daemon's own start-up
// reads the file (the ADC groups, the controller and wake-up set-up, the GPIO keys), and the
// check walks it and judges the records. Every finding must point at a line of the file.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "check_command.h"

static std::string layoutPath;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    layoutPath = "/tmp/layout-fuzz-" + std::to_string(getpid()) + ".xml";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = fopen(layoutPath.c_str(), "wb");
    if (!file) abort();
    if (size > 0 && fwrite(data, 1, size, file) != size) abort();
    fclose(file);
    LayoutElements elements;
    Findings findings;
    if (FindLayoutProblems(layoutPath.c_str(), elements, findings) != 0) return 0;
    const int lines = 1 + static_cast<int>(std::count(data, data + size, '\n'));
    for (const Finding& finding : findings) {
        if (finding.line < 0 || finding.line > lines || finding.text.empty()) abort();
    }
    return 0;
}
