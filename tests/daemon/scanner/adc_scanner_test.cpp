#include "main/adc_scanner.h"

#include <gtest/gtest.h>
#include <string.h>

#include <sstream>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "key_pars/key_pars.h"
#include "recording_uinput.h"
#include "temp_board.h"

namespace {

struct Key {
    uint8_t threshold;
    uint32_t code;
    uint32_t longCode;
    uint32_t duration;
    uint8_t repeat;
};

const Key kVolUp{0x40, 115, 0, 800, 0};
const Key kMenu{0x40, 139, 358, 800, 0};
const Key kChUp{0x80, 114, 0, 800, 0};
const std::string kDisplayLock = "json.smarttv.configure.order.displaykeylock=";
const std::string kShutdown = "json.smarttv.configure.order.LongpressToShutdown=";
const std::string kShutdown2 = "quorel.prop.Longpresstoshutdown=";

std::string Rep(const std::string& events, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += (all.empty() ? "" : " ") + events;
    return all;
}
std::string Join(const std::vector<std::string>& parts) {
    std::string all;
    for (const std::string& p : parts)
        if (!p.empty()) all += (all.empty() ? "" : " ") + p;
    return all;
}
const std::string P = "116:1 116:0";

class Scanner : public ::testing::Test {
protected:
    TempBoard board;
    int reading[kAdcGroupCount] = {255, 255, 255};
    uint64_t step = 10;

    void SetUp() override {
        memset(keyGroups, 0, sizeof keyGroups);
        ResetAdcScanner();
        pdmKeyLock = 0;
        currentKey = 0;
        currentKeyTime = 0;
        ClearRecordedEvents();
        SetFakeMs(1000);
    }
    void Group(int g, const std::vector<Key>& keys, uint8_t levels = 0) {
        KeyArry& group = keyGroups[g];
        group.enable = 1;
        group.channel_id = static_cast<uint8_t>(g);
        group.KeyLevelNum = levels ? levels : static_cast<uint8_t>(keys.size());
        for (size_t n = 0; n < keys.size() && n < kKeySlots; ++n) {
            group.KeyThreshold[n] = keys[n].threshold;
            group.KeyCode[n] = keys[n].code;
            group.LongKeyCode[n] = keys[n].longCode;
            group.LongKeyDuration[n] = keys[n].duration;
            group.keyState[n].Repeat = keys[n].repeat;
        }
    }
    void KeyLock(uint8_t value) { board.WriteBytes("pdm/34", {value, 0, 0, 0}); }
    // One wake-up of the loop: every enabled group sampled once; a negative reading fails.
    void Tick(int times = 1) {
        for (int t = 0; t < times; ++t) {
            AdvanceFakeMs(step);
            for (int g = 0; g < kAdcGroupCount; ++g) {
                if (keyGroups[g].enable == 0) continue;
                if (reading[g] < 0) board.Write("fail/HI_UNF_LSADC_GetValue", "0x80470001");
                board.Write("lsadc/" + std::to_string(g), std::to_string(reading[g] & 0xff));
                SampleAdcGroup(g);
                board.Remove("fail/HI_UNF_LSADC_GetValue");
            }
        }
    }
    // Script: "<r0>[/<r1>]*<samples>" for groups 0 and 1 ("F" fails), "+<ms>" waits, "s<ms>"
    // sets the sample spacing, "@<ms>" the clock, "L<n>" the key-lock value.
    void Play(const std::string& script) {
        std::istringstream words(script);
        for (std::string w; words >> w;) {
            if (w[0] == '+') {
                AdvanceFakeMs(std::stoull(w.substr(1)));
            } else if (w[0] == '@') {
                SetFakeMs(std::stoull(w.substr(1)));
            } else if (w[0] == 'L') {
                KeyLock(static_cast<uint8_t>(std::stoi(w.substr(1))));
            } else if (w[0] == 's') {
                step = std::stoull(w.substr(1));
            } else {
                size_t star = w.find('*');
                reading[0] = w[0] == 'F' ? -1 : std::stoi(w.substr(0, star), nullptr, 0);
                size_t slash = w.find('/');
                if (slash < star) reading[1] = std::stoi(w.substr(slash + 1), nullptr, 0);
                Tick(std::stoi(w.substr(star + 1)));
            }
        }
    }
    std::string Take() {
        std::string text = RecordedEventsText();
        ClearRecordedEvents();
        return text;
    }
};

TEST_F(Scanner, MapKeyValueWindows) {
    struct Case {
        std::vector<uint8_t> thresholds;
        uint8_t levels;
        unsigned int reading;
        int code, index;
    } cases[] = {
        {{0x40, 0x80}, 2, 0x30, 100, 0}, {{0x40, 0x80}, 2, 0x2F, 0, 2},
        {{0x40, 0x80}, 2, 0x40, 100, 0}, {{0x40, 0x80}, 2, 0x41, 0, 2},
        {{0x40, 0x80}, 2, 0x70, 101, 1}, {{0x40, 0x80}, 2, 0x6F, 0, 2},
        {{0x40, 0x80}, 2, 0x80, 101, 1}, {{0x40, 0x80}, 2, 0x81, 0, 2},
        {{0x40, 0x80}, 2, 0, 100, 0},    {{0x40, 0x80}, 2, 5, 100, 0},
        {{0x40, 0x80}, 2, 6, 0, 2},      {{0x08, 0x80}, 2, 8, 0, 2},
        {{0x08, 0x80}, 2, 3, 100, 0},    {{0x50, 0x48}, 2, 0x45, 100, 0},
        {{0x50, 0x48}, 2, 0x3F, 101, 1}, {{0x40}, 0, 0x40, 0, 0},
        {{0x40}, 9, 0x40, 0, 7},  // no mapping: the slot is left alone
    };
    for (const Case& c : cases) {
        memset(keyGroups, 0, sizeof keyGroups);
        keyGroups[1].KeyLevelNum = c.levels;
        for (size_t n = 0; n < c.thresholds.size(); ++n) {
            keyGroups[1].KeyThreshold[n] = c.thresholds[n];
            keyGroups[1].KeyCode[n] = 100 + static_cast<uint32_t>(n);
        }
        int index = 7;
        EXPECT_EQ(MapKeyValue(1, c.reading, index), c.code) << c.reading;
        EXPECT_EQ(index, c.index) << c.reading;
    }
    int index = 7;
    EXPECT_EQ(MapKeyValue(3, 0x40, index) + MapKeyValue(-1, 0x40, index), 0);
    EXPECT_EQ(index, 7);
}

TEST_F(Scanner, MapKeyValueKeyLock) {
    struct Case {
        uint8_t keyLock;
        std::string props;
        uint32_t code;
        int want;
    } cases[] = {
        {0, kDisplayLock + "true", 115, 115},
        {2, kDisplayLock + "true", 115, 115},
        {1, kDisplayLock + "true", 116, 744},
        {1, "", 116, 116},
        {1, "", 115, 744},
        {1, "", 0, 744},
        {1, kDisplayLock + "True", 116, 116},
        {1, "persist.prop.displaykeylock.enable=true", 116, 744},
        {1, kDisplayLock + "Null\npersist.prop.displaykeylock.enable=true", 116, 744},
        {1, kDisplayLock + "false\npersist.prop.displaykeylock.enable=true", 116, 116},
    };
    for (const Case& c : cases) {
        Group(0, {{0x40, c.code, 0, 0, 0}});
        board.Write("props", c.props);
        pdmKeyLock = c.keyLock;
        int index = 5;
        EXPECT_EQ(MapKeyValue(0, 0x40, index), c.want) << c.props << " " << c.code;
    }
}

struct Scenario {
    const char* name;
    std::vector<Key> keys;
    std::string props;
    std::string script;  // "@<ms>" sets the clock, "L<n>" the key-lock value
    std::string events;
};

const Key kPower116{0x40, 116, 142, 800, 0}, kLocked115{0x40, 115, 142, 800, 0};
const Key kMenuRepeat{0x40, 139, 358, 800, 1}, kMenuZero{0x40, 139, 358, 0, 0};
const Key kMenu80{0x80, 139, 358, 800, 0};
const std::string kOn = kDisplayLock + "true\n", kOff = kDisplayLock + "false\n";
const std::string kShutOn = kShutdown + "true\n", kWrap = "@4294967195 ";
const std::string kShort = "L1 0x40*10 255*10", kLong = "L1 0x40*84 255*10";
const std::string kLockHeld = Join({P, "744:1 744:0"});

// clang-format off
const Scenario kScenarios[] = {
    {"FourthSampleConfirms", {kVolUp, kChUp}, "", "0x40*3 0x80*3 0x40*3 0x80*4", "114:1"},
    {"UpAt40msNotBefore", {kVolUp}, "", "s5 0x40*10 255*7", "115:1"},
    {"UpAt40ms", {kVolUp}, "", "s5 0x40*10 255*8", "115:1 115:0"},
    {"HeldGap39", {kVolUp}, "", "0x40*4 +29 0x40*1", "115:1"},
    // A stalled sampler must not turn one held key into two presses.
    {"HeldGap40", {kVolUp}, "", "0x40*4 +30 0x40*1 +100 0x40*1 255*10", "115:1 115:0"},
    {"KeySwitchStep10", {kVolUp, kChUp}, "", "0x40*4 0x80*4 255*10", "115:1 115:0 114:1 114:0"},
    {"KeySwitchStep5", {kVolUp, kChUp}, "", "s5 0x40*4 0x80*4 255*10", "115:1 115:0 114:1 114:0"},
    // An immediate key still down when a long-press key takes over goes up after its 40 ms.
    {"LongKeyTakesOver", {kVolUp, kMenu80}, "", "0x40*4 0x80*60 255*10", "115:1 115:0 139:1 139:0"},
    {"ImmediateAcross2to32", {kVolUp}, "", kWrap + "0x40*10 255*4", "115:1 115:0"},
    {"ImmediateHeldAcross2to32", {kVolUp}, "", kWrap + "0x40*20 255*4", "115:1 115:0"},
    {"ImmediateHeldNoRepeat", {kVolUp}, "", "0x40*300", "115:1"},
    {"LongReleasedEarly", {kMenu}, "", "0x40*6 255*10", ""},
    {"LongReleasedAt40ms", {kMenu}, "", "0x40*7 255*10", "139:1 139:0"},
    {"LongJustShort", {kMenu}, "", "0x40*83 255*10", "139:1 139:0"},
    {"LongHeld", {kMenu}, "", "0x40*284 255*10", "358:1 358:0"},
    {"LongAcross2to32", {kMenu}, "", kWrap + "0x40*84", "358:1 358:0"},
    {"Repeat", {kMenuRepeat}, "", "0x40*244 255*10", Rep("358:1 358:0", 3)},
    {"RepeatFromSendingSample", {kMenuRepeat}, "", "s30 0x40*84", Rep("358:1 358:0", 2)},
    {"DurationZero", {kMenuZero}, "", "0x40*8 255*10", "358:1 358:0"},
    {"DurationZeroSameMs", {kMenuZero}, "", "s0 0x40*8 255*10", ""},
    {"FailedReadsShort", {kVolUp}, "", "s5 0x40*4 F*3 0x40*4 255*8", "115:1 115:0"},
    {"FailedReadsIdle", {kVolUp}, "", "0x40*4 F*4 0x40*4", "115:1 115:0 115:1"},
    // A failed read is an idle sample: it ends a press only as the fourth in a row.
    {"FailedReadKeepsPress", {kMenu}, "", "0x40*10 F*1 0x40*84", "358:1 358:0"},
    {"FailedReadsEndPress", {kMenu}, "", "0x40*10 F*4 0x40*84", "139:1 139:0 358:1 358:0"},
    // Only four samples of one slot confirm a key: a reserved position (code 0) is no idle sample.
    {"ReservedThenIdleSample", {kMenu, {0x80, 0, 0, 0, 0}}, "", "0x40*20 0x80*3 255*1 0x40*84",
     "358:1 358:0"},
    // Leaving a long-press key for another key ends its press there, before the other key's
    // events.
    {"LongSlidesToImmediate", {kMenu, kChUp}, "", "0x40*20 0x80*10 255*10",
     "139:1 139:0 114:1 114:0"},
    {"LongSlidesToLong", {kMenu, {0x80, 114, 402, 800, 0}}, "", "0x40*20 0x80*84 255*10",
     "139:1 139:0 402:1 402:0"},
    {"BounceKeepsShortPress", {kMenu}, "", "0x40*20 255*3 0x40*20 255*10", "139:1 139:0"},
    {"ReleaseAt40msFromFirstIdle", {kMenu}, "", "0x40*6 255*10 0x40*7 255*10", "139:1 139:0"},
    // Group 1 holds channel up: only the group that pressed the key down lets it go.
    {"Group1Stall", {kVolUp}, "", "255/0x80*4 +100 255/0x80*1 255/255*9", "114:1 114:0"},
    {"TwoHeld", {kVolUp}, "", "0x40*4 0x40/0x80*9 255/0x80*9 255/255*9", "115:1 115:0 114:1 114:0"},
    {"LevelsAbove8", std::vector<Key>(9, kMenu), "", "0x40*99", ""},
    // Key-lock mode, one long-press key: display lock x shutdown.
    {"LockOnShutOffShort", {kLocked115}, kOn, kShort, kLockHeld},
    {"LockOnShutOffLong", {kLocked115}, kOn, kLong, kLockHeld},
    {"LockBlip", {kLocked115}, kOn, "L1 0x40*9 F*1 0x40*9 255*9", kLockHeld},
    // The locked power click waits for the confirmed press.
    {"LockGlitchSendsNothing", {kLocked115}, kOn, "L1 0x40*3 255*10", ""},
    // In key-lock mode every key is 744; one sample in another key's window is still no press of
    // that key.
    {"LockGlitchInOtherWindow", {kVolUp, kMenu80}, kShutOn, "L1 0x40*10 0x80*1 0x40*10 255*10",
     "744:1 744:0"},
    {"LockDipToGround", {kPower116, kChUp}, kOn + kShutOn, "L1 0x80*10 3*1 0x80*10 255*10",
     "744:1 744:0"},
    // A press keeps the mode it was confirmed in; a change applies from the next press.
    {"LockOffWhileHeld", {kLocked115}, kOn, "L1 0x40*10 L0 0x40*10 255*10", kLockHeld},
    {"LockOnWhileLongHeld", {kMenu, kChUp}, "", "0x40*10 L1 0x40*10 255*10", "139:1 139:0"},
    {"LockOnWhileHeld", {kVolUp, kChUp}, "", "0x40*10 L1 0x40*10 255*10", "115:1 115:0"},
    {"LockBounce", {kLocked115}, kOn, "L1 0x40*9 255*1 0x40*9 255*9", Join({P, "744:1 744:0"})},
    {"PowerHeldAsLockComesOn", {{0x40, 116, 0, 800, 0}}, kOn, "0x40*10 L1 0x40*10 255*10",
     "116:1 116:0"},
    {"LockOnShutOnShort", {kLocked115}, kOn + kShutOn, kShort, "744:1 744:0"},
    {"LockOnShutOnLong", {kLocked115}, kOn + kShutOn, kLong, P},
    {"LockOffShutOffShort", {kPower116}, kOff, kShort, P},
    {"LockOffShutOffLong", {kPower116}, kOff, kLong, "142:1 142:0"},
    {"LockOffShutOnShort", {kPower116}, kOff + kShutOn, kShort, "744:1 744:0"},
    {"LockOffShutOnLong", {kPower116}, kOff + kShutOn, kLong, "142:1 142:0"},
    {"LockOff115ShutOff", {kLocked115}, kOff, kShort, kLockHeld},
    {"NotLocked", {kLocked115}, kOn + kShutOn, "L0 0x40*10 255*10", "115:1 115:0"},
    {"LockTwoKeysShutOnShort", {kLocked115, kChUp}, kOff + kShutOn, kShort, "115:1 115:0"},
    {"LockTwoKeysShutOnLong", {kLocked115, kChUp}, kOff + kShutOn, kLong, P},
    {"LockTwoKeysNoPowerClick", {kLocked115, kChUp}, kOn, kShort, "744:1 744:0"},
    // The shutdown setting's second property counts only when the first reads "Null".
    {"ShutdownSecond", {kPower116}, kShutdown2 + "true", kShort, "744:1 744:0"},
    {"ShutdownNullDefers", {kPower116}, kShutdown + "Null\n" + kShutdown2 + "true", kShort,
     "744:1 744:0"},
    {"ShutdownFirstWins", {kPower116}, kShutdown + "false\n" + kShutdown2 + "true", kShort, P},
};
// clang-format on

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

class ScannerScenario : public Scanner, public ::testing::WithParamInterface<Scenario> {};

TEST_P(ScannerScenario, Events) {
    const Scenario& s = GetParam();
    Group(0, s.keys);
    if (s.script.find('/') != std::string::npos) Group(1, {kChUp});
    board.Write("props", s.props);
    Play(s.script);
    EXPECT_EQ(Take(), s.events);
}

INSTANTIATE_TEST_SUITE_P(, ScannerScenario, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Scanner, KeySwitchSendsBothInOneSample) {
    Group(0, {kVolUp, kChUp});
    Play("s5 0x40*4 0x80*3");
    EXPECT_EQ(Take(), "115:1");
    Play("0x80*1");
    EXPECT_EQ(Take(), "115:0 114:1");
}

TEST_F(Scanner, IdleConfirmedAtThirdSampleFromStart) {
    Group(0, {kVolUp});
    currentKey = 115;
    Tick(2);
    EXPECT_EQ(Take(), "");
    Tick(1);
    EXPECT_EQ(Take(), "115:0");
}

TEST_F(Scanner, SettingsApplyFromTheNextPress) {
    Group(0, {kLocked115});
    KeyLock(1);
    board.Write("props", kOn);
    Play("0x40*4");
    board.Write("props", kOn + kShutdown + "true");
    Play("0x40*100 255*10");
    EXPECT_EQ(Take(), kLockHeld);
    Play("0x40*100 255*10");
    EXPECT_EQ(Take(), P);
}

TEST_F(Scanner, GroupsShareTheCurrentKey) {
    Group(0, {kVolUp});
    Group(1, {kChUp});
    Group(2, {{0x60, 113, 0, 0, 0}});
    reading[0] = 0x40;
    Tick(6);
    reading[0] = 255;
    reading[2] = 0x60;
    Tick(6);
    reading[1] = 0x80;
    Tick(6);
    reading[1] = reading[2] = 255;
    Tick(10);
    // Group 1's key, confirmed while group 2's is down, waits and is let go before its turn.
    EXPECT_EQ(RecordedEventsText(), "115:1 115:0 113:1 113:0");
}

TEST_F(Scanner, UnmappedSampleNeverTakesAnotherGroupsSlot) {
    for (uint8_t levels : {uint8_t(0), uint8_t(9)}) {
        SetUp();
        Group(0, {kVolUp});
        Group(1, {{0x80, 139, 358, 100, 0}, kMenu}, levels);
        reading[0] = 0x40;
        reading[1] = levels ? 0x80 : -1;
        Tick(50);
        EXPECT_EQ(Take(), "115:1") << int(levels);
    }
}

}  // namespace
