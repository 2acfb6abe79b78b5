// Which element of key_pad.xml fills which record of the daemon, found by walking the document
// the way the daemon reads it, with findings about everything that the daemon passes over:
// unknown or misspelt names, children it never reads, keys that take no slot, number texts.
#pragma once

#include <stdint.h>

#include <string>

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
    // Another ADC group has an element on one of this group's lines (a layout written on one
    // line), so a line number alone does not tell which group a finding is about.
    bool sharesLine;
};

struct LayoutElements {
    const tinyxml2::XMLElement* root;  // nullptr when the daemon rejects the root
    GroupElements adc[kAdcGroupCount];
    GroupElements gpio;  // channel is never set
};

void WalkLayout(const tinyxml2::XMLDocument& document, LayoutElements& elements,
                Findings& findings);
// How findings name key k of ADC group g: "key K", or "group G key K" (G as in <adc_groupG>)
// where the group shares its lines with another, or where named says so.
std::string KeyRef(const GroupElements& group, int g, int k, bool named = false);
// The line of the first element given that exists, else 0.
int LineOf(const tinyxml2::XMLElement* first, const tinyxml2::XMLElement* second = nullptr,
           const tinyxml2::XMLElement* third = nullptr);
