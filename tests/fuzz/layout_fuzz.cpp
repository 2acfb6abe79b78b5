// Any bytes as key_pad.xml, through keypad-tool check's analysis: the daemon's own start-up
// reads them (the ADC groups, the controller and wake-up set-up, the GPIO keys), and the check
// walks the layout and judges the records. Every finding must point at a line of the input.
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "check_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    LayoutElements elements;
    Findings findings;
    if (FindLayoutProblems("layout", text, elements, findings) != 0) return 0;
    const int lines = 1 + static_cast<int>(std::count(data, data + size, '\n'));
    for (const Finding& finding : findings) {
        if (finding.line < 0 || finding.line > lines || finding.text.empty()) abort();
    }
    return 0;
}
