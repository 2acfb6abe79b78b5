// Android key layout files (.kl), read as Android reads them. A line is
//   key [usage] CODE LABEL [FLAG...]
// with CODE decimal or 0x-hex, LABEL and each FLAG from Android's list (kl_labels.h), and "#"
// starting a comment. A code given twice, an unknown word, or a line that is none of these
// makes the whole file fail to load.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct KlKey {
    uint32_t code;
    std::string label;
    std::vector<std::string> flags;
    int line;
};

struct KlFile {
    std::vector<KlKey> keys;    // by scan code, which is what the daemon's events carry
    std::vector<KlKey> usages;  // by HID usage ("key usage"), which they never carry
};

struct KlError {
    int line;
    std::string text;
};

// The file's keys, and its errors in line order (one a line); it loads only when there are none.
void ParseKlFile(const std::string& text, KlFile& file, std::vector<KlError>& errors);
// A code as a key line gives it: decimal or 0x-hex, at most 0x7fffffff.
bool ParseKlCode(const std::string& word, uint32_t& code);
// The key line for a scan code, or nullptr.
const KlKey* FindKlKey(const KlFile& file, uint32_t code);
// "key 116   POWER   WAKE": a line that parses back to the same key.
std::string FormatKlKey(const KlKey& key);
