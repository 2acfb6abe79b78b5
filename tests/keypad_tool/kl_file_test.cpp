// Key layout files read as Android reads them, and the labels keymap gives the kernel's key names.
#include "kl_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "key_names.h"
#include "kl_labels.h"

namespace {

std::vector<int> ErrorLines(const std::string& text, size_t& keys) {
    KlFile file;
    std::vector<KlError> errors;
    ParseKlFile(text, file, errors);
    keys = file.keys.size();
    std::vector<int> lines;
    for (const KlError& error : errors) lines.push_back(error.line);
    return lines;
}

TEST(KlFile, LoadsOnlyWithoutAnyError) {
    struct Case {
        std::string text;
        std::vector<int> errorLines;
        size_t keys;
    } cases[] = {
        {"key 116 POWER WAKE\nkey 0x73 VOLUME_UP # comment\r\n\n# only a comment\n", {}, 2},
        {"key usage 0x0c0067 POWER\nkey 0x74 POWER\naxis 0x00 X\nled 0x00 NUM_LOCK\n", {}, 1},
        {"key 116 POWER\n\tkey 0x74 MENU\n", {2}, 1},                // the same code twice
        {"key 116 VOLUMEUP\nkey 115 VOLUME_UP BOGUS\n", {1, 2}, 0},  // unknown label, flag
        {"keys 116 POWER\nPOWER\n", {1, 2}, 0},                      // stray words
        {"key 116\nkey usage POWER\nkey\n", {1, 2, 3}, 0},           // too few words
        {"key -1 A\nkey 1e3 A\nkey 0x80000000 A\nkey 0x B\nkey 2147483647 C\n", {1, 2, 3, 4}, 1},
        {"key 116 POWER#WAKE is a comment\nkey 115 UNKNOWN\n", {}, 2},
        {std::string("key 116 POW\0ER\n", 15), {1}, 0},
    };
    for (const Case& c : cases) {
        size_t keys = 0;
        EXPECT_EQ(ErrorLines(c.text, keys), c.errorLines) << c.text;
        EXPECT_EQ(keys, c.keys) << c.text;
    }
}

// Every kernel key name that Android has a label for makes a line that loads, and the file of all
// of them loads too: what --write-kl writes always loads.
TEST(KlFile, EveryLabelledKernelKeyMakesALineThatLoads) {
    std::string text;
    int labelled = 0;
    for (uint32_t code = 0; code <= kKernelKeyMax; ++code) {
        const std::string label = LabelForKernelName(KeyName(code));
        if (label.empty()) continue;
        ASSERT_TRUE(IsKeyLabel(label)) << code;
        text += FormatKlKey(KlKey{code, label, {"WAKE"}, 0}) + "\n";
        ++labelled;
    }
    size_t keys = 0;
    EXPECT_TRUE(ErrorLines(text, keys).empty());
    EXPECT_EQ(keys, static_cast<size_t>(labelled));
    EXPECT_GT(labelled, 100);
}

TEST(KlLabels, KernelNamesBecomeAndroidLabels) {
    const char* cases[][2] = {
        {"KEY_VOLUMEUP", "VOLUME_UP"},
        {"KEY_CHANNELUP", "CHANNEL_UP"},
        {"KEY_TV", "TV"},
        {"KEY_POWER", "POWER"},
        {"KEY_POWER2", ""},
        {"KEY_UNKNOWN", ""},
        {"BTN_LEFT", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(LabelForKernelName(c[0]), c[1]) << c[0];
    EXPECT_EQ(LabelForKernelName(nullptr), "");
    EXPECT_TRUE(IsKeyFlag("FALLBACK_USAGE_MAPPING"));
    EXPECT_FALSE(IsKeyLabel("WAKE"));
}

}  // namespace
