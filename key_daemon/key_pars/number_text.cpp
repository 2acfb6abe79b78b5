#include "key_pars/number_text.h"

#include <ctype.h>
#include <errno.h>
#include <stdlib.h>

// The set's unsigned long is 32 bits. Its strtoul works on the magnitude after an optional
// sign, saturates when the magnitude exceeds 32 bits (whatever the sign) and otherwise negates
// a minus-signed magnitude modulo 2^32. The 64-bit strtoull does the same at 64 bits, so it
// gives the magnitude here; the 32-bit rules are applied on top.
uint32_t ParseUlong32(const char* text, int base) {
    if (!text) {
        return 0;
    }
    while (isspace(static_cast<unsigned char>(*text))) {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
        // strtoull would skip blanks or take a second sign here; strtoul has no digits then.
        if (isspace(static_cast<unsigned char>(*text)) || *text == '+' || *text == '-') {
            return 0;
        }
    }
    errno = 0;
    unsigned long long magnitude = strtoull(text, nullptr, base);
    if (errno == ERANGE || magnitude > 0xFFFFFFFFull) {
        return 0xFFFFFFFFu;
    }
    uint32_t value = static_cast<uint32_t>(magnitude);
    return negative ? static_cast<uint32_t>(0u - value) : value;
}

uint64_t ParseUllong64(const char* text, int base) {
    return text ? static_cast<uint64_t>(strtoull(text, nullptr, base)) : 0;
}
