// Writes a copy of key_pad.xml in which only the KeyThreshold values of some key_pad elements
// differ: every other byte, comments and layout included, stays as it was, and each new value
// keeps the look of the old one (0x prefix or none, letter case, leading zeros).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

struct ThresholdEdit {
    const tinyxml2::XMLElement* element;  // a key_pad element of the document parsed from text
    uint8_t threshold;
};

// The layout's text (the bytes its document was parsed from) with the edits made, in edited.
// 0, or the line of an element whose start tag cannot be edited (edited is then incomplete).
int EditThresholds(const std::string& text, const std::vector<ThresholdEdit>& edits,
                   std::string& edited);
