// The attributes that the daemon reads, each with how it parses the text, and the check of one
// attribute's text against that: the value the daemon really stores, and whether it is the one
// the text seems to say.
#pragma once

#include <stdint.h>

#include "finding.h"

namespace tinyxml2 {
class XMLAttribute;
}

enum FieldParse {
    kNarrow,  // strtoul: 32 bits, saturating at 0xffffffff, then the field's low bits
    kWide,    // strtoull: 64 bits, saturating, then the field's low 32 bits
    kFlag,    // on only for the exact text "true"
};

struct FieldRule {
    const char* element;
    const char* attribute;
    FieldParse parse;
    int radix;
    int bits;
    bool keyCode;  // a key code, whose text may have been meant in the other radix
};

// The rule for an attribute of an element of an ADC group (gpio false) or of <gpio>; nullptr
// when the daemon does not read that attribute.
const FieldRule* FindFieldRule(bool gpio, const char* element, const char* attribute);
// The attribute names that the daemon reads on that element, for suggestions; count set.
const char* const* KnownAttributes(bool gpio, const char* element, int& count);
// Findings about the attribute's text; the value the daemon stores goes to stored.
void CheckFieldText(const tinyxml2::XMLAttribute& attribute, const FieldRule& rule,
                    Findings& findings, uint32_t& stored);
