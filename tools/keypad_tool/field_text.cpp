#include "field_text.h"

#include <ctype.h>
#include <string.h>
#include <tinyxml2.h>

#include "key_names.h"
#include "key_pars/number_text.h"

// Every number of an ADC group is hexadecimal except the hold time; <gpio> is all decimal.
static const FieldRule kAdcRules[] = {
    {"enable", "value", kNarrow, 16, 32, false},
    {"channel_id", "value", kNarrow, 16, 8, false},
    {"KeyLevelNum", "value", kNarrow, 16, 8, false},
    {"key_pad", "KeyThreshold", kNarrow, 16, 8, false},
    {"key_pad", "KeyCode", kWide, 16, 32, true},
    {"key_pad", "LongKeyCode", kWide, 16, 32, true},
    {"key_pad", "Repeat", kFlag, 0, 8, false},
    {"key_pad", "LongKeyDuration", kWide, 10, 32, false},
};
static const FieldRule kGpioRules[] = {
    {"enable", "value", kNarrow, 10, 32, false},    {"KeyLevelNum", "value", kNarrow, 10, 8, false},
    {"key_pad", "GroupNum", kNarrow, 10, 8, false}, {"key_pad", "PinNum", kNarrow, 10, 8, false},
    {"key_pad", "KeyCode", kWide, 10, 32, true},
};

template <size_t N>
static const FieldRule* Find(const FieldRule (&rules)[N], const char* element,
                             const char* attribute) {
    for (const FieldRule& rule : rules) {
        if (strcmp(rule.element, element) == 0 && strcmp(rule.attribute, attribute) == 0) {
            return &rule;
        }
    }
    return nullptr;
}

const FieldRule* FindFieldRule(bool gpio, const char* element, const char* attribute) {
    return gpio ? Find(kGpioRules, element, attribute) : Find(kAdcRules, element, attribute);
}

const char* const* KnownAttributes(bool gpio, const char* element, int& count) {
    static const char* const kValue[] = {"value"};
    static const char* const kAdcKey[] = {"KeyThreshold", "KeyCode", "LongKeyCode", "Repeat",
                                          "LongKeyDuration"};
    static const char* const kGpioKey[] = {"GroupNum", "PinNum", "KeyCode"};
    if (strcmp(element, "key_pad") == 0) {
        count = gpio ? 3 : 5;
        return gpio ? kGpioKey : kAdcKey;
    }
    bool valued = strcmp(element, "enable") == 0 || strcmp(element, "KeyLevelNum") == 0 ||
                  (!gpio && strcmp(element, "channel_id") == 0);
    count = valued ? 1 : 0;
    return kValue;
}

static int DigitOf(char c, int radix) {
    int d = isdigit(static_cast<unsigned char>(c)) ? c - '0'
            : isxdigit(static_cast<unsigned char>(c))
                ? tolower(static_cast<unsigned char>(c)) - 'a' + 10
                : radix;
    return d < radix ? d : -1;
}

static uint32_t StoredValue(const char* text, const FieldRule& rule) {
    uint32_t value = rule.parse == kWide ? static_cast<uint32_t>(ParseUllong64(text, rule.radix))
                                         : ParseUlong32(text, rule.radix);
    return rule.bits == 8 ? value & 0xFFu : value;
}

static void Kept(char* out, size_t size, uint32_t value, int radix) {
    snprintf(out, size, radix == 16 ? "0x%x" : "%u", value);
}

// A hexadecimal key code written with decimal digits only may have been meant as decimal.
static void CheckCodeRadix(const char* name, const char* digits, size_t count, uint32_t stored,
                           int line, Findings& findings) {
    if (count > 9) return;
    uint32_t decimal = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!isdigit(static_cast<unsigned char>(digits[i]))) return;
        decimal = decimal * 10 + static_cast<uint32_t>(digits[i] - '0');
    }
    if (decimal == stored || !KeyName(decimal)) return;
    AddFinding(findings, line, kWarning,
               "%s=\"%.*s\" is read as hexadecimal 0x%x = %s, not as decimal %u = %s: write "
               "\"0x%x\" for the first or \"0x%x\" for the second",
               name, static_cast<int>(count), digits, stored, KeyLabel(stored).c_str(), decimal,
               KeyName(decimal), stored, decimal);
}

void CheckFieldText(const tinyxml2::XMLAttribute& attribute, const FieldRule& rule,
                    Findings& findings, uint32_t& stored) {
    const char* name = attribute.Name();
    const char* text = attribute.Value();
    const int line = attribute.GetLineNum();
    if (rule.parse == kFlag) {
        stored = strcmp(text, "true") == 0 ? 1 : 0;
        if (!stored && strcmp(text, "false") != 0) {
            AddFinding(findings, line, kWarning,
                       "%s=\"%s\" is off: only the exact text \"true\" turns it on", name, text);
        }
        return;
    }
    stored = StoredValue(text, rule);
    char kept[16];
    Kept(kept, sizeof kept, stored, rule.radix);
    const char* radixName = rule.radix == 16 ? "hexadecimal" : "decimal";

    const char* at = text;
    while (isspace(static_cast<unsigned char>(*at))) ++at;
    const bool negative = *at == '-';
    if (*at == '-' || *at == '+') ++at;
    const bool prefixed = rule.radix == 16 && at[0] == '0' && (at[1] == 'x' || at[1] == 'X') &&
                          DigitOf(at[2], 16) >= 0;
    if (prefixed) at += 2;
    const char* digits = at;
    uint64_t magnitude = 0;
    bool beyond64 = false;
    for (int d; (d = DigitOf(*at, rule.radix)) >= 0; ++at) {
        const uint64_t radix = static_cast<uint64_t>(rule.radix);
        beyond64 = beyond64 || magnitude > (UINT64_MAX - static_cast<uint64_t>(d)) / radix;
        magnitude = magnitude * radix + static_cast<uint64_t>(d);
    }
    const size_t count = static_cast<size_t>(at - digits);
    const char* rest = at;
    while (isspace(static_cast<unsigned char>(*rest))) ++rest;

    if (count == 0) {
        AddFinding(findings, line, kError, "%s=\"%s\" is not a %s number: the daemon reads %s",
                   name, text, radixName, kept);
    } else if (*rest != '\0') {
        AddFinding(findings, line, kError,
                   "%s=\"%s\": this field is %s, so the daemon stops at \"%c\" and reads %s", name,
                   text, radixName, *at, kept);
    } else if (negative) {
        AddFinding(findings, line, kError, "%s=\"%s\" is negative: the daemon reads %s", name, text,
                   kept);
    } else if (beyond64 || (rule.parse == kNarrow && magnitude > UINT32_MAX)) {
        AddFinding(findings, line, kError, "%s=\"%s\" saturates the daemon's parser: it keeps %s",
                   name, text, kept);
    } else if (magnitude != stored) {
        AddFinding(findings, line, kError, "%s=\"%s\" does not fit in %d bits: the daemon keeps %s",
                   name, text, rule.bits, kept);
    } else if (rule.keyCode && rule.radix == 16 && !prefixed) {
        CheckCodeRadix(name, digits, count, stored, line, findings);
    }
}
