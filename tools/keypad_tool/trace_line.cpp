#include "trace_line.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

static constexpr int kMaxWords = 5;
static constexpr size_t kMaxWordLength = kBoardPropertyName + PROPERTY_VALUE_MAX;

struct Words {
    char word[kMaxWords][kMaxWordLength + 1];
    int count;
};

// Splits at blanks up to a '#'. -1 when there are too many words or one is too long.
static int Split(const char* line, Words& words) {
    words.count = 0;
    const char* at = line;
    for (;;) {
        while (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n') ++at;
        if (*at == '\0' || *at == '#') return 0;
        const char* start = at;
        while (*at != '\0' && *at != '#' && !isspace(static_cast<unsigned char>(*at))) ++at;
        size_t length = static_cast<size_t>(at - start);
        if (words.count == kMaxWords || length > kMaxWordLength) return -1;
        memcpy(words.word[words.count], start, length);
        words.word[words.count][length] = '\0';
        ++words.count;
    }
}

// The whole word as an unsigned number no greater than max: decimal, or 0x-hex when hexOk.
static bool Number(const char* text, bool hexOk, uint64_t max, uint64_t& value) {
    unsigned base = 10;
    if (hexOk && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    if (*text == '\0') return false;
    value = 0;
    for (; *text != '\0'; ++text) {
        int c = tolower(static_cast<unsigned char>(*text));
        unsigned digit = isdigit(c) ? static_cast<unsigned>(c - '0')
                         : (base == 16 && c >= 'a' && c <= 'f')
                             ? static_cast<unsigned>(c - 'a' + 10)
                             : base;
        if (digit >= base || digit > max || value > (max - digit) / base) return false;
        value = value * base + digit;
    }
    return true;
}

static int Fail(const char** why, const char* text) {
    *why = text;
    return -1;
}

static int ParseAdc(const Words& words, TraceStep& step, const char** why) {
    uint64_t channel = 0;
    uint64_t reading = 0;
    if (words.count != 4) return Fail(why, "expected: <ms> adc <channel> <reading>|fail");
    if (!Number(words.word[2], false, kBoardChannels - 1, channel)) {
        return Fail(why, "the channel must be a decimal number from 0 to 255");
    }
    step.target = static_cast<uint32_t>(channel);
    if (strcmp(words.word[3], "fail") == 0) {
        step.kind = kTraceAdcFail;
        return 1;
    }
    if (!Number(words.word[3], true, 0xFFFFFFFFu, reading)) {
        return Fail(why, "the reading must be a 32-bit number (decimal or 0x-hex) or fail");
    }
    step.kind = kTraceAdc;
    step.value = static_cast<uint32_t>(reading);
    return 1;
}

static int ParseGpio(const Words& words, TraceStep& step, const char** why) {
    uint64_t line = 0;
    uint64_t level = 0;
    if (words.count != 4) return Fail(why, "expected: <ms> gpio <line> <level>");
    if (!Number(words.word[2], false, kBoardGpioLines - 1, line)) {
        return Fail(why, "the line must be a decimal number from 0 to 2295 (group * 8 + pin)");
    }
    if (!Number(words.word[3], false, 1, level)) return Fail(why, "the level must be 0 or 1");
    step.kind = kTraceGpio;
    step.target = static_cast<uint32_t>(line);
    step.value = static_cast<uint32_t>(level);
    return 1;
}

static int ParseKeyLock(const Words& words, TraceStep& step, const char** why) {
    uint64_t value = 0;
    if (words.count != 3 || !Number(words.word[2], false, 1, value)) {
        return Fail(why, "expected: <ms> keylock 0|1");
    }
    step.kind = kTraceKeyLock;
    step.value = static_cast<uint32_t>(value);
    return 1;
}

static int ParseProp(const Words& words, TraceStep& step, const char** why) {
    const char* equals = words.count == 3 ? strchr(words.word[2], '=') : nullptr;
    if (!equals || equals == words.word[2]) return Fail(why, "expected: <ms> prop <name>=<value>");
    size_t nameLength = static_cast<size_t>(equals - words.word[2]);
    if (nameLength >= sizeof step.name || strlen(equals + 1) >= sizeof step.text) {
        return Fail(why, "property names hold at most 127 characters, values 91");
    }
    step.kind = kTraceProp;
    memcpy(step.name, words.word[2], nameLength);
    step.name[nameLength] = '\0';
    strcpy(step.text, equals + 1);
    return 1;
}

static int ParseStall(const Words& words, TraceStep& step, const char** why) {
    uint64_t duration = 0;
    // A minute is far longer than any scheduling delay and keeps a stall's end in range.
    if (words.count != 3 || !Number(words.word[2], false, kMaxStallMs, duration)) {
        return Fail(why, "expected: <ms> stall <duration>, at most 60000 ms");
    }
    step.kind = kTraceStall;
    step.value = static_cast<uint32_t>(duration);
    return 1;
}

int ParseTraceLine(const char* line, TraceStep& step, const char** why) {
    Words words;
    if (Split(line, words) != 0) return Fail(why, "too many words, or a word too long");
    if (words.count == 0) return 0;
    memset(&step, 0, sizeof step);
    if (words.count < 2 || !Number(words.word[0], false, kMaxTraceMs, step.ms)) {
        return Fail(why,
                    "a step starts with its time: a decimal number of milliseconds, at most "
                    "86400000 (a day)");
    }
    const char* kind = words.word[1];
    if (strcmp(kind, "adc") == 0) return ParseAdc(words, step, why);
    if (strcmp(kind, "gpio") == 0) return ParseGpio(words, step, why);
    if (strcmp(kind, "keylock") == 0) return ParseKeyLock(words, step, why);
    if (strcmp(kind, "prop") == 0) return ParseProp(words, step, why);
    if (strcmp(kind, "stall") == 0) return ParseStall(words, step, why);
    return Fail(why, "unknown step (adc, gpio, keylock, prop or stall)");
}

int FormatTraceStep(const TraceStep& step, char* line, size_t size) {
    const unsigned long long ms = step.ms;
    switch (step.kind) {
        case kTraceAdc:
            return snprintf(line, size, "%llu adc %u 0x%x", ms, step.target, step.value);
        case kTraceAdcFail:
            return snprintf(line, size, "%llu adc %u fail", ms, step.target);
        case kTraceGpio:
            return snprintf(line, size, "%llu gpio %u %u", ms, step.target, step.value);
        case kTraceKeyLock:
            return snprintf(line, size, "%llu keylock %u", ms, step.value);
        case kTraceProp:
            return snprintf(line, size, "%llu prop %s=%s", ms, step.name, step.text);
        case kTraceStall:
            return snprintf(line, size, "%llu stall %u", ms, step.value);
    }
    return snprintf(line, size, "# %llu: unknown step", ms);
}
