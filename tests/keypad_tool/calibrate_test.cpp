// keypad-tool calibrate on generated recordings: one panel per row (thresholds as written, the
// keys' real readings, what a release passes through), the findings it must give, and for every
// layout it writes: no byte but the thresholds changed, check finds no error in it, and a replay
// of the recording on it gives every recorded press exactly once.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "calibrate_command.h"
#include "check_command.h"
#include "replay_engine.h"
#include "steady_readings.h"
#include "trace_line.h"

namespace {

struct Panel {
    const char* name;
    std::vector<const char*> thresholds;
    std::vector<int> readings;  // each key's reading when pressed; -1: never pressed
    int noise;                  // a held key also reads reading + noise
    std::vector<int> release;   // readings passed on each release, one sample each
    int stray;                  // one press at this reading (0: none)
    int status;
    std::vector<std::string> findings;  // in this order in the output
    std::vector<std::string> written;   // in the written layout; empty: nothing written
    int holdMs = 300;
};

const uint32_t kCodes[] = {0x74, 0x73, 0x72, 0x192, 0x193, 0x8b, 0x179, 0x71};

std::string Layout(const Panel& p) {
    std::string s = "<key_pad_xml>\n<g>\n<enable value=\"1\"/>\n<channel_id value=\"1\"/>\n";
    s += "<KeyLevelNum value=\"" + std::to_string(p.thresholds.size()) + "\"/>\n";
    for (size_t k = 0; k < p.thresholds.size(); ++k) {
        char code[16];
        snprintf(code, sizeof code, "0x%x", kCodes[k]);
        s += std::string("  <key_pad KeyThreshold=\"") + p.thresholds[k] + "\" KeyCode=\"" + code +
             "\" LongKeyCode=\"0\"/> <!-- key " + std::to_string(k) + " -->\n";
    }
    return s + "</g>\n</key_pad_xml>\n";
}

// Three rounds of presses of every key, each held holdMs; codes gets each press's key code.
std::string Recording(const Panel& p, std::vector<uint32_t>& codes) {
    std::ostringstream out;
    out << "# period: 10 ms\n0 adc 1 0xff\n";
    uint64_t t = 500;
    auto press = [&](int reading) {
        out << t << " adc 1 " << reading << "\n"
            << t + p.holdMs / 2 << " adc 1 " << reading + p.noise << "\n";
        t += p.holdMs;
        for (int r : p.release) out << t << " adc 1 " << r << "\n", t += 10;
        out << t << " adc 1 0xff\n";
        t += 400;
    };
    for (int round = 0; round < 3; ++round) {
        for (size_t k = 0; k < p.readings.size(); ++k) {
            if (p.readings[k] < 0) continue;
            press(p.readings[k]);
            codes.push_back(kCodes[k]);
        }
    }
    if (p.stray != 0) press(p.stray);
    out << t + 1000 << " adc 1 0xff\n";
    return out.str();
}

std::string Write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
    return path;
}

std::string Read(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void KeepDown(const ReplayEvent& e, void* downs) {
    if (e.value == 1) static_cast<std::vector<uint32_t>*>(downs)->push_back(e.code);
}

// clang-format off
const std::vector<Panel> kPanels = {
    {"readings well inside", {"0x38", "0x58", "0x78"}, {0x30, 0x50, 0x70}, 1, {}, 0, 0,
     {"Findings: none"}, {"\"0x39\"", "\"0x59\"", "\"0x79\""}},
    {"a threshold one count too low", {"0x30", "0x58"}, {0x30, 0x50}, 1, {}, 0, 1,
     {"6: error: key 0: 3 of its 3 presses read outside its window 0x20-0x30"}, {"\"0x39\""}},
    {"thin margins at both edges", {"0x32", "0x60"}, {0x30, 0x50}, 1, {}, 0, 0,
     {"6: warning: key 0's readings 0x30-0x31 come within 1 count of its window's upper edge 0x32",
      "7: warning: key 1's readings 0x50-0x51 come within 0 counts of its window's lower edge 0x50"},
     {"\"0x39\"", "\"0x59\""}},
    {"a key never pressed, a stray press", {"0x38", "0x58", "0x78"}, {0x30, -1, 0x70}, 1, {},
     0xa0, 1,
     {"7: warning: key 1 is never pressed",
      "error: a press reading 0xa0-0xa1 for 30 samples matches no key"},
     {"\"0x39\"", "\"0x58\"", "\"0x79\""}},
    {"two keys whose readings overlap", {"0x20", "0x3c"}, {0x24, 0x27}, 4, {}, 0, 1,
     {"6: error: key 0: 3 of its 3 presses",
      "6: error: key 0 (readings 0x24-0x28) and key 1 (readings 0x27-0x2b) cannot be told apart"},
     {}},
    {"releases that pass another key's window", {"0x38", "0x58", "0x78"}, {0x30, 0x50, 0x70}, 1,
     {0x52, 0x53, 0x54}, 0, 0,
     {"reads key 1's window 0x48-0x58 for 3 samples at 10 ms: 1 sample more"}, {"\"0x39\""}},
    {"releases that slide into another key's window", {"0x38", "0x58", "0x78"}, {0x30, 0x50, -1},
     1, {0x70, 0x70, 0x71, 0x70}, 0, 0,
     {"warning: key 0's press (0x30) runs into key 2's window 0x68-0x78 for 4 samples"},
     {"\"0x39\""}},
    {"keys held longer than the panel rests", {"0x38", "0x58"}, {0x30, 0x50}, 1, {}, 0, 0,
     {"rest reading 0xff, 6 presses", "Findings: none"}, {"\"0x39\"", "\"0x59\""}, 3000},
    {"the look of each value kept", {"38", "0X5A", "0x078"}, {0x30, 0x52, 0x70}, 1, {}, 0, 0,
     {"Findings: none"}, {"\"39\"", "\"0X5B\"", "\"0x079\""}},
};
// clang-format on

TEST(Calibrate, FindingsProposalsAndTheWrittenLayout) {
    char dir[] = "/tmp/calibrate-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    for (const Panel& p : kPanels) {
        std::vector<uint32_t> pressed;
        const std::string layout = Write(std::string(dir) + "/key_pad.xml", Layout(p));
        const std::string trace = Write(std::string(dir) + "/panel.trace", Recording(p, pressed));
        const std::string out = std::string(dir) + "/written.xml";
        unlink(out.c_str());
        testing::internal::CaptureStdout();
        const int status = RunCalibrate({layout.c_str(), trace.c_str(), out.c_str(), false, nullptr});
        const std::string report = testing::internal::GetCapturedStdout();
        EXPECT_EQ(status, p.status) << p.name << "\n" << report;
        size_t at = 0;
        for (const std::string& f : p.findings) {
            at = report.find(f, at);
            EXPECT_NE(at, std::string::npos) << p.name << ": no \"" << f << "\" in\n" << report;
        }
        const std::string written = Read(out);
        EXPECT_EQ(written.empty(), p.written.empty()) << p.name;
        if (written.empty()) continue;
        for (const std::string& w : p.written) EXPECT_NE(written.find(w), std::string::npos) << w;
        const std::regex value("KeyThreshold=\"[^\"]*\"");
        EXPECT_EQ(std::regex_replace(written, value, ""), std::regex_replace(Layout(p), value, ""));
        LayoutElements elements;
        Findings findings;
        ASSERT_EQ(FindLayoutProblems("written", written, elements, findings), 0);
        EXPECT_EQ(CountFindings(findings, kError), 0) << p.name;
        std::vector<uint32_t> downs;
        ASSERT_EQ(ReplayBegin(written, 10, KeepDown, &downs), 0);
        std::istringstream lines(Read(trace));
        TraceStep step;
        const char* why = nullptr;
        for (std::string line; std::getline(lines, line);) {
            if (ParseTraceLine(line.c_str(), step, &why) > 0) ReplayStep(step);
        }
        ReplayRunThrough(ReplayNowMs() + 1000);
        if (p.stray == 0 && p.release.size() < kSteadySamples) {
            EXPECT_EQ(downs, pressed) << p.name;
        }
    }
    std::string cleanup = std::string("rm -rf ") + dir;
    EXPECT_EQ(system(cleanup.c_str()), 0);
}

}  // namespace
