// Any bytes as an Android key layout file through keymap's reader. Every error names a line of
// the file; a file that loads maps each code once, to a label and flags from Android's list, and
// every key prints back as a line that reads as the same key.
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kl_file.h"
#include "kl_labels.h"

static void Require(bool holds) {
    if (!holds) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    KlFile file;
    std::vector<KlError> errors;
    ParseKlFile(text, file, errors);
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (const KlError& error : errors) Require(error.line >= 1 && error.line <= lines);
    if (!errors.empty()) return 0;
    std::string printed;
    for (const KlKey& key : file.keys) {
        Require(IsKeyLabel(key.label) && FindKlKey(file, key.code) == &key);
        for (const std::string& flag : key.flags) Require(IsKeyFlag(flag));
        printed += FormatKlKey(key) + "\n";
    }
    KlFile again;
    ParseKlFile(printed, again, errors);
    Require(errors.empty() && again.keys.size() == file.keys.size());
    for (size_t i = 0; i < file.keys.size(); ++i) {
        Require(again.keys[i].code == file.keys[i].code &&
                again.keys[i].label == file.keys[i].label &&
                again.keys[i].flags == file.keys[i].flags);
    }
    return 0;
}
