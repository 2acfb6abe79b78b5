// GPIO keys driven through the simulated board's gpio/ and fail/ files, with the virtual keyboard
// replaced by a recorder.
#include "main/gpio_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "key_pars/key_pars.h"
#include "main/lsadc_setup.h"
#include "recording_uinput.h"
#include "temp_board.h"

// The GPIO calls reach the board through these link-time wrappers (see CMakeLists.txt), which
// keep the order of the calls and can fail one line's call, where fail/<function> fails all.
namespace {
std::vector<std::string> gpioCalls;
int failingDirLine = -1;
int failingReadLine = -1;
constexpr HI_S32 kLineFault = static_cast<HI_S32>(0x80470001u);
}  // namespace

extern "C" {
HI_S32 __real_HI_UNF_GPIO_Init(HI_VOID);
HI_S32 __real_HI_UNF_GPIO_DeInit(HI_VOID);
HI_S32 __real_HI_UNF_GPIO_SetDirBit(HI_U32 gpioNo, HI_BOOL input);
HI_S32 __real_HI_UNF_GPIO_ReadBit(HI_U32 gpioNo, HI_BOOL* level);

HI_S32 __wrap_HI_UNF_GPIO_Init(HI_VOID) {
    gpioCalls.push_back("Init");
    return __real_HI_UNF_GPIO_Init();
}
HI_S32 __wrap_HI_UNF_GPIO_DeInit(HI_VOID) {
    gpioCalls.push_back("DeInit");
    return __real_HI_UNF_GPIO_DeInit();
}
HI_S32 __wrap_HI_UNF_GPIO_SetDirBit(HI_U32 gpioNo, HI_BOOL input) {
    gpioCalls.push_back("Dir" + std::to_string(gpioNo) + (input == HI_TRUE ? "" : "out"));
    if (static_cast<int>(gpioNo) == failingDirLine) return kLineFault;
    return __real_HI_UNF_GPIO_SetDirBit(gpioNo, input);
}
HI_S32 __wrap_HI_UNF_GPIO_ReadBit(HI_U32 gpioNo, HI_BOOL* level) {
    gpioCalls.push_back("Read" + std::to_string(gpioNo));
    if (static_cast<int>(gpioNo) == failingReadLine) return kLineFault;
    return __real_HI_UNF_GPIO_ReadBit(gpioNo, level);
}
}

namespace {

std::string Calls() {
    std::string text;
    for (const std::string& call : gpioCalls) text += (text.empty() ? "" : " ") + call;
    gpioCalls.clear();
    return text;
}

// The globals as the program image provides them, taken before any test has run a pass (constant
// initialisation precedes every dynamic initialiser).
struct StartState {
    uint8_t ready = gpioReady;
    std::vector<int> lastLevel{gpioLastLevel, gpioLastLevel + 8};
    std::vector<uint32_t> changeCount{gpioChangeCount, gpioChangeCount + 8};
};
const StartState kStart;

struct Line {
    int group;
    int pin;
    unsigned int code;
};

// Four keys on lines 3, 8, 21 and 47, so that group and pin both matter.
const Line kLines[4] = {{0, 3, 116}, {1, 0, 115}, {2, 5, 114}, {5, 7, 139}};

std::string GpioLayout(const char* enable, int keyLevelNum, int keys) {
    std::string xml = "<key_pad_xml><gpio>";
    xml += std::string("<enable value=\"") + enable + "\"/>";
    xml += "<KeyLevelNum value=\"" + std::to_string(keyLevelNum) + "\"/>";
    for (int n = 0; n < keys; ++n) {
        const Line& l = kLines[n % 4];
        xml += "<key_pad GroupNum=\"" + std::to_string(l.group + n / 4 * 6) + "\" PinNum=\"" +
               std::to_string(l.pin) + "\" KeyCode=\"" + std::to_string(l.code) + "\"/>";
    }
    return xml + "</gpio></key_pad_xml>";
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class GpioKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The globals live for the whole process; every test starts from the program's start.
        gpioReady = 0;
        for (int n = 0; n < 8; ++n) {
            gpioLastLevel[n] = n == 0 ? HI_TRUE : HI_FALSE;
            gpioChangeCount[n] = 0;
        }
        gpioKeys = GpioKeyArry{};
        lsadcSwitchOn = 0;
        ClearRecordedEvents();
        gpioCalls.clear();
        failingDirLine = -1;
        failingReadLine = -1;
    }

    std::string Init() {
        ::testing::internal::CaptureStderr();
        GpioPowerInit();
        return ::testing::internal::GetCapturedStderr();
    }

    // One pass with the first levels.size() keys at the given levels ('0' pressed, '1' idle);
    // returns the log.
    std::string Pass(const std::string& levels) {
        for (size_t n = 0; n < levels.size(); ++n) {
            SetLine(kLines[n], levels[n]);
        }
        ::testing::internal::CaptureStderr();
        DoGpioPowerOpt();
        return ::testing::internal::GetCapturedStderr();
    }

    void SetLine(const Line& l, char level) {
        board_.Write("gpio/" + std::to_string(l.group * 8 + l.pin), std::string(1, level));
    }

    TempBoard board_;
};

TEST_F(GpioKeysTest, ProgramStartsWithKeyZeroReleasedAndTheOthersPressed) {
    EXPECT_EQ(kStart.ready, 0);
    EXPECT_EQ(kStart.lastLevel, (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(kStart.changeCount, std::vector<uint32_t>(8, 0));
}

// Each message is one debug line under the daemon's tag.
const char kEnter[] = "D/tavrion: tavrion: ENTER GpioPowerInit";
const char kBoth[] =
    "D/tavrion: Both LSADC and GPIO switches are on, please check the configuration!";
const char kInitErr[] = "D/tavrion: HiGpioInit err, 0x80470001 !";
const char kDirErr[] = "D/tavrion: HiGpioSetDirection err, 0x80470001 !";

struct InitCase {
    const char* name;
    std::string layout;
    uint8_t lsadcOn;
    const char* failing;  // SDK call whose fail/ file holds 0x80470001, or ""
    int failingDir;       // line whose direction call fails, or -1
    uint8_t readyBefore;
    std::string calls;  // GPIO calls made, in order
    uint8_t readyAfter;
    std::vector<const char*> logged;  // of the four messages above, these and in this order
};

// Test names only, instead of the records' bytes.
void PrintTo(const InitCase& c, std::ostream* os) { *os << c.name; }

class GpioInitTest : public GpioKeysTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(GpioInitTest, SetsUpTheLines) {
    const InitCase& c = GetParam();
    if (!c.layout.empty()) board_.WriteKeyPad(c.layout);
    if (*c.failing) board_.Write(std::string("fail/") + c.failing, "0x80470001");
    failingDirLine = c.failingDir;
    lsadcSwitchOn = c.lsadcOn;
    gpioReady = c.readyBefore;

    std::string log = Init();

    EXPECT_EQ(Calls(), c.calls);
    EXPECT_EQ(gpioReady, c.readyAfter) << log;
    size_t at = 0;
    for (const char* line : c.logged) {
        size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << line << "\n" << log;
        at = found;
    }
    for (const char* line : {kEnter, kBoth, kInitErr, kDirErr}) {
        bool expected = std::find(c.logged.begin(), c.logged.end(), line) != c.logged.end();
        EXPECT_EQ(Count(log, line), expected ? 1 : 0) << line << "\n" << log;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GpioInitTest,
    ::testing::Values(
        InitCase{"EnableZero", GpioLayout("0", 2, 2), 1, "", -1, 0, "", 0, {}},
        InitCase{"NoLayoutFile", "", 1, "", -1, 0, "", 0, {}},
        InitCase{"TwoKeys", GpioLayout("1", 2, 2), 0, "", -1, 0, "Init Dir3 Dir8", 1, {kEnter}},
        InitCase{"AdcKeysOnToo",
                 GpioLayout("1", 2, 2),
                 1,
                 "",
                 -1,
                 0,
                 "Init Dir3 Dir8",
                 1,
                 {kBoth, kEnter}},
        InitCase{"KeyLevelNumZero", GpioLayout("1", 0, 0), 0, "", -1, 0, "Init", 1, {kEnter}},
        InitCase{"KeyLevelNumEight",
                 GpioLayout("1", 8, 8),
                 0,
                 "",
                 -1,
                 0,
                 "Init Dir3 Dir8 Dir21 Dir47 Dir51 Dir56 Dir69 Dir95",
                 1,
                 {kEnter}},
        // Above eight keys nothing is set up and nothing is said; the driver stays started.
        InitCase{"KeyLevelNumNine", GpioLayout("1", 9, 9), 0, "", -1, 0, "Init", 0, {kEnter}},
        InitCase{"DriverFails",
                 GpioLayout("1", 2, 2),
                 1,
                 "HI_UNF_GPIO_Init",
                 -1,
                 0,
                 "Init",
                 0,
                 {kBoth, kEnter, kInitErr}},
        InitCase{"DirectionFailsOnFirstLine",
                 GpioLayout("1", 4, 4),
                 0,
                 "HI_UNF_GPIO_SetDirBit",
                 -1,
                 0,
                 "Init Dir3 DeInit",
                 0,
                 {kEnter, kDirErr}},
        InitCase{"DirectionFailsOnThirdLine",
                 GpioLayout("1", 4, 4),
                 0,
                 "",
                 21,
                 0,
                 "Init Dir3 Dir8 Dir21 DeInit",
                 0,
                 {kEnter, kDirErr}},
        // The release of the driver is not checked: the keys stay off all the same.
        InitCase{"DirectionAndReleaseFail",
                 GpioLayout("1", 2, 2),
                 0,
                 "HI_UNF_GPIO_DeInit",
                 8,
                 0,
                 "Init Dir3 Dir8 DeInit",
                 0,
                 {kEnter, kDirErr}},
        InitCase{"AlreadyReady", GpioLayout("1", 2, 2), 0, "", -1, 1, "", 1, {kEnter}}),
    [](const ::testing::TestParamInfo<InitCase>& info) { return std::string(info.param.name); });

// Without a usable key count a pass reads no line at all.
TEST_F(GpioKeysTest, PassReadsNothingWithoutAUsableKeyCount) {
    for (uint8_t count : {0, 9, 255}) {
        gpioKeys.KeyLevelNum = count;
        Pass("");
        EXPECT_EQ(Calls(), "") << int(count);
    }
    EXPECT_EQ(RecordedEventsText(), "");
}

// A failed read ends the pass: the keys before it are handled, the ones after wait for a later
// pass, which starts again at key 0.
TEST_F(GpioKeysTest, ReadFailureOnKeyTwoOfFour) {
    board_.WriteKeyPad(GpioLayout("1", 4, 4));
    Init();
    ASSERT_EQ(gpioReady, 1);
    gpioCalls.clear();
    failingReadLine = 21;
    for (int pass = 1; pass <= 4; ++pass) {
        std::string log = Pass("0111");
        EXPECT_EQ(Calls(), "Read3 Read8 Read21") << pass;
        EXPECT_EQ(Count(log, "D/tavrion: call HiGpioRead fail , read value error(0x80470001)"), 1)
            << log;
    }
    EXPECT_EQ(RecordedEventsText(), "116:1 115:0");

    failingReadLine = -1;
    ClearRecordedEvents();
    for (int pass = 5; pass <= 7; ++pass) {
        std::string log = Pass("0111");
        EXPECT_EQ(Calls(), "Read3 Read8 Read21 Read47") << pass;
        EXPECT_EQ(log.find("HiGpioRead"), std::string::npos) << log;
    }
    EXPECT_EQ(RecordedEventsText(), "");
    Pass("0111");
    EXPECT_EQ(RecordedEventsText(), "114:0 139:0");
}

// A script is one pass per entry: the levels of the configured keys ('0' pressed, '1' idle),
// then, after '>', the events that pass sends ("code:value" separated by blanks).
struct ScriptCase {
    const char* name;
    int keys;
    std::vector<std::string> passes;
};

void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }

class GpioScriptTest : public GpioKeysTest, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(GpioScriptTest, SendsTheExpectedEvents) {
    const ScriptCase& c = GetParam();
    board_.WriteKeyPad(GpioLayout("1", c.keys, c.keys));
    Init();
    ASSERT_EQ(gpioReady, 1);

    for (size_t i = 0; i < c.passes.size(); ++i) {
        size_t cut = c.passes[i].find('>');
        std::string expected = cut == std::string::npos ? "" : c.passes[i].substr(cut + 1);
        ClearRecordedEvents();
        std::string log = Pass(c.passes[i].substr(0, cut));
        EXPECT_EQ(RecordedEventsText(), expected) << "pass " << i + 1;
        // Every event, press or release, is announced with its code in hex.
        std::string announced;
        for (const RecordedEvent& e : RecordedEvents()) {
            char text[40];
            snprintf(text, sizeof text, "D/tavrion: press gpio keycod(%x).", e.code);
            announced += text;
        }
        std::string said;
        for (size_t at = log.find("D/tavrion: press gpio"); at != std::string::npos;
             at = log.find("D/tavrion: press gpio", at + 1)) {
            said += log.substr(at, log.find('.', at) + 1 - at);
        }
        EXPECT_EQ(said, announced) << "pass " << i + 1 << "\n" << log;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GpioScriptTest,
    ::testing::Values(
        ScriptCase{
            "KeyZeroHeldAtStartUp", 1, {"0", "0", "0", "0>116:1", "0", "1", "1", "1", "1>116:0"}},
        // Keys 1 to 3 start recorded as pressed, so their idle lines are reported as releases.
        ScriptCase{
            "IdleKeysAtStartUp", 4, {"1111", "1111", "1111", "1111>115:0 114:0 139:0", "1111"}},
        // Three passes are not enough, and the pass that reads idle again starts the count anew.
        ScriptCase{"PressShorterThanFourPasses", 1, {"0", "0", "0", "1", "0", "0", "0", "0>116:1"}},
        // Key 1 is examined while key 0 sits idle, and both are examined in every pass.
        ScriptCase{
            "TwoKeys",
            2,
            {"11", "11", "11", "11>115:0", "11", "10", "10", "00", "00>115:1", "00", "01>116:1"}},
        // A change needs four passes even right after an event, so a bounce there sends nothing.
        ScriptCase{"LevelFlipsBackRightAfterItsEvent",
                   1,
                   {"0", "0", "0", "0>116:1", "1", "1", "1", "1>116:0", "0", "1"}}),
    [](const ::testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });

}  // namespace
