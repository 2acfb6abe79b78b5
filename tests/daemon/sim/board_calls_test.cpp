#include <string.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "sdk/hi_sdk_api.h"
#include "temp_board.h"

namespace {

TEST(BoardCalls, FailFileMakesEveryCallReturnItsCodeAndDoNothingElse) {
    static HI_U32 value;
    static HI_BOOL level;
    static hiUNF_LSADC_Config_S config;
    static HI_UNF_PMOC_WAKEUP_CONDITION_S wake;
    static char bytes[132] = "kept";
    const std::pair<const char*, std::function<int32_t()>> calls[] = {
        {"HI_UNF_GPIO_Init", [] { return HI_UNF_GPIO_Init(); }},
        {"HI_UNF_GPIO_DeInit", [] { return HI_UNF_GPIO_DeInit(); }},
        {"HI_UNF_GPIO_SetDirBit", [] { return HI_UNF_GPIO_SetDirBit(3, HI_TRUE); }},
        {"HI_UNF_GPIO_ReadBit", [] { return HI_UNF_GPIO_ReadBit(3, &level); }},
        {"HI_UNF_LSADC_Init", [] { return HI_UNF_LSADC_Init(); }},
        {"HI_UNF_LSADC_GetConfig", [] { return HI_UNF_LSADC_GetConfig(&config); }},
        {"HI_UNF_LSADC_SetConfig", [] { return HI_UNF_LSADC_SetConfig(&config); }},
        {"HI_UNF_LSADC_GetValue", [] { return HI_UNF_LSADC_GetValue(0, &value); }},
        {"HI_UNF_PMOC_Init", [] { return HI_UNF_PMOC_Init(); }},
        {"hi_unf_pmoc_get_wakeup_condition",
         [] { return hi_unf_pmoc_get_wakeup_condition(6, &wake); }},
        {"hi_unf_pmoc_set_wakeup_condition",
         [] { return hi_unf_pmoc_set_wakeup_condition(6, wake); }},
        {"HI_UNF_PDM_GetDevInfo", [] { return HI_UNF_PDM_GetDevInfo(17, bytes, 132); }},
        {"HI_UNF_PDM_SetDevInfo", [] { return HI_UNF_PDM_SetDevInfo(17, bytes, 132); }},
        {"memset_s", [] { return memset_s(bytes, 132, 0, 132); }},
        {"strncpy_s", [] { return strncpy_s(bytes, 132, "x", 1); }},
    };
    TempBoard board;
    board.Write("lsadc/0", "7");
    for (const auto& [name, call] : calls) {
        board.Write(std::string("fail/") + name, "0x80470001\n");
        EXPECT_EQ(static_cast<int32_t>(0x80470001u), call()) << name;
        board.Write(std::string("fail/") + name, "-5");
        EXPECT_EQ(-5, call()) << name;
        board.Remove(std::string("fail/") + name);
    }
    EXPECT_FALSE(board.Exists("lsadc/config") || board.Exists("pmoc/6") || board.Exists("pdm/17"));
    EXPECT_EQ(0u, value);
    EXPECT_STREQ("kept", bytes);

    board.WriteKeyPad("<key_pad_xml/>");
    char path[HI_CUST_PATH_BUFFER_SIZE] = {};
    EXPECT_EQ(path, hi_get_one_cfg_file("atv/etc/key_pad.xml", CUST_TYPE_CONFIG, path));
    board.Write("fail/hi_get_one_cfg_file", "1");
    EXPECT_EQ(nullptr, hi_get_one_cfg_file("atv/etc/key_pad.xml", CUST_TYPE_CONFIG, path));
}

TEST(BoardCalls, AbsentFilesReadAsTheIdleBoard) {
    TempBoard board;
    HI_U32 reading = 0;
    HI_BOOL level = HI_FALSE;
    EXPECT_EQ(0, HI_UNF_LSADC_GetValue(2, &reading));
    EXPECT_EQ(0, HI_UNF_GPIO_ReadBit(13, &level));
    EXPECT_EQ(255u, reading);
    EXPECT_EQ(HI_TRUE, level);
    board.Write("lsadc/2", "0x2A\n");
    board.Write("gpio/13", "0\n");
    EXPECT_EQ(0, HI_UNF_LSADC_GetValue(2, &reading));
    EXPECT_EQ(0, HI_UNF_GPIO_ReadBit(13, &level));
    EXPECT_EQ(42u, reading);
    EXPECT_EQ(HI_FALSE, level);

    board.WriteBytes("pdm/17", {1, 2});
    std::vector<uint8_t> record(132, 0xEE);
    EXPECT_EQ(0, HI_UNF_PDM_GetDevInfo(17, record.data(), 132));
    std::vector<uint8_t> expected(132, 0);
    expected[0] = 1;
    expected[1] = 2;
    EXPECT_EQ(expected, record) << "zero-filled beyond the file";

    char path[HI_CUST_PATH_BUFFER_SIZE + 1] = {};
    EXPECT_EQ(nullptr, hi_get_one_cfg_file("atv/etc/key_pad.xml", CUST_TYPE_CONFIG, path));
    std::string longName(HI_CUST_PATH_BUFFER_SIZE - board.root().size() - 5, 'n');
    board.Write("cfg/" + longName, "x");
    EXPECT_EQ(nullptr, hi_get_one_cfg_file(longName.c_str(), CUST_TYPE_CONFIG, path));
    EXPECT_EQ('\0', path[HI_CUST_PATH_BUFFER_SIZE]) << "a path that does not fit is refused";
}

}  // namespace
