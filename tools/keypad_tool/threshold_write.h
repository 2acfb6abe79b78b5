// Writes a copy of key_pad.xml in which only the KeyThreshold values of some key_pad elements
// differ: every other byte, comments and layout included, stays as it was, and each new value
// keeps the look of the old one (0x prefix or none, letter case, leading zeros).
#pragma once

#include <stdint.h>

#include <vector>

namespace tinyxml2 {
class XMLElement;
}

struct ThresholdEdit {
    const tinyxml2::XMLElement* element;  // a key_pad element of the loaded layout
    uint8_t threshold;
};

// The layout's text with the edits made; 0, or -1 after saying why on standard error.
int EditThresholds(const char* layoutPath, const std::vector<ThresholdEdit>& edits,
                   std::vector<char>& text);
