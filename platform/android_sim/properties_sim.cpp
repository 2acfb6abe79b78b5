// Android system properties off the device: the board's props file, one "name=value" a line,
// read afresh at every lookup so that a running daemon sees changes at once.
#include <cutils/properties.h>
#include <string.h>

#include <string>
#include <vector>

#include "board_files.h"

// Copies at most PROPERTY_VALUE_MAX - 1 characters, as the platform does.
static int CopyValue(char* value, const std::string& text) {
    size_t length = text.size() < PROPERTY_VALUE_MAX - 1 ? text.size() : PROPERTY_VALUE_MAX - 1;
    memcpy(value, text.data(), length);
    value[length] = '\0';
    return static_cast<int>(length);
}

int property_get(const char* key, char* value, const char* default_value) {
    if (!value) {
        return -1;
    }
    std::string found;
    std::vector<uint8_t> bytes;
    if (key && SimReadFile("props", bytes)) {
        std::string all(bytes.begin(), bytes.end());
        std::string wanted = std::string(key) + "=";
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find('\n', start);
            if (end == std::string::npos) {
                end = all.size();
            }
            std::string line = all.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            // A later line for the same name overrides an earlier one.
            if (line.compare(0, wanted.size(), wanted) == 0) {
                found = line.substr(wanted.size());
            }
            start = end + 1;
        }
    }
    // As on the platform, an empty value counts as unset and gives the default.
    if (found.empty() && default_value) {
        found = default_value;
    }
    return CopyValue(value, found);
}
