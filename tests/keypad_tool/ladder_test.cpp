// keypad-tool ladder: the model's readings against values worked out by hand, the file format,
// one table of ladders checked against layouts (every finding, the layout written and checked
// again), and designs fed back into the check.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "ladder_analysis.h"
#include "ladder_command.h"
#include "ladder_design.h"
#include "ladder_file.h"
#include "ladder_model.h"

namespace {

constexpr int64_t kOhm = kMilliohmsPerOhm;
constexpr int64_t kKilo = 1000 * kOhm;

std::string dir;

std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path) << text;
    return path;
}

std::string Read(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// RunLadder with these arguments; out gets what it prints.
int RunWith(std::vector<std::string> args, std::string& out) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    testing::internal::CaptureStdout();
    const int status = RunLadder(static_cast<int>(argv.size()), argv.data());
    out = testing::internal::GetCapturedStdout();
    return status;
}

std::string Layout(const std::vector<const char*>& thresholds) {
    std::string s = "<key_pad_xml>\n<g>\n<enable value=\"1\"/>\n<channel_id value=\"1\"/>\n";
    s += "<KeyLevelNum value=\"" + std::to_string(thresholds.size()) + "\"/>\n";
    for (const char* t : thresholds) {
        s += std::string("  <key_pad KeyThreshold=\"") + t + "\" KeyCode=\"0x74\"/>\n";
    }
    return s + "</g>\n</key_pad_xml>\n";
}

struct Reading {
    int64_t r, pullUp;
    int tol, adc;
    int nominal, low, high;
};

TEST(LadderCommand, ModelReadingsWorkedOutByHand) {
    const Reading kReadings[] = {
        // 255 × 2.2/12.2 = 45.98; 2.178/12.278 → 45.23; 2.222/12.122 → 46.74; 2 counts either way.
        {2200 * kOhm, 10 * kKilo, 100, 2, 0x2e, 0x2b, 0x31},
        // 127.5 exactly rounds up.
        {10 * kKilo, 10 * kKilo, 0, 0, 0x80, 0x80, 0x80},
        {1 * kOhm, 509 * kOhm, 0, 0, 1, 1, 1},
        // 254.75 → 255; 9.5M/9.5105M → 254.72 → 255 - 2; clamped at 255.
        {10000 * kKilo, 10 * kKilo, 500, 2, 0xff, 0xfd, 0xff},
        {0, 10 * kKilo, 100, 2, 0, 0, 2},
    };
    for (const Reading& c : kReadings) {
        EXPECT_EQ(LadderReading(c.r, c.pullUp), c.nominal) << c.r;
        const ReadingRange w = WorstCase(c.r, c.tol, c.pullUp, c.tol, c.adc);
        EXPECT_EQ(w.low, c.low) << c.r;
        EXPECT_EQ(w.high, c.high) << c.r;
    }
    // 4.7k ∥ 10k at 1%: 3.1653k/13.2653k → 60.85; 3.2292k/13.1292k → 62.72.
    const ReadingRange both =
        ParallelWorstCase(4700 * kOhm, 100, 10 * kKilo, 100, 10 * kKilo, 100, 2);
    EXPECT_EQ(both.low, 0x3b);
    EXPECT_EQ(both.high, 0x41);
}

TEST(LadderCommand, ResistancesAndMalformedLines) {
    const std::pair<const char*, int64_t> kGood[] = {{"470", 470 * kOhm},  {"4.7k", 4700 * kOhm},
                                                     {"4k7", 4700 * kOhm}, {"1M5", 1500 * kKilo},
                                                     {"2R2", 2200},        {"0", 0},
                                                     {"10k", 10 * kKilo},  {"0.5", 500}};
    for (const auto& g : kGood) {
        int64_t value = -1;
        std::string why;
        EXPECT_TRUE(ParseResistance(g.first, value, why)) << g.first << ": " << why;
        EXPECT_EQ(value, g.second) << g.first;
    }
    // Every value of every decade prints as text that reads back as itself.
    for (int64_t v = 1; v < kMaxMilliohms; v = v * 10 + v % 7 + 1) {
        int64_t back = -1;
        std::string why;
        EXPECT_TRUE(ParseResistance(ResistanceText(v), back, why) && back == v) << v;
    }
    const std::pair<const char*, const char*> kBad[] = {{"chain 4k7k", "is not a resistance"},
                                                        {"chain 1.2.3", "is not a resistance"},
                                                        {"chain 1m", "is not a resistance"},
                                                        {"chain 20M", "is more than 10M"},
                                                        {"chain 1.0001", "finer than a milliohm"},
                                                        {"tolerance 5", "is not a tolerance"},
                                                        {"tolerance 100%", "below 100%"},
                                                        {"tolerance 0.001%", "finer than 0.01%"},
                                                        {"key 8 1k", "is not a slot"},
                                                        {"chian 1k", "unknown statement"},
                                                        {"pull-up 0", "of 0 ohms"},
                                                        {"pull-up", "takes one resistance"},
                                                        {"adc-error 256", "not a count"},
                                                        {"chain 1 2 3 4 5 6 7 8", "1 to 7"}};
    for (const auto& b : kBad) {
        ::Ladder ladder;
        Findings errors;
        const std::string text = std::string("tolerance 1% # every resistor\n") + b.first + "\n";
        ASSERT_NE(ParseLadder(text, ladder, errors), 0) << b.first;
        EXPECT_EQ(errors[0].line, 2) << b.first;
        EXPECT_NE(errors[0].text.find(b.second), std::string::npos) << errors[0].text;
    }
}

struct Case {
    const char* name;
    const char* ladder;
    std::vector<const char*> thresholds;
    int status;
    std::vector<std::string> findings;  // in this order
    bool written;
};

// clang-format off
const Case kCases[] = {
    {"the demo panel", "tolerance 1%\npull-up 10k\nchain 2.2k 2.4k 3.3k 5.1k 9.1k 22k\n",
     {"0x18", "0x38", "0x58", "0x78", "0x98", "0xb8", "0xd8"}, 0,
     {"  1   2.2k 1%     0x2e    0x2b-0x31  0x28-0x38  3, 7     0x36 (0x26-0x36)", "none"}, true},
    {"windows off", "pull-up 10k\nchain 2.2k 2.4k 3.3k\n", {"0x2c", "0x30", "0x58"}, 1,
     {"7: error: key 1's worst-case readings 0x2b-0x31 leave its window 0x20-0x30 at 0x31",
      "7: error: key 1's worst-case readings 0x2b-0x31 reach into key 0's window 0x1c-0x2c at "
      "0x2b-0x2c", "2: error: key 3 (7.9k to ground) is on the ladder, but the layout's group 0 "
      "has KeyLevelNum 3"}, false},
    {"a thin margin, the rest in a window", "pull-up 10k\nchain 2.2k 2.4k\n",
     {"0x10", "0x33", "0x58", "0xff"}, 1,
     {"7: warning: key 1's worst-case readings 0x2b-0x31 come within 2 counts of its window",
      "9: error: key 3 (not on the ladder; its window 0xef-0xff kept) and the panel at rest "
      "(0xfd-0xff) are too close",
      "9: error: key 3 is not on the ladder",
      "9: error: the panel at rest reads 0xfd-0xff, and 0xfd-0xff of it lies in key 3's window"},
     false},
    {"too wide, overlapping", "tolerance 10%\npull-up 10k\nchain 2.2k 0.1k\n",
     {"0x10", "0x38", "0x58"}, 1,
     {"3: error: key 1's worst-case readings 0x25-0x38 span 19 counts: no 16-count window holds "
      "them; tolerance 5% (the pull-up's too) would fit them",
      "3: error: the worst-case readings of keys 1 (0x25-0x38) and 2"}, false},
    {"a phantom key", "pull-up 10k\nkey 0 0\nkey 1 3.3k\nkey 2 4.7k\nkey 3 10k\n",
     {"0x10", "0x48", "0x5a", "0x88"}, 0,
     {"5: warning: keys 2 and 3 pressed together read 0x3b-0x41, and 0x3b-0x41 of that lies in "
      "key 1's window 0x38-0x48"}, true},
};
// clang-format on

TEST(LadderCommand, FindingsAndTheWrittenLayout) {
    for (const Case& c : kCases) {
        const std::string layout = Write("key_pad.xml", Layout(c.thresholds));
        const std::string ladder = Write("panel.ladder", c.ladder);
        const std::string out = dir + "/written.xml";
        unlink(out.c_str());
        std::string report;
        EXPECT_EQ(RunWith({"--write", out, layout, ladder}, report), c.status) << c.name;
        size_t at = 0;
        for (const std::string& f : c.findings) {
            at = report.find(f, at);
            EXPECT_NE(at, std::string::npos) << c.name << ": no \"" << f << "\" in\n" << report;
        }
        const std::string written = Read(out);
        EXPECT_EQ(!written.empty(), c.written) << c.name << "\n" << report;
        if (written.empty()) continue;
        const std::regex value("KeyThreshold=\"[^\"]*\"");
        EXPECT_EQ(std::regex_replace(written, value, ""),
                  std::regex_replace(Layout(c.thresholds), value, ""));
        EXPECT_EQ(RunWith({"--quiet", out, ladder}, report), 0) << c.name << "\n" << report;
        EXPECT_EQ(report.find("error"), std::string::npos) << c.name << "\n" << report;
    }
}

// Every design reads back as itself, states the smallest gap the check finds, and a layout given
// its proposed thresholds passes the check.
TEST(LadderCommand, DesignsFedBack) {
    for (int series : {12, 24, 48, 96}) {
        for (int keys = kMinDesignKeys; keys <= kKeySlots; ++keys) {
            const LadderDesignRequest q = {keys, 100, series, 10 * kKilo, 2};
            ::Ladder designed;
            ASSERT_EQ(DesignLadder(q, designed), 0) << series << " " << keys;
            const std::string text = DesignText(q, designed);
            ::Ladder back;
            Findings errors;
            ASSERT_EQ(ParseLadder(text, back, errors), 0) << text;
            EXPECT_EQ(back.chain, designed.chain);
            EXPECT_EQ(LadderText(back), LadderText(designed));
            ReadingRange ranges[kKeySlots];
            int gap = 0, below = 0, above = 0;
            LadderRanges(back, ranges, gap, below, above);
            EXPECT_NE(text.find("# smallest gap between neighbouring worst-case ranges: " +
                                std::to_string(gap) + " counts"),
                      std::string::npos)
                << text;
            if (keys != kKeySlots && series != 24) continue;
            const std::string layout =
                Write("key_pad.xml", Layout(std::vector<const char*>(keys, "0x10")));
            const std::string ladder = Write("designed.ladder", text);
            const std::string out = dir + "/written.xml";
            std::string report;
            RunWith({"--write", out, layout, ladder}, report);
            EXPECT_EQ(RunWith({out, ladder}, report), 0) << text << report;
        }
    }
    const LadderDesignRequest impossible = {8, 500, 12, 10 * kKilo, 5};
    ::Ladder none;
    EXPECT_EQ(DesignLadder(impossible, none), -1);
    EXPECT_EQ(DesignAdvice(impossible), "E12 at 2% would; no finer series at 5% would");
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    char path[] = "/tmp/ladder-XXXXXX";
    if (!mkdtemp(path)) return 2;
    dir = path;
    const int status = RUN_ALL_TESTS();
    const std::string cleanup = "rm -rf " + dir;
    return system(cleanup.c_str()) == 0 ? status : 2;
}
