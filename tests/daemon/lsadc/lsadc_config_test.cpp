#include <string.h>
#include <tinyxml2.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "key_pars/key_pars.h"
#include "main/lsadc_setup.h"
#include "temp_board.h"

namespace {

std::vector<uint8_t> Words(std::vector<uint32_t> words) {
    std::vector<uint8_t> bytes;
    for (uint32_t word : words)
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
    return bytes;
}

std::vector<uint8_t> Applied(uint32_t mask) {
    return Words({mask, 252, 0, 1, 0, 1, 1, 255, 0, 600});
}

std::string Group(const char* enable, const char* channel) {
    return std::string("<g><enable value='") + enable + "'/><channel_id value='" + channel +
           "'/></g>";
}

TEST(LsadcSetUp, MaskSwitchAndAppliedWords) {
    struct Case {
        std::string groups;
        const char* failing;  // an SDK call that fails, or ""
        uint32_t mask;
        uint8_t switchOn;
        std::vector<uint8_t> stored;  // lsadc/config afterwards
    } const cases[] = {
        {Group("0", "5") + Group("1", "2"), "", 0x5, 1, Applied(0x5)},
        {Group("0", "ff"), "", 0x1, 1, Applied(0x1)},
        {Group("1", "28") + Group("1", "1f") + Group("1", "20"), "", 0x80000001, 1,
         Applied(0x80000001)},
        {Group("0", "1") + Group("0", "fe"), "", 0x1, 0, Applied(0x1)},
        {"<gpio/><g><enable value='1'/><channel_id value='4'/></g>", "", 0x11, 1, Applied(0x11)},
        {Group("1", "4"), "HI_UNF_LSADC_GetConfig", 0x10, 1, Applied(0x10)},
        {Group("1", "4"), "memset_s", 0x11, 1, Applied(0x11)},
        {Group("1", "4"), "HI_UNF_LSADC_SetConfig", 0x11, 1, Words({1, 9, 9, 9, 9, 9, 9, 9, 9, 9})},
        {"", "hi_get_one_cfg_file", 0x1, 0, Applied(0x1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.groups + c.failing);
        TempBoard board;
        memset(keyGroups, 0, sizeof keyGroups);
        lsadcSwitchOn = 0;
        board.WriteKeyPad("<key_pad_xml>" + c.groups + "</key_pad_xml>");
        board.WriteBytes("lsadc/config", Words({1, 9, 9, 9, 9, 9, 9, 9, 9, 9}));
        if (*c.failing) board.Write(std::string("fail/") + c.failing, "1");
        testing::internal::CaptureStderr();
        InitLSADCConfig();
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(c.mask, lsadcChannelMask);
        EXPECT_EQ(c.switchOn, lsadcSwitchOn);
        EXPECT_EQ(c.stored, board.ReadBytes("lsadc/config"));
        EXPECT_EQ(strcmp(c.failing, "memset_s") == 0,
                  log.rfind("D/tavrion: main memset_s failed !\n", 0) == 0);
    }
    keyPadDocument.reset();
}

TEST(LsadcSetUp, StructConfigPutsEachSettingInItsWord) {
    lsadcConfig source;
    for (uint32_t i = 0; i < 10; ++i) source.field[i] = 100 + i;
    hiUNF_LSADC_Config_S dest;
    HiLsadcStructConfig(dest, source);
    const uint32_t expected[10] = {100, 101, 102, 103, 105, 108, 107, 106, 104, 109};
    for (int word = 0; word < 10; ++word) EXPECT_EQ(expected[word], dest.words[word]) << word;
}

}  // namespace
