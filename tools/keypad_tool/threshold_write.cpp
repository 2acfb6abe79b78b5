#include "threshold_write.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tinyxml2.h>

#include <algorithm>
#include <string>

using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

static const char kAttribute[] = "KeyThreshold";

static int ReadWhole(const char* path, std::vector<char>& text) {
    FILE* file = fopen(path, "rb");
    if (!file) {
        fprintf(stderr, "keypad-tool: cannot read %s: %s\n", path, strerror(errno));
        return -1;
    }
    text.clear();
    char chunk[4096];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        text.insert(text.end(), chunk, chunk + got);
    bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) fprintf(stderr, "keypad-tool: cannot read %s\n", path);
    return failed ? -1 : 0;
}

// How many elements of e's name start on e's line before e, in document order.
static int SameLineBefore(const XMLElement& e) {
    int count = 0;
    bool done = false;
    // Depth-first over the whole document, which is document order.
    auto visit = [&](const XMLNode* node, auto& self) -> void {
        for (const XMLElement* c = node->FirstChildElement(); c && !done;
             c = c->NextSiblingElement()) {
            if (c == &e) {
                done = true;
                return;
            }
            if (c->GetLineNum() == e.GetLineNum() && strcmp(c->Name(), e.Name()) == 0) ++count;
            self(c, self);
        }
    };
    visit(e.GetDocument(), visit);
    return count;
}

static bool NameEnds(char c) {
    return isspace(static_cast<unsigned char>(c)) || c == '/' || c == '>';
}

// Where the value of the attribute lies in the start tag at tag ([begin, end) inside the
// quotes), or, when the tag has no such attribute, begin = end = just after the element's name.
// False when the tag cannot be read.
static bool FindValue(const std::vector<char>& text, size_t tag, size_t nameLength, size_t& begin,
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
        std::string name(text.begin() + nameStart, text.begin() + at);
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

// The new value written as the old one was: blanks around it, a 0x or 0X prefix or none, upper-
// or lower-case digits, and as many digits when the old value had leading zeros.
static std::string LikeOld(const std::string& old, uint8_t value) {
    if (old.empty()) {
        char text[8];
        snprintf(text, sizeof text, "0x%02x", value);
        return text;
    }
    size_t first = old.find_first_not_of(" \t\r\n");
    size_t last = old.find_last_not_of(" \t\r\n");
    if (first == std::string::npos) first = last = old.size();
    std::string body = first < old.size() ? old.substr(first, last - first + 1) : "";
    std::string prefix;
    if (body.size() >= 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        prefix = body.substr(0, 2);
        body.erase(0, 2);
    }
    const bool upper =
        std::any_of(body.begin(), body.end(), [](char c) { return c >= 'A' && c <= 'F'; }) ||
        prefix == "0X";
    const int width = body.size() > 1 && body[0] == '0' ? static_cast<int>(body.size()) : 0;
    char digits[16];
    snprintf(digits, sizeof digits, upper ? "%0*X" : "%0*x", width, value);
    return old.substr(0, first) + prefix + digits +
           (first < old.size() ? old.substr(last + 1) : "");
}

int EditThresholds(const char* layoutPath, const std::vector<ThresholdEdit>& edits,
                   std::vector<char>& text) {
    if (ReadWhole(layoutPath, text) != 0) return -1;
    std::vector<size_t> lineStarts = {0};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') lineStarts.push_back(i + 1);
    }
    struct Change {
        size_t begin, end;
        std::string value;
    };
    std::vector<Change> changes;
    for (const ThresholdEdit& edit : edits) {
        const XMLElement& e = *edit.element;
        const std::string open = std::string("<") + e.Name();
        const int line = e.GetLineNum();
        size_t at = line >= 1 && static_cast<size_t>(line) <= lineStarts.size()
                        ? lineStarts[line - 1]
                        : text.size();
        // The element's start tag: the right one of those of its name on its line.
        for (int skip = SameLineBefore(e); at < text.size(); ++at) {
            if (text.size() - at > open.size() &&
                memcmp(&text[at], open.data(), open.size()) == 0 &&
                NameEnds(text[at + open.size()]) && skip-- == 0) {
                break;
            }
        }
        size_t begin = 0, end = 0;
        bool present = false;
        if (at >= text.size() || !FindValue(text, at, open.size() - 1, begin, end, present)) {
            fprintf(stderr, "keypad-tool: %s:%d: cannot find the <%s> start tag to edit\n",
                    layoutPath, line, e.Name());
            return -1;
        }
        std::string old(text.begin() + begin, text.begin() + end);
        std::string value = LikeOld(old, edit.threshold);
        changes.push_back(
            present ? Change{begin, end, value}
                    : Change{begin, begin, std::string(" ") + kAttribute + "=\"" + value + "\""});
    }
    // From the end backwards, so that earlier positions stay valid.
    std::sort(changes.begin(), changes.end(),
              [](const Change& a, const Change& b) { return a.begin > b.begin; });
    for (const Change& c : changes) {
        text.erase(text.begin() + c.begin, text.begin() + c.end);
        text.insert(text.begin() + c.begin, c.value.begin(), c.value.end());
    }
    return 0;
}
