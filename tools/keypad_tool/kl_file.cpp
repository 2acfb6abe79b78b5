#include "kl_file.h"

#include <stdio.h>

#include <unordered_map>

#include "kl_labels.h"

// Codes are 32-bit signed numbers on Android.
static constexpr uint64_t kMaxCode = 0x7fffffff;
// Longer words are cut in messages, so that one binary line cannot flood the report.
static constexpr size_t kShownWord = 40;

static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The words of a line, up to its comment.
static std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size() && line[at] != '#') {
        if (IsBlank(line[at])) {
            ++at;
            continue;
        }
        const size_t start = at;
        while (at < line.size() && !IsBlank(line[at]) && line[at] != '#') ++at;
        words.push_back(line.substr(start, at - start));
    }
    return words;
}

// A word as the message shows it: quoted, bytes that do not print as \xNN, long words cut.
static std::string Shown(const std::string& word) {
    std::string out = "\"";
    for (size_t i = 0; i < word.size() && i < kShownWord; ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out + (word.size() > kShownWord ? "...\"" : "\"");
}

bool ParseKlCode(const std::string& word, uint32_t& code) {
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    if (word.empty()) return false;
    uint64_t value = 0;
    for (size_t i = hex ? 2 : 0; i < word.size(); ++i) {
        const char c = word[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return false;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > kMaxCode) return false;
    }
    code = static_cast<uint32_t>(value);
    return true;
}

// The line of each code mapped so far, by scan code and by usage.
typedef std::unordered_map<uint32_t, int> CodeLines[2];

// One "key" line (its words after "key"): "" when it holds, otherwise what is wrong.
static std::string ParseKeyLine(const std::vector<std::string>& words, int line, KlFile& file,
                                CodeLines& mapped) {
    size_t at = 1;
    const bool usage = at < words.size() && words[at] == "usage";
    if (usage) ++at;
    if (words.size() < at + 2) return "a key line needs a code and a label";
    KlKey key = {0, words[at + 1], {}, line};
    if (!ParseKlCode(words[at], key.code)) {
        return Shown(words[at]) + " is not a code (decimal or 0x-hex, at most 0x7fffffff)";
    }
    auto earlier = mapped[usage].find(key.code);
    if (earlier != mapped[usage].end()) {
        return std::string(usage ? "usage " : "code ") + words[at] + " is mapped on line " +
               std::to_string(earlier->second) + " already";
    }
    if (!IsKeyLabel(key.label)) return "unknown key label " + Shown(key.label);
    for (size_t i = at + 2; i < words.size(); ++i) {
        if (!IsKeyFlag(words[i])) return "unknown key flag " + Shown(words[i]);
        key.flags.push_back(words[i]);
    }
    mapped[usage][key.code] = line;
    (usage ? file.usages : file.keys).push_back(key);
    return "";
}

void ParseKlFile(const std::string& text, KlFile& file, std::vector<KlError>& errors) {
    file = KlFile();
    errors.clear();
    CodeLines mapped;
    size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::vector<std::string> words = Words(text.substr(start, end - start));
        start = end + 1;
        if (words.empty()) continue;
        std::string wrong;
        if (words[0] == "key") {
            wrong = ParseKeyLine(words, line, file, mapped);
        } else if (words[0] != "axis" && words[0] != "led" && words[0] != "sensor" &&
                   words[0] != "requires_kernel_config") {
            // The other statements map joystick axes, LEDs and sensors, which this device has
            // none of; they are taken as they stand.
            wrong = "unknown word " + Shown(words[0]) + " (a line begins with \"key\")";
        }
        if (!wrong.empty()) errors.push_back(KlError{line, wrong});
    }
}

const KlKey* FindKlKey(const KlFile& file, uint32_t code) {
    for (const KlKey& key : file.keys) {
        if (key.code == code) return &key;
    }
    return nullptr;
}

std::string FormatKlKey(const KlKey& key) {
    std::string line = "key " + std::to_string(key.code);
    line += std::string(line.size() < 10 ? 10 - line.size() : 1, ' ') + key.label;
    for (const std::string& flag : key.flags) line += "   " + flag;
    return line;
}
