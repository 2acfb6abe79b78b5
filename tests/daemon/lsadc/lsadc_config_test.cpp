#include <string.h>
#include <tinyxml2.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "key_pars/key_pars.h"
#include "main/lsadc_setup.h"
#include "temp_board.h"

namespace {

std::vector<uint8_t> Words(const std::vector<uint32_t>& words) {
    std::vector<uint8_t> bytes;
    for (uint32_t word : words) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
    }
    return bytes;
}

class LsadcConfig : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { keyPadDocument.reset(); }
    static void Reset() {
        memset(keyGroups, 0, sizeof keyGroups);
        lsadcSwitchOn = 0;
        lsadcChannelMask = 0;
    }
    // Runs the set-up on a layout and a controller mask already in place; returns the log.
    std::string Run(const std::string& groups, uint32_t sdkMask) {
        Reset();
        board.WriteKeyPad("<key_pad_xml>" + groups + "</key_pad_xml>");
        board.WriteBytes("lsadc/config", Words({sdkMask, 9, 9, 9, 9, 9, 9, 9, 9, 9}));
        testing::internal::CaptureStderr();
        InitLSADCConfig();
        return testing::internal::GetCapturedStderr();
    }
    TempBoard board;
};

std::string Group(const char* enable, const char* channel) {
    return std::string("<g><enable value=\"") + enable + "\"/><channel_id value=\"" + channel +
           "\"/></g>";
}

TEST_F(LsadcConfig, MaskAndSwitchFollowTheEnabledGroups) {
    struct Case {
        const char* name;
        std::string groups;
        uint32_t sdkMask;
        uint32_t mask;
        uint8_t switchOn;
    };
    const Case cases[] = {
        {"group 1 on channel 2", Group("0", "5") + Group("1", "2") + Group("0", "7"), 0x1, 0x5, 1},
        {"disabled group on channel 255", Group("0", "ff"), 0x8, 0x8, 1},
        {"enabled group on channel 40", Group("1", "28"), 0x0, 0x0, 1},
        {"channel 31 and 32", Group("1", "1f") + Group("1", "20"), 0x0, 0x80000000, 1},
        {"every group on", Group("1", "0") + Group("2", "1") + Group("1", "3"), 0x0, 0xB, 1},
        {"nothing on", Group("0", "1") + Group("0", "fe"), 0x6, 0x6, 0},
        {"gpio first", "<gpio><enable value=\"1\"/></gpio>" + Group("1", "4"), 0x0, 0x10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Run(c.groups, c.sdkMask);
        EXPECT_EQ(c.mask, lsadcChannelMask);
        EXPECT_EQ(c.switchOn, lsadcSwitchOn);
        EXPECT_EQ(Words({c.mask, 252, 0, 1, 0, 1, 1, 255, 0, 600}),
                  board.ReadBytes("lsadc/config"));
    }
}

TEST_F(LsadcConfig, FailedCallsAroundTheSetUp) {
    struct Case {
        const char* failing;
        uint32_t mask;       // applied, when the configuration is written
        bool written;        // whether lsadc/config holds the new settings
        const char* logged;  // expected start of the log
    };
    const Case cases[] = {
        {"memset_s", 0x11, true, "D/tavrion: main memset_s failed !\n"},
        {"HI_UNF_LSADC_GetConfig", 0x10, true, "D/tavrion: fileName is"},
        {"HI_UNF_LSADC_SetConfig", 0x11, false, "D/tavrion: fileName is"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        board.Write(std::string("fail/") + c.failing, "0x80470001");
        std::string log = Run(Group("1", "4"), 0x1);
        board.Remove(std::string("fail/") + c.failing);
        EXPECT_EQ(0u, log.find(c.logged)) << log;
        EXPECT_EQ(c.mask, lsadcChannelMask);
        EXPECT_EQ(1, lsadcSwitchOn);
        std::vector<uint8_t> stored = board.ReadBytes("lsadc/config");
        EXPECT_EQ(c.written, stored == Words({c.mask, 252, 0, 1, 0, 1, 1, 255, 0, 600}));
    }
}

TEST_F(LsadcConfig, MissingLayoutKeepsTheControllersOwnMask) {
    board.Remove("cfg/atv/etc/key_pad.xml");
    board.WriteBytes("lsadc/config", Words({0x3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    testing::internal::CaptureStderr();
    InitLSADCConfig();
    EXPECT_EQ("D/tavrion: can't open the key_pad.xml\n", testing::internal::GetCapturedStderr());
    EXPECT_EQ(0x3u, lsadcChannelMask);
    EXPECT_EQ(0, lsadcSwitchOn);
    EXPECT_EQ(Words({0x3, 252, 0, 1, 0, 1, 1, 255, 0, 600}), board.ReadBytes("lsadc/config"));
}

TEST(LsadcStructConfig, CopiesEachSettingToItsWord) {
    lsadcConfig source;
    for (uint32_t i = 0; i < 10; ++i) source.field[i] = 100 + i;
    hiUNF_LSADC_Config_S dest;
    memset(&dest, 0xFF, sizeof dest);
    HiLsadcStructConfig(dest, source);
    const uint32_t expected[10] = {100, 101, 102, 103, 105, 108, 107, 106, 104, 109};
    for (int word = 0; word < 10; ++word) EXPECT_EQ(expected[word], dest.words[word]) << word;
}

}  // namespace
