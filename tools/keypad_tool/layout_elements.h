// Which element of key_pad.xml fills which record of the daemon, found by walking the document
// the way the daemon reads it, with findings about everything that the daemon passes over:
// unknown or misspelt names, children it never reads, keys that take no slot, number texts.
#pragma once

#include <stdint.h>

#include "finding.h"
#include "key_pars/key_pars.h"

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

struct GroupElements {
    const tinyxml2::XMLElement* group;  // the element read as the group; nullptr: none
    // The element whose value the daemon keeps (the last of its name), or nullptr.
    const tinyxml2::XMLElement* enable;
    const tinyxml2::XMLElement* channel;
    const tinyxml2::XMLElement* levels;
    const tinyxml2::XMLElement* keys[kKeySlots];  // the <key_pad> that fills each slot
    int keyPads;  // <key_pad> elements of the group, those that take no slot included
};

struct LayoutElements {
    const tinyxml2::XMLElement* root;  // nullptr when the daemon rejects the root
    GroupElements adc[kAdcGroupCount];
    GroupElements gpio;  // channel is never set
};

void WalkLayout(const tinyxml2::XMLDocument& document, LayoutElements& elements,
                Findings& findings);
// The line of the first element given that exists, else 0.
int LineOf(const tinyxml2::XMLElement* first, const tinyxml2::XMLElement* second = nullptr,
           const tinyxml2::XMLElement* third = nullptr);
