#include "layout_elements.h"

#include <ctype.h>
#include <string.h>
#include <tinyxml2.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "field_text.h"

using tinyxml2::XMLAttribute;
using tinyxml2::XMLElement;

int LineOf(const XMLElement* first, const XMLElement* second, const XMLElement* third) {
    const XMLElement* e = first ? first : second ? second : third;
    return e ? e->GetLineNum() : 0;
}

std::string KeyRef(const GroupElements& group, int g, int k, bool named) {
    return (group.sharesLine || named ? "group " + std::to_string(g) + " key " : "key ") +
           std::to_string(k);
}

static bool Is(const XMLElement& e, const char* name) { return strcmp(e.Name(), name) == 0; }

// The lines on which e and the elements inside it start, in ascending order.
static void LinesOf(const XMLElement& e, std::vector<int>& lines) {
    lines.push_back(e.GetLineNum());
    for (const XMLElement* c = e.FirstChildElement(); c; c = c->NextSiblingElement()) {
        LinesOf(*c, lines);
    }
}

// Edit distance of two short names, letter case ignored; 3 or more counts as far apart.
static int Distance(const char* a, const char* b) {
    const size_t n = strlen(b);
    if (n >= 32) return 3;
    int row[33];
    for (size_t j = 0; j <= n; ++j) row[j] = static_cast<int>(j);
    for (size_t i = 1; a[i - 1] != '\0'; ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (size_t j = 1; j <= n; ++j) {
            int above = row[j];
            bool same = tolower(static_cast<unsigned char>(a[i - 1])) ==
                        tolower(static_cast<unsigned char>(b[j - 1]));
            int best = diagonal + (same ? 0 : 1);
            if (above + 1 < best) best = above + 1;
            if (row[j - 1] + 1 < best) best = row[j - 1] + 1;
            row[j] = best;
            diagonal = above;
        }
    }
    return row[n];
}

// A name close to one the daemon reads is a misspelling that loses a value: an error. Any other
// unknown name is only noise to the daemon: a warning.
static void Unknown(Findings& findings, int line, const char* what, const char* name,
                    const char* const* known, int count, const char* where) {
    for (int i = 0; i < count; ++i) {
        if (Distance(name, known[i]) <= 2 && strlen(name) > 3) {
            AddFinding(findings, line, kError,
                       "%s \"%s\" %s is not read by the daemon: did you mean \"%s\"?", what, name,
                       where, known[i]);
            return;
        }
    }
    AddFinding(findings, line, kWarning, "%s \"%s\" %s is not read by the daemon", what, name,
               where);
}

// Checks every attribute of e; returns what the daemon stores from "value" (0 when absent, as
// its default text "0" gives).
static uint32_t CheckAttributes(const XMLElement& e, bool gpio, Findings& findings) {
    int count = 0;
    const char* const* known = KnownAttributes(gpio, e.Name(), count);
    char where[80];
    snprintf(where, sizeof where, "of <%s>", e.Name());
    uint32_t value = 0;
    for (const XMLAttribute* a = e.FirstAttribute(); a; a = a->Next()) {
        const FieldRule* rule = FindFieldRule(gpio, e.Name(), a->Name());
        if (!rule) {
            Unknown(findings, a->GetLineNum(), "attribute", a->Name(), known, count, where);
            continue;
        }
        uint32_t stored = 0;
        CheckFieldText(*a, *rule, findings, stored);
        if (strcmp(a->Name(), "value") == 0) value = stored;
    }
    return value;
}

// Every child of an element that the daemon reads no further.
static void NoChildren(const XMLElement& e, Findings& findings) {
    for (const XMLElement* c = e.FirstChildElement(); c; c = c->NextSiblingElement()) {
        AddFinding(findings, c->GetLineNum(), kWarning,
                   "<%s> inside <%s> is not read by the daemon", c->Name(), e.Name());
    }
}

// The later of two elements of one name wins; say which one is overridden.
static void Keep(const XMLElement*& slot, const XMLElement& e, Findings& findings) {
    if (slot) {
        AddFinding(findings, e.GetLineNum(), kWarning,
                   "a second <%s> in this group: its value replaces the one at line %d", e.Name(),
                   slot->GetLineNum());
    }
    slot = &e;
}

static void WalkGroup(const XMLElement& group, GroupElements& out, Findings& findings) {
    static const char* const kNames[] = {"enable", "channel_id", "KeyLevelNum", "key_pad"};
    out.group = &group;
    CheckAttributes(group, false, findings);
    for (const XMLElement* c = group.FirstChildElement(); c; c = c->NextSiblingElement()) {
        if (Is(*c, "enable")) {
            Keep(out.enable, *c, findings);
        } else if (Is(*c, "channel_id")) {
            Keep(out.channel, *c, findings);
        } else if (Is(*c, "KeyLevelNum")) {
            Keep(out.levels, *c, findings);
        } else if (Is(*c, "key_pad")) {
            if (out.keyPads < kKeySlots) {
                out.keys[out.keyPads] = c;
            } else {
                AddFinding(findings, c->GetLineNum(), kError,
                           "<key_pad> number %d of the group is ignored: a group holds eight keys",
                           out.keyPads + 1);
            }
            ++out.keyPads;
        } else {
            char where[80];
            snprintf(where, sizeof where, "in <%s>", group.Name());
            Unknown(findings, c->GetLineNum(), "element", c->Name(), kNames, 4, where);
            continue;
        }
        CheckAttributes(*c, false, findings);
        NoChildren(*c, findings);
    }
}

// A <key_pad> of <gpio> takes the next slot only while the KeyLevelNum read so far announces
// it; one that does not is passed over and takes no slot.
static void WalkGpioKey(const XMLElement& key, uint32_t announced, int& slot, GroupElements& out,
                        Findings& findings) {
    const int ordinal = ++out.keyPads;
    if (slot < kKeySlots && static_cast<uint32_t>(slot) < announced) {
        out.keys[slot++] = &key;
    } else if (!out.levels) {
        AddFinding(findings, key.GetLineNum(), kError,
                   "<key_pad> number %d of <gpio> is ignored: it comes before <KeyLevelNum>, and "
                   "the daemon takes GPIO keys only once KeyLevelNum has announced them",
                   ordinal);
    } else if (slot >= kKeySlots) {
        AddFinding(findings, key.GetLineNum(), kError,
                   "<key_pad> number %d of <gpio> is ignored: the daemon holds eight GPIO keys",
                   ordinal);
    } else {
        AddFinding(findings, key.GetLineNum(), kError,
                   "<key_pad> number %d of <gpio> is ignored: KeyLevelNum (line %d) announces %u",
                   ordinal, out.levels->GetLineNum(), announced);
    }
}

static void WalkGpio(const XMLElement& gpio, GroupElements& out, Findings& findings) {
    static const char* const kNames[] = {"enable", "KeyLevelNum", "key_pad"};
    out.group = &gpio;
    CheckAttributes(gpio, true, findings);
    uint32_t announced = 0;
    int slot = 0;
    for (const XMLElement* c = gpio.FirstChildElement(); c; c = c->NextSiblingElement()) {
        if (Is(*c, "channel_id")) {
            AddFinding(findings, c->GetLineNum(), kWarning,
                       "<channel_id> is not read in <gpio>: GPIO keys have lines, not a channel");
            continue;
        }
        if (!Is(*c, "enable") && !Is(*c, "KeyLevelNum") && !Is(*c, "key_pad")) {
            Unknown(findings, c->GetLineNum(), "element", c->Name(), kNames, 3, "in <gpio>");
            continue;
        }
        const uint32_t value = CheckAttributes(*c, true, findings);
        if (Is(*c, "enable")) {
            Keep(out.enable, *c, findings);
        } else if (Is(*c, "KeyLevelNum")) {
            Keep(out.levels, *c, findings);
            announced = value;
        } else {
            WalkGpioKey(*c, announced, slot, out, findings);
        }
        NoChildren(*c, findings);
    }
}

void WalkLayout(const tinyxml2::XMLDocument& document, LayoutElements& elements,
                Findings& findings) {
    memset(&elements, 0, sizeof elements);
    const XMLElement* root = document.FirstChildElement();
    if (!root) return;
    if (!Is(*root, "key_pad_xml")) {
        AddFinding(findings, root->GetLineNum(), kError,
                   "the root element is <%s>: the daemon reads only a root named <key_pad_xml>, "
                   "so it takes no key from this file",
                   root->Name());
        return;
    }
    elements.root = root;
    CheckAttributes(*root, false, findings);
    // The first three children are groups 0 to 2 whatever their names, but a <gpio> among them
    // still takes its place; only the first <gpio> is the GPIO group, wherever it stands.
    const XMLElement* gpio = nullptr;
    int gpioAt = -1;
    int i = 0;
    for (const XMLElement* c = root->FirstChildElement(); c; c = c->NextSiblingElement(), ++i) {
        if (Is(*c, "gpio") && !gpio) {
            gpio = c;
            gpioAt = i;
            WalkGpio(*c, elements.gpio, findings);
        } else if (Is(*c, "gpio")) {
            AddFinding(findings, c->GetLineNum(), kWarning,
                       "a second <gpio> is not read: the daemon reads the first, at line %d",
                       gpio->GetLineNum());
        } else if (i < kAdcGroupCount) {
            WalkGroup(*c, elements.adc[i], findings);
        } else if (gpioAt >= 0 && gpioAt < kAdcGroupCount) {
            AddFinding(findings, c->GetLineNum(), kWarning,
                       "<%s> is not read: only the first three children of <key_pad_xml> are ADC "
                       "groups, and the <gpio> at line %d takes one of those places",
                       c->Name(), gpio->GetLineNum());
        } else {
            AddFinding(findings, c->GetLineNum(), kWarning,
                       "<%s> is not read: only the first three children of <key_pad_xml> are ADC "
                       "groups",
                       c->Name());
        }
    }
    std::vector<int> lines[kAdcGroupCount];
    for (int g = 0; g < kAdcGroupCount; ++g) {
        if (elements.adc[g].group) LinesOf(*elements.adc[g].group, lines[g]);
        std::sort(lines[g].begin(), lines[g].end());
    }
    for (int g = 0; g < kAdcGroupCount; ++g) {
        for (int h = 0; h < kAdcGroupCount; ++h) {
            std::vector<int> both;
            std::set_intersection(lines[g].begin(), lines[g].end(), lines[h].begin(),
                                  lines[h].end(), std::back_inserter(both));
            if (h != g && !both.empty()) elements.adc[g].sharesLine = true;
        }
    }
}
