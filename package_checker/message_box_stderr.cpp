// Off Windows there is no one to click the box away: the notice goes to standard error as
// UTF-8 ("[caption] text") and the call returns at once.
#include <cstdint>
#include <cstdio>
#include <string>

#include "message_box.h"

static std::string toUtf8(const char16_t* text) {
    std::string out;
    for (; *text != 0; ++text) {
        uint32_t code = *text;
        if (code >= 0xD800 && code <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[1] - 0xDC00);
            ++text;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

void showMessageBox(const char16_t* text, const char16_t* caption) {
    fprintf(stderr, "[%s] %s\n", toUtf8(caption).c_str(), toUtf8(text).c_str());
    fflush(stderr);
}
