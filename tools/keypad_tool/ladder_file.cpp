#include "ladder_file.h"

#include <ctype.h>
#include <stdio.h>

#include <vector>

static constexpr size_t kMaxErrors = 10;
static constexpr int kMaxChain = kKeySlots - 1;

// A word of the file as an error message may show it: printable, and not too long.
static std::string Shown(const std::string& word) {
    std::string shown;
    for (char c : word.substr(0, 40)) shown += isprint(static_cast<unsigned char>(c)) ? c : '?';
    return word.size() > 40 ? shown + "..." : shown;
}

// Digits from at, as a whole number no greater than max; false when there are none or too many.
static bool Whole(const std::string& s, size_t& at, int64_t max, int64_t& value) {
    const size_t start = at;
    value = 0;
    for (; at < s.size() && isdigit(static_cast<unsigned char>(s[at])); ++at) {
        const int digit = s[at] - '0';
        if (digit > max || value > (max - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return at > start;
}

// The digits from at.
static std::string Digits(const std::string& s, size_t& at) {
    const size_t start = at;
    while (at < s.size() && isdigit(static_cast<unsigned char>(s[at]))) ++at;
    return s.substr(start, at - start);
}

// Adds the fraction digits to value in steps of unit / 10, unit / 100, ...; false when a digit
// that is not 0 falls below the smallest step (1).
static bool AddFraction(const std::string& digits, int64_t unit, int64_t& value) {
    for (char c : digits) {
        if (unit % 10 != 0) {
            if (c != '0') return false;
            continue;
        }
        unit /= 10;
        value += (c - '0') * unit;
    }
    return true;
}

static int64_t Multiplier(char letter) {
    switch (letter) {
        case 'R':
            return kMilliohmsPerOhm;
        case 'k':
        case 'K':
            return 1000 * kMilliohmsPerOhm;
        case 'M':
            return 1000000 * kMilliohmsPerOhm;
        default:
            return 0;
    }
}

bool ParseResistance(const std::string& text, int64_t& milliohms, std::string& why) {
    const std::string shown = "\"" + Shown(text) + "\"";
    const std::string tooBig = shown + " is more than 10M";
    why = shown +
          " is not a resistance: write ohms with an optional k or M, such as 470, 4.7k, 4k7, "
          "1M5 or 2R2";
    size_t at = 0;
    int64_t whole = 0;
    if (!Whole(text, at, kMaxMilliohms, whole)) {
        if (at > 0) why = tooBig;
        return false;
    }
    // 470, 4.7, 4.7k; or the letter standing for the point: 4k7, 2R2, 10k.
    int64_t unit = kMilliohmsPerOhm;
    std::string fraction;
    if (at < text.size() && text[at] == '.') {
        ++at;
        fraction = Digits(text, at);
        if (fraction.empty()) return false;
        if (at < text.size() && (unit = Multiplier(text[at++])) == 0) return false;
    } else if (at < text.size()) {
        if ((unit = Multiplier(text[at++])) == 0) return false;
        fraction = Digits(text, at);
    }
    if (at != text.size()) return false;
    if (whole > kMaxMilliohms / unit) {
        why = tooBig;
        return false;
    }
    milliohms = whole * unit;
    if (!AddFraction(fraction, unit, milliohms)) {
        why = shown + " is finer than a milliohm";
        return false;
    }
    if (milliohms > kMaxMilliohms) {
        why = tooBig;
        return false;
    }
    return true;
}

bool ParseTolerance(const std::string& text, int& tolerance, std::string& why) {
    const std::string shown = "\"" + Shown(text) + "\"";
    const std::string tooBig = shown + ": a tolerance is below 100%";
    why = shown + " is not a tolerance: write a percentage, such as 1% or 0.5%";
    size_t at = 0;
    int64_t whole = 0;
    if (!Whole(text, at, kToleranceScale, whole)) {
        if (at > 0) why = tooBig;
        return false;
    }
    std::string fraction;
    if (at < text.size() && text[at] == '.') {
        ++at;
        fraction = Digits(text, at);
        if (fraction.empty()) return false;
    }
    if (at + 1 != text.size() || text[at] != '%') return false;
    int64_t value = whole * 100;
    if (!AddFraction(fraction, 100, value)) {
        why = shown + " is finer than 0.01%";
        return false;
    }
    if (value >= kToleranceScale) {
        why = tooBig;
        return false;
    }
    tolerance = static_cast<int>(value);
    return true;
}

static std::string Decimal(int64_t value, int64_t unit, const char* suffix) {
    std::string text = std::to_string(value / unit);
    int64_t rest = value % unit;
    if (rest != 0) {
        text += '.';
        for (unit /= 10; rest != 0; unit /= 10) {
            text += static_cast<char>('0' + rest / unit);
            rest %= unit;
        }
    }
    return text + suffix;
}

std::string ResistanceText(int64_t milliohms) {
    if (milliohms >= 1000000 * kMilliohmsPerOhm)
        return Decimal(milliohms, 1000000 * kMilliohmsPerOhm, "M");
    if (milliohms >= 1000 * kMilliohmsPerOhm)
        return Decimal(milliohms, 1000 * kMilliohmsPerOhm, "k");
    return Decimal(milliohms, kMilliohmsPerOhm, "");
}

std::string ToleranceText(int tolerance) { return Decimal(tolerance, 100, "%"); }

// The words of a line up to a '#'.
static std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    for (;;) {
        while (at < line.size() && isspace(static_cast<unsigned char>(line[at]))) ++at;
        if (at >= line.size() || line[at] == '#') return words;
        const size_t start = at;
        while (at < line.size() && line[at] != '#' &&
               !isspace(static_cast<unsigned char>(line[at])))
            ++at;
        words.push_back(line.substr(start, at - start));
    }
}

namespace {

// What the lines read so far have said.
struct Reading {
    Ladder& ladder;
    Findings& errors;
    int line;
    int tolerance;
    int adcErrorLine;
    int chainLine;
    int firstKeyLine;

    void Error(const std::string& text) { AddFinding(errors, line, kError, "%s", text.c_str()); }
};

}  // namespace

static std::string Line(int line) { return "line " + std::to_string(line); }

static void PullUp(Reading& r, const std::vector<std::string>& args) {
    int64_t value = 0;
    std::string why;
    if (r.ladder.pullUpLine != 0) {
        r.Error("a second pull-up line (the first is " + Line(r.ladder.pullUpLine) + ")");
    } else if (args.size() != 1) {
        r.Error("pull-up takes one resistance, such as \"pull-up 10k\"");
    } else if (!ParseResistance(args[0], value, why)) {
        r.Error(why);
    } else if (value == 0) {
        r.Error("a pull-up of 0 ohms ties the input to the supply: no key can pull it down");
    } else {
        r.ladder.pullUp = value;
        r.ladder.pullUpTolerance = r.tolerance;
        r.ladder.pullUpLine = r.line;
    }
}

static void Chain(Reading& r, const std::vector<std::string>& args) {
    if (r.chainLine != 0) {
        r.Error("a second chain line (the first is " + Line(r.chainLine) + ")");
        return;
    }
    if (r.firstKeyLine != 0) {
        r.Error("a chain line beside key lines (the first is " + Line(r.firstKeyLine) +
                "): a ladder is one or the other");
        return;
    }
    if (args.empty() || args.size() > static_cast<size_t>(kMaxChain)) {
        r.Error("chain takes 1 to 7 resistances: a group holds at most 8 keys, slot 0 included");
        return;
    }
    std::vector<int64_t> chain;
    for (const std::string& word : args) {
        int64_t value = 0;
        std::string why;
        if (!ParseResistance(word, value, why)) return r.Error(why);
        chain.push_back(value);
    }
    r.chainLine = r.line;
    r.ladder.chained = true;
    r.ladder.chain = chain;
    int64_t sum = 0;
    for (size_t k = 0; k <= chain.size(); ++k) {
        if (k > 0) sum += chain[k - 1];
        r.ladder.slots[k] = {true, r.line, sum, r.tolerance};
    }
}

static void Key(Reading& r, const std::vector<std::string>& args) {
    if (r.chainLine != 0) {
        r.Error("a key line beside a chain line (" + Line(r.chainLine) +
                "): a ladder is one or the other");
        return;
    }
    if (args.size() != 2) {
        r.Error("key takes a slot and a resistance, such as \"key 3 4.7k\"");
        return;
    }
    size_t at = 0;
    int64_t slot = 0;
    if (!Whole(args[0], at, kKeySlots - 1, slot) || at != args[0].size()) {
        r.Error("\"" + Shown(args[0]) + "\" is not a slot: slots are 0 to 7");
        return;
    }
    LadderSlot& s = r.ladder.slots[slot];
    int64_t value = 0;
    std::string why;
    if (s.present) {
        r.Error("slot " + std::to_string(slot) + " is on " + Line(s.line) + " already");
    } else if (!ParseResistance(args[1], value, why)) {
        r.Error(why);
    } else {
        s = {true, r.line, value, r.tolerance};
        if (r.firstKeyLine == 0) r.firstKeyLine = r.line;
    }
}

static void AdcError(Reading& r, const std::vector<std::string>& args) {
    size_t at = 0;
    int64_t value = 0;
    if (r.adcErrorLine != 0) {
        r.Error("a second adc-error line (the first is " + Line(r.adcErrorLine) + ")");
    } else if (args.size() != 1) {
        r.Error("adc-error takes one count, such as \"adc-error 2\"");
    } else if (!Whole(args[0], at, kMaxAdcError, value) || at != args[0].size()) {
        r.Error("\"" + Shown(args[0]) + "\" is not a count of 0 to 255");
    } else {
        r.ladder.adcError = static_cast<int>(value);
        r.adcErrorLine = r.line;
    }
}

static void Statement(Reading& r, const std::vector<std::string>& words) {
    const std::string& what = words[0];
    const std::vector<std::string> args(words.begin() + 1, words.end());
    std::string why;
    if (what == "pull-up") {
        PullUp(r, args);
    } else if (what == "tolerance") {
        if (args.size() != 1) {
            r.Error("tolerance takes one percentage, such as \"tolerance 1%\"");
        } else if (!ParseTolerance(args[0], r.tolerance, why)) {
            r.Error(why);
        }
    } else if (what == "chain") {
        Chain(r, args);
    } else if (what == "key") {
        Key(r, args);
    } else if (what == "adc-error") {
        AdcError(r, args);
    } else {
        r.Error("unknown statement \"" + Shown(what) +
                "\": each line is pull-up, tolerance, chain, key or adc-error");
    }
}

int ParseLadder(const std::string& text, Ladder& ladder, Findings& errors) {
    ladder = Ladder();
    ladder.adcError = kDefaultAdcError;
    errors.clear();
    Reading r = {ladder, errors, 0, kDefaultTolerance, 0, 0, 0};
    // A byte-order mark, as some editors write one, is no statement.
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < text.size() && errors.size() < kMaxErrors) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        ++r.line;
        const std::vector<std::string> words = Words(text.substr(start, end - start));
        if (!words.empty()) Statement(r, words);
        start = end + 1;
    }
    if (!errors.empty()) return -1;
    r.line = r.line > 0 ? r.line : 1;
    if (ladder.pullUpLine == 0) {
        r.Error("no pull-up line: the ladder needs the resistor from the supply to the input");
    }
    if (r.chainLine == 0 && r.firstKeyLine == 0) {
        r.Error("no chain or key line: the ladder has no key");
    }
    return errors.empty() ? 0 : -1;
}

std::string LadderText(const Ladder& ladder) {
    std::string text = "tolerance " + ToleranceText(ladder.pullUpTolerance) + "\n";
    text += "adc-error " + std::to_string(ladder.adcError) + "\n";
    text += "pull-up " + ResistanceText(ladder.pullUp) + "\n";
    int tolerance = ladder.pullUpTolerance;
    auto keep = [&](int t) {
        if (t != tolerance) text += "tolerance " + ToleranceText(t) + "\n";
        tolerance = t;
    };
    if (ladder.chained) {
        keep(ladder.slots[0].tolerance);
        text += "chain";
        for (int64_t r : ladder.chain) text += " " + ResistanceText(r);
        return text + "\n";
    }
    for (int k = 0; k < kKeySlots; ++k) {
        const LadderSlot& s = ladder.slots[k];
        if (!s.present) continue;
        keep(s.tolerance);
        text += "key " + std::to_string(k) + " " + ResistanceText(s.milliohms) + "\n";
    }
    return text;
}
