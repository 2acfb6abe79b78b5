#include "threshold_write.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <tinyxml2.h>

#include <algorithm>

#include "daemon_startup.h"
#include "key_pars/key_pars.h"
#include "output_file.h"

using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

static const char kAttribute[] = "KeyThreshold";

// Where an element's start tag begins in the text, and on which line.
struct StartTag {
    size_t at;
    int line;
};

// The start tags of the text in document order, found as the parser finds them: markup that
// holds no element (comments, CDATA, declarations, processing instructions, end tags) is passed
// over whole, and so is every quoted value inside a tag. False when a tag does not end.
static bool StartTags(const std::string& text, std::vector<StartTag>& tags) {
    static const struct {
        const char* open;
        const char* close;
    } kSkipped[] = {{"<?", "?>"}, {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<!", ">"}, {"</", ">"}};
    int line = 1;
    size_t counted = 0;  // lines are counted up to here
    size_t at = 0;
    auto advanceTo = [&](size_t to) {
        line += static_cast<int>(std::count(text.begin() + counted, text.begin() + to, '\n'));
        counted = at = to;
    };
    while ((at = text.find('<', at)) != std::string::npos) {
        advanceTo(at);
        bool skipped = false;
        for (const auto& s : kSkipped) {
            if (text.compare(at, strlen(s.open), s.open) != 0) continue;
            const size_t end = text.find(s.close, at + strlen(s.open));
            if (end == std::string::npos) return false;
            advanceTo(end + strlen(s.close));
            skipped = true;
            break;
        }
        if (skipped) continue;
        tags.push_back({at, line});
        size_t p = at + 1;
        while (p < text.size() && text[p] != '>') {
            if (text[p] == '"' || text[p] == '\'') {
                p = text.find(text[p], p + 1);
                if (p == std::string::npos) return false;
            }
            ++p;
        }
        if (p >= text.size()) return false;
        advanceTo(p + 1);
    }
    return true;
}

// The position of e among the document's elements in document order (depth first).
static size_t ElementIndex(const XMLElement& e) {
    size_t index = 0;
    bool found = false;
    auto visit = [&](const XMLNode* node, auto& self) -> void {
        for (const XMLElement* c = node->FirstChildElement(); c && !found;
             c = c->NextSiblingElement()) {
            if (c == &e) {
                found = true;
                return;
            }
            ++index;
            self(c, self);
        }
    };
    visit(e.GetDocument(), visit);
    return index;
}

// Where the value of the attribute lies in the start tag at tag ([begin, end) inside the
// quotes), or, when the tag has no such attribute, begin = end = just after the element's name.
// False when the tag cannot be read.
static bool FindValue(const std::string& text, size_t tag, size_t nameLength, size_t& begin,
                      size_t& end, bool& present) {
    size_t at = tag + 1 + nameLength;
    begin = end = at;
    present = false;
    const size_t n = text.size();
    for (;;) {
        while (at < n && isspace(static_cast<unsigned char>(text[at]))) ++at;
        if (at >= n) return false;
        if (text[at] == '/' || text[at] == '>') return true;
        size_t nameStart = at;
        while (at < n && text[at] != '=' && !isspace(static_cast<unsigned char>(text[at])) &&
               text[at] != '/' && text[at] != '>') {
            ++at;
        }
        const std::string name = text.substr(nameStart, at - nameStart);
        while (at < n && isspace(static_cast<unsigned char>(text[at]))) ++at;
        if (at >= n || text[at] != '=') return false;
        ++at;
        while (at < n && isspace(static_cast<unsigned char>(text[at]))) ++at;
        if (at >= n || (text[at] != '"' && text[at] != '\'')) return false;
        const char quote = text[at++];
        size_t valueStart = at;
        while (at < n && text[at] != quote) ++at;
        if (at >= n) return false;
        if (name == kAttribute) {
            begin = valueStart;
            end = at;
            present = true;
            return true;
        }
        ++at;
    }
}

// The new value in the old one's place. Only the digits that the daemon reads change: blanks, a
// '+', the 0x or 0X prefix and whatever follows the digits stay, the letter case is the old
// digits' (or the prefix's), and an old value that began with a zero gives as many digits. A '-'
// goes, since the daemon would negate the new value. A value with no digits to replace becomes
// "0x" and two digits.
static std::string LikeOld(const std::string& old, uint8_t value) {
    char text[8];
    snprintf(text, sizeof text, "0x%02x", value);
    size_t at = 0;
    while (at < old.size() && isspace(static_cast<unsigned char>(old[at]))) ++at;
    const size_t sign = at < old.size() && (old[at] == '+' || old[at] == '-') ? at : old.size();
    if (sign < old.size()) ++at;
    bool upper = false;
    if (old.size() > at + 2 && old[at] == '0' && (old[at + 1] == 'x' || old[at + 1] == 'X') &&
        isxdigit(static_cast<unsigned char>(old[at + 2]))) {
        upper = old[at + 1] == 'X';
        at += 2;
    }
    size_t end = at;
    while (end < old.size() && isxdigit(static_cast<unsigned char>(old[end]))) {
        upper = upper || (old[end] >= 'A' && old[end] <= 'F');
        ++end;
    }
    if (end == at) return text;
    snprintf(text, sizeof text, upper ? "%X" : "%x", value);
    std::string digits = text;
    if (old[at] == '0' && end - at > digits.size()) digits.insert(0, end - at - digits.size(), '0');
    std::string result = old.substr(0, at) + digits + old.substr(end);
    if (sign < old.size() && old[sign] == '-') result.erase(sign, 1);
    return result;
}

int EditThresholds(const std::string& text, const std::vector<ThresholdEdit>& edits,
                   std::string& edited) {
    edited = text;
    std::vector<StartTag> tags;
    const bool scanned = StartTags(text, tags);
    struct Change {
        size_t begin, end;
        std::string value;
    };
    std::vector<Change> changes;
    for (const ThresholdEdit& edit : edits) {
        const XMLElement& e = *edit.element;
        const size_t index = ElementIndex(e);
        const size_t nameLength = strlen(e.Name());
        // The tag found must be the element's own: its name, on its line.
        size_t begin = 0, end = 0;
        bool present = false;
        if (!scanned || index >= tags.size() || tags[index].line != e.GetLineNum() ||
            text.compare(tags[index].at + 1, nameLength, e.Name()) != 0 ||
            !FindValue(text, tags[index].at, nameLength, begin, end, present)) {
            return e.GetLineNum() > 0 ? e.GetLineNum() : 1;
        }
        const std::string old = text.substr(begin, end - begin);
        const char* read = e.Attribute(kAttribute);
        // A value written with entities or line ends reads otherwise than it stands: it is
        // written anew whole.
        const std::string value = !present || (read && old == read) ? LikeOld(old, edit.threshold)
                                                                    : LikeOld("", edit.threshold);
        changes.push_back(
            present ? Change{begin, end, value}
                    : Change{begin, begin, std::string(" ") + kAttribute + "=\"" + value + "\""});
    }
    // From the end backwards, so that earlier positions stay valid.
    std::sort(changes.begin(), changes.end(),
              [](const Change& a, const Change& b) { return a.begin > b.begin; });
    for (const Change& c : changes) edited.replace(c.begin, c.end - c.begin, c.value);
    return 0;
}

// What the daemon reads from a layout, compared where the layout is its own: every record but
// the press state the scanner keeps.
static bool SameRecords(const KeyArry& a, const KeyArry& b) {
    bool same =
        a.enable == b.enable && a.channel_id == b.channel_id && a.KeyLevelNum == b.KeyLevelNum;
    for (int k = 0; k < kKeySlots; ++k) {
        same = same && a.KeyThreshold[k] == b.KeyThreshold[k] && a.KeyCode[k] == b.KeyCode[k] &&
               a.LongKeyCode[k] == b.LongKeyCode[k] &&
               a.LongKeyDuration[k] == b.LongKeyDuration[k] &&
               a.keyState[k].Repeat == b.keyState[k].Repeat;
    }
    return same;
}

static bool SameGpio(const GpioKeyArry& a, const GpioKeyArry& b) {
    bool same = a.enable == b.enable && a.KeyLevelNum == b.KeyLevelNum;
    for (int k = 0; k < kKeySlots; ++k) {
        same = same && a.GroupNum[k] == b.GroupNum[k] && a.PinNum[k] == b.PinNum[k] &&
               a.KeyCode[k] == b.KeyCode[k];
    }
    return same;
}

static bool ReadsBackAsEdited(const std::string& text, const std::vector<ThresholdEdit>& edits) {
    KeyArry expected[kAdcGroupCount];
    memcpy(expected, keyGroups, sizeof expected);
    const GpioKeyArry gpio = gpioKeys;
    for (const ThresholdEdit& edit : edits) {
        if (edit.group < 0 || edit.group >= kAdcGroupCount || edit.slot < 0 ||
            edit.slot >= kKeySlots) {
            return false;
        }
        expected[edit.group].KeyThreshold[edit.slot] = edit.threshold;
    }
    if (StartDaemonOnLayout(text) != 0 || !SameGpio(gpio, gpioKeys)) return false;
    for (int g = 0; g < kAdcGroupCount; ++g) {
        if (!SameRecords(expected[g], keyGroups[g])) return false;
    }
    return true;
}

int WriteThresholds(const char* layoutName, const std::string& text,
                    const std::vector<ThresholdEdit>& edits, const char* outPath) {
    std::string edited;
    const int badLine = EditThresholds(text, edits, edited);
    if (badLine != 0) {
        fprintf(stderr, "keypad-tool: %s not written: %s:%d: cannot find the start tag to edit\n",
                outPath, layoutName, badLine);
        return -1;
    }
    if (!ReadsBackAsEdited(edited, edits)) {
        fprintf(stderr,
                "keypad-tool: %s not written: the edited text does not read back as proposed\n",
                outPath);
        return -1;
    }
    return WriteOutputFile(outPath, edited);
}
