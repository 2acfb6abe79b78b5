// Each finding of the layout check, one layout per row: exactly the findings (line, severity and
// the start of the text) that the layout gets, and no others.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "check_command.h"

namespace {

struct Row {
    const char* name;
    std::string body;                   // the children of the root, from line 2 on
    std::vector<std::string> expected;  // "line:e|w:start of the text"
    const char* root = nullptr;         // the root element's name when not key_pad_xml
};

// An enabled ADC group: its element on line 2 (or later), enable, channel_id, then children.
std::string Adc(const std::string& children, const char* channel = "1") {
    return std::string("<g>\n<enable value=\"1\"/>\n<channel_id value=\"") + channel + "\"/>\n" +
           children + "</g>\n";
}
const char* const kPower = "KeyCode=\"0x74\"";
const char* const kVolumeUp = "KeyCode=\"0x73\"";

std::string Levels(const char* n) { return std::string("<KeyLevelNum value=\"") + n + "\"/>\n"; }
std::string Key(const char* threshold, const char* rest = kPower) {
    return std::string("<key_pad KeyThreshold=\"") + threshold + "\" " + rest + "/>\n";
}
// Eight keys with disjoint windows: KEY_POWER, then seven with that code.
std::string EightKeys(const char* code) {
    std::string keys;
    for (const char* t : {"0x1f", "0x3f", "0x5f", "0x7f", "0x9f", "0xbf", "0xdf", "0xff"}) {
        keys += Key(t, keys.empty() ? kPower : code);
    }
    return keys;
}
std::string Gpio(const std::string& children) {
    return "<gpio>\n<enable value=\"1\"/>\n" + children + "</gpio>\n";
}
const std::string kOneKey = Adc(Levels("1") + Key("0x40"));  // lines 2 to 7

// Line 5 holds KeyLevelNum, line 6 the first key, in every Adc() that starts the body.
const std::vector<Row> kRows = {
    {"Clean", Adc(Levels("2") + Key("0x40") + Key("0x80", kVolumeUp)), {}},
    {"ThresholdBelow16",
     Adc(Levels("2") + Key("0x40") + Key("0x0f", kVolumeUp)),
     {"7:e:KeyThreshold 0x0f is below 0x10: key 1 has no window"}},
    {"WindowCovered",
     Adc(Levels("2") + Key("0x40") + Key("0x40")),
     {"7:e:key 1 is never reached: its window 0x30-0x40 lies under earlier keys: 0x30-0x40 give "
      "key 0"}},
    {"WindowsOverlap",
     Adc(Levels("2") + Key("0x40") + Key("0x48")),
     {"7:w:key 1's window 0x38-0x48 overlaps earlier keys: 0x38-0x40 give key 0"}},
    {"NinthKey",
     Adc(Levels("8") + EightKeys(kVolumeUp) + Key("0x10")),
     {"14:e:<key_pad> number 9 of the group is ignored"}},
    {"LevelsBelowKeys",
     Adc(Levels("1") + Key("0x40") + Key("0x80")),
     {"7:e:key 1 lies beyond KeyLevelNum 1"}},
    {"LevelsAboveKeys", Adc(Levels("2") + Key("0x40")), {"5:w:KeyLevelNum 2, but 1 key is given"}},
    {"LevelsReadAsHex", Adc(Levels("10") + Key("0x40")), {"5:e:KeyLevelNum 0x10 (16) is above 8"}},
    {"LevelsMissing", Adc(Key("0x40")), {"2:e:KeyLevelNum is 0: none of the group's 1 keys"}},
    {"DecimalFieldGivenHex",
     Adc(Levels("1") +
         Key("0x40", "KeyCode=\"0x73\" LongKeyCode=\"0x164\" LongKeyDuration=\"0x7d0\"")),
     {"6:e:LongKeyDuration=\"0x7d0\": this field is decimal, so the daemon stops at \"x\" and "
      "reads 0"}},
    {"Saturates",
     Adc(Levels("1") + Key("123456789")),
     {"6:e:KeyThreshold=\"123456789\" saturates the daemon's parser: it keeps 0xff"}},
    {"NarrowedTo8Bits",
     Adc(Levels("1") + Key("1FF")),
     {"6:e:KeyThreshold=\"1FF\" does not fit in 8 bits: the daemon keeps 0xff"}},
    {"CodeLooksDecimal",
     Adc(Levels("1") + Key("0x40", "KeyCode=\"116\"")),
     {"6:w:KeyCode=\"116\" is read as hexadecimal 0x116 = BTN_BACK (278), not as decimal 116"}},
    {"CodeAboveKeyMax",
     Adc(Levels("1") + Key("0x40", "KeyCode=\"0x300\"")),
     {"6:e:KeyCode 768 is above the kernel's KEY_MAX"}},
    {"GpioCodeNotAnnounced",
     Gpio(Levels("1") + "<key_pad GroupNum=\"1\" PinNum=\"3\" KeyCode=\"300\"/>\n"),
     {"5:e:KeyCode 300 is never announced by the virtual keyboard"}},
    {"PinBeyondGroup",
     Gpio(Levels("1") + "<key_pad GroupNum=\"1\" PinNum=\"9\" KeyCode=\"116\"/>\n"),
     {"5:w:PinNum 9 is beyond a group's eight pins: the key reads line 17"}},
    {"GpioKeyBeforeLevels",
     Gpio("<key_pad GroupNum=\"1\" PinNum=\"3\" KeyCode=\"116\"/>\n" + Levels("1")),
     {"4:e:<key_pad> number 1 of <gpio> is ignored: it comes before <KeyLevelNum>",
      "5:w:KeyLevelNum 1, but 0 keys"}},
    {"AdcAndGpioEnabled",
     kOneKey + Gpio(Levels("1") + "<key_pad GroupNum=\"1\" PinNum=\"3\" KeyCode=\"116\"/>\n"),
     {"9:e:GPIO keys are enabled, so the daemon polls only them: ADC group 0 is never sampled"}},
    {"TwoGroupsOneChannel", kOneKey + kOneKey, {"10:w:ADC groups 0 and 1 both read channel 1"}},
    {"ChannelBeyond32", Adc(Levels("1") + Key("0x40"), "0x28"), {"4:w:channel 40 is beyond"}},
    {"NinePowerKeys",
     Adc(Levels("8") + EightKeys(kPower)) + Adc(Levels("1") + Key("0x40"), "2"),
     {"10:w:power key 5 of 9 does not wake", "11:w:power key 6 of 9", "12:w:power key 7 of 9",
      "13:w:power key 8 of 9", "19:w:power key 9 of 9"}},
    {"PowerKeyCannotWake",
     Adc(Levels("1") + Key("0x0a")),
     {"6:w:KeyThreshold 0x0a is below 0x10, so key 0 has no window: only the readings 0x00-0x05",
      "6:w:power key 1's threshold 0x0a is below 0x10: its wake-up range starts at 0xfa"}},
    {"MisspeltAttribute",
     Adc(Levels("1") +
         Key("0x40", "KeyCode=\"0x73\" LongKeyCode=\"0x164\" LongKeyDuraton=\"2000\"")),
     {"6:e:attribute \"LongKeyDuraton\" of <key_pad> is not read by the daemon: did you mean "
      "\"LongKeyDuration\"?"}},
    {"UnknownElements",
     Adc(Levels("1") + Key("0x40") + "<Enable value=\"1\"/>\n<colour/>\n"),
     {"7:e:element \"Enable\" in <g> is not read by the daemon: did you mean \"enable\"?",
      "8:w:element \"colour\" in <g> is not read by the daemon"}},
    {"RepeatNotTrue",
     Adc(Levels("1") + Key("0x40", "KeyCode=\"0x73\" LongKeyCode=\"0x164\" Repeat=\"1\"")),
     {"6:w:Repeat=\"1\" is off: only the exact text \"true\" turns it on"}},
    {"RepeatWithoutLongCode",
     Adc(Levels("1") + Key("0x40", "KeyCode=\"0x73\" Repeat=\"true\"")),
     {"6:w:Repeat has no effect without a LongKeyCode"}},
    {"FourthChild",
     kOneKey + "<g1/>\n<g2/>\n<g3/>\n",
     {"10:w:<g3> is not read: only the first three children of <key_pad_xml> are ADC groups"}},
    {"WrongRoot", kOneKey, {"1:e:the root element is <keypad>"}, "keypad"},
};

class LayoutFindings : public ::testing::TestWithParam<Row> {};

TEST_P(LayoutFindings, AreExactlyTheExpectedOnes) {
    const Row& row = GetParam();
    const std::string root = row.root ? row.root : "key_pad_xml";
    const std::string text = "<" + root + ">\n" + row.body + "</" + root + ">\n";
    LayoutElements elements;
    Findings findings;
    ASSERT_EQ(FindLayoutProblems("layout", text, elements, findings), 0);
    std::vector<std::string> got;
    std::string all;
    for (const Finding& f : findings) {
        got.push_back(std::to_string(f.line) + (f.severity == kError ? ":e:" : ":w:") + f.text);
        all += got.back() + "\n";
    }
    ASSERT_EQ(got.size(), row.expected.size()) << all;
    for (size_t i = 0; i < got.size(); ++i) {
        const std::string& want = row.expected[i];
        EXPECT_EQ(got[i].compare(0, want.size(), want), 0)
            << "want: " << want << "\ngot:  " << got[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LayoutFindings, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return info.param.name; });

}  // namespace
