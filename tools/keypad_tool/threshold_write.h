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
    int group;  // the ADC group and slot the daemon reads the element into
    int slot;
};

// The layout's text (the bytes its document was parsed from) with the edits made, in edited.
// 0, or the line of an element whose start tag cannot be edited (edited is then incomplete).
int EditThresholds(const std::string& text, const std::vector<ThresholdEdit>& edits,
                   std::string& edited);

// The one way a command writes new thresholds: the edited text must give the daemon exactly the
// records it holds now (from start-up on text) with only the edits' thresholds changed, and then
// goes to outPath through the safe writer. 0, or -1 after saying why on standard error, with
// nothing written. The daemon is left started up on the edited text.
int WriteThresholds(const char* layoutName, const std::string& text,
                    const std::vector<ThresholdEdit>& edits, const char* outPath);
