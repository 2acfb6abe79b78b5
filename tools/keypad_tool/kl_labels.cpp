#include "kl_labels.h"

#include <string.h>

#include <unordered_map>
#include <unordered_set>

// Made from data/keylayout-labels.txt at build time.
extern const char kKeylayoutLabelsText[];

struct KeyWords {
    std::unordered_set<std::string> labels;
    std::unordered_set<std::string> flags;
    // Each label by its letters and digits alone (VOLUMEUP: VOLUME_UP), for kernel names;
    // "" where two labels would share a key.
    std::unordered_map<std::string, std::string> bySpelling;
};

static std::string WithoutUnderscores(std::string word) {
    std::string out;
    for (char c : word) {
        if (c != '_') out += c;
    }
    return out;
}

// The list has a "# labels" part and a "# flags" part, one word a line; other "#" lines are
// comments.
static KeyWords ReadKeyWords() {
    KeyWords words;
    std::unordered_set<std::string>* part = nullptr;
    const char* line = kKeylayoutLabelsText;
    while (*line != '\0') {
        const char* end = strchr(line, '\n');
        const std::string text(line, end ? static_cast<size_t>(end - line) : strlen(line));
        line = end ? end + 1 : line + text.size();
        if (text == "# labels") {
            part = &words.labels;
        } else if (text == "# flags") {
            part = &words.flags;
        } else if (!text.empty() && text[0] != '#' && part) {
            part->insert(text);
        }
    }
    for (const std::string& label : words.labels) {
        auto placed = words.bySpelling.emplace(WithoutUnderscores(label), label);
        if (!placed.second) placed.first->second.clear();
    }
    return words;
}

static const KeyWords& Words() {
    static const KeyWords words = ReadKeyWords();
    return words;
}

bool IsKeyLabel(const std::string& word) { return Words().labels.count(word) != 0; }
bool IsKeyFlag(const std::string& word) { return Words().flags.count(word) != 0; }

std::string LabelForKernelName(const char* name) {
    if (!name || strncmp(name, "KEY_", 4) != 0) return "";
    const std::string bare = name + 4;
    // A key that Android calls UNKNOWN is one that the set ignores.
    if (bare == "UNKNOWN") return "";
    if (IsKeyLabel(bare)) return bare;
    auto found = Words().bySpelling.find(WithoutUnderscores(bare));
    return found == Words().bySpelling.end() ? "" : found->second;
}
