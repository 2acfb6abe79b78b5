#include "layout_file.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <tinyxml2.h>

#include <string>

// "XML_ERROR_MISMATCHED_ELEMENT" as "mismatched element".
static std::string Plain(const char* errorName) {
    std::string text = errorName;
    const std::string prefix = "XML_ERROR_";
    if (text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
    for (char& c : text)
        c = c == '_' ? ' ' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

int LoadLayoutFile(const char* path, tinyxml2::XMLDocument& document) {
    struct stat info;
    if (stat(path, &info) != 0) {
        fprintf(stderr, "keypad-tool: cannot read %s: %s\n", path, strerror(errno));
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        fprintf(stderr, "keypad-tool: cannot read %s: not a regular file\n", path);
        return -1;
    }
    FILE* file = fopen(path, "rb");
    if (!file) {
        fprintf(stderr, "keypad-tool: cannot read %s: %s\n", path, strerror(errno));
        return -1;
    }
    tinyxml2::XMLError result = document.LoadFile(file);
    fclose(file);
    if (result == tinyxml2::XML_ERROR_EMPTY_DOCUMENT) {
        fprintf(stderr, "keypad-tool: %s is not XML: it holds no element\n", path);
        return -1;
    }
    if (result != tinyxml2::XML_SUCCESS) {
        fprintf(stderr, "keypad-tool: %s:%d: not XML (%s)\n", path, document.ErrorLineNum(),
                Plain(document.ErrorName()).c_str());
        return -1;
    }
    return 0;
}
