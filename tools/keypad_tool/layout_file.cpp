#include "layout_file.h"

#include <ctype.h>
#include <stdio.h>
#include <tinyxml2.h>

#include "input_file.h"

// "XML_ERROR_MISMATCHED_ELEMENT" as "mismatched element".
static std::string Plain(const char* errorName) {
    std::string text = errorName;
    const std::string prefix = "XML_ERROR_";
    if (text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
    for (char& c : text)
        c = c == '_' ? ' ' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

int ParseLayoutText(const char* name, const std::string& text, tinyxml2::XMLDocument& document) {
    // The daemon loads the same bytes with LoadFile, which parses them exactly so.
    const tinyxml2::XMLError result = document.Parse(text.data(), text.size());
    if (result == tinyxml2::XML_ERROR_EMPTY_DOCUMENT) {
        fprintf(stderr, "keypad-tool: %s is not XML: it holds no element\n", name);
        return -1;
    }
    if (result != tinyxml2::XML_SUCCESS) {
        fprintf(stderr, "keypad-tool: %s:%d: not XML (%s)\n", name, document.ErrorLineNum(),
                Plain(document.ErrorName()).c_str());
        return -1;
    }
    return 0;
}

int LoadLayoutFile(const char* path, std::string& text, tinyxml2::XMLDocument& document) {
    if (ReadInputFile(path, text) != 0) return -1;
    return ParseLayoutText(path, text, document);
}
