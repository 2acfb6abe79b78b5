#include <string.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "sdk/hi_sdk_api.h"
#include "temp_board.h"

namespace {

constexpr int32_t kFailCode = static_cast<int32_t>(0x80470001u);

struct FailCase {
    const char* function;
    std::function<int32_t(const TempBoard&)> call;
    // What the call would have changed on the board had it run; must stay absent.
    const char* untouchedFile;
};

std::vector<FailCase> FailCases() {
    static HI_U32 value;
    static HI_BOOL level;
    static hiUNF_LSADC_Config_S config;
    static HI_UNF_PMOC_WAKEUP_CONDITION_S condition;
    static uint8_t record[132];
    return {
        {"HI_UNF_GPIO_Init", [](const TempBoard&) { return HI_UNF_GPIO_Init(); }, nullptr},
        {"HI_UNF_GPIO_DeInit", [](const TempBoard&) { return HI_UNF_GPIO_DeInit(); }, nullptr},
        {"HI_UNF_GPIO_SetDirBit",
         [](const TempBoard&) { return HI_UNF_GPIO_SetDirBit(3, HI_TRUE); }, nullptr},
        {"HI_UNF_GPIO_ReadBit", [](const TempBoard&) { return HI_UNF_GPIO_ReadBit(3, &level); },
         nullptr},
        {"HI_UNF_LSADC_Init",
         [](const TempBoard&) {
             int32_t fd = HI_UNF_LSADC_Init();
             if (fd >= 0) close(fd);
             return fd >= 0 ? 0 : fd;
         },
         nullptr},
        {"HI_UNF_LSADC_GetConfig", [](const TempBoard&) { return HI_UNF_LSADC_GetConfig(&config); },
         nullptr},
        {"HI_UNF_LSADC_SetConfig", [](const TempBoard&) { return HI_UNF_LSADC_SetConfig(&config); },
         "lsadc/config"},
        {"HI_UNF_LSADC_GetValue", [](const TempBoard&) { return HI_UNF_LSADC_GetValue(0, &value); },
         nullptr},
        {"HI_UNF_PMOC_Init", [](const TempBoard&) { return HI_UNF_PMOC_Init(); }, nullptr},
        {"hi_unf_pmoc_get_wakeup_condition",
         [](const TempBoard&) { return hi_unf_pmoc_get_wakeup_condition(6, &condition); }, nullptr},
        {"hi_unf_pmoc_set_wakeup_condition",
         [](const TempBoard&) { return hi_unf_pmoc_set_wakeup_condition(6, condition); }, "pmoc/6"},
        {"HI_UNF_PDM_GetDevInfo",
         [](const TempBoard&) { return HI_UNF_PDM_GetDevInfo(17, record, 132); }, nullptr},
        {"HI_UNF_PDM_SetDevInfo",
         [](const TempBoard&) { return HI_UNF_PDM_SetDevInfo(17, record, 132); }, "pdm/17"},
        {"memset_s",
         [](const TempBoard&) { return static_cast<int32_t>(memset_s(record, 132, 0, 132)); },
         nullptr},
        {"strncpy_s",
         [](const TempBoard&) {
             return static_cast<int32_t>(strncpy_s(reinterpret_cast<char*>(record), 132, "x", 1));
         },
         nullptr},
    };
}

TEST(BoardCalls, FailFileMakesEveryCallReturnItsCodeAndDoNothingElse) {
    for (const FailCase& c : FailCases()) {
        SCOPED_TRACE(c.function);
        TempBoard board;
        EXPECT_EQ(0, c.call(board));
        board.Remove(c.untouchedFile ? c.untouchedFile : "none");
        board.Write(std::string("fail/") + c.function, "0x80470001\n");
        EXPECT_EQ(kFailCode, c.call(board));
        if (c.untouchedFile) {
            EXPECT_FALSE(board.Exists(c.untouchedFile));
        }
        board.Write(std::string("fail/") + c.function, "-5");
        EXPECT_EQ(-5, c.call(board));
        board.Remove(std::string("fail/") + c.function);
        EXPECT_EQ(0, c.call(board)) << "works again once the file is gone";
    }
}

TEST(BoardCalls, FailedCallsLeaveCallerMemoryAlone) {
    TempBoard board;
    board.Write("lsadc/4", "20");
    board.Write("fail/HI_UNF_LSADC_GetValue", "0x80470001");
    board.Write("fail/memset_s", "1");
    board.Write("fail/strncpy_s", "1");
    HI_U32 value = 77;
    char text[8] = "abc";
    EXPECT_EQ(kFailCode, HI_UNF_LSADC_GetValue(4, &value));
    EXPECT_EQ(77u, value);
    EXPECT_EQ(1, memset_s(text, sizeof text, 'z', 3));
    EXPECT_EQ(1, strncpy_s(text, sizeof text, "xyz", 3));
    EXPECT_STREQ("abc", text);
}

TEST(BoardCalls, ConfigLookupAnswersOnlyForFilesThatFitTheBuffer) {
    TempBoard board;
    char buffer[HI_CUST_PATH_BUFFER_SIZE] = {};
    EXPECT_EQ(nullptr, hi_get_one_cfg_file("atv/etc/key_pad.xml", CUST_TYPE_CONFIG, buffer));
    board.WriteKeyPad("<key_pad_xml/>");
    char* path = hi_get_one_cfg_file("atv/etc/key_pad.xml", CUST_TYPE_CONFIG, buffer);
    ASSERT_EQ(buffer, path);
    EXPECT_EQ(board.root() + "/cfg/atv/etc/key_pad.xml", std::string(path));

    std::string longName(HI_CUST_PATH_BUFFER_SIZE - board.root().size() - 5, 'n');
    board.Write("cfg/" + longName, "x");
    char guarded[HI_CUST_PATH_BUFFER_SIZE + 1] = {};
    EXPECT_EQ(nullptr, hi_get_one_cfg_file(longName.c_str(), CUST_TYPE_CONFIG, guarded));
    EXPECT_EQ('\0', guarded[HI_CUST_PATH_BUFFER_SIZE]);

    board.Write("fail/hi_get_one_cfg_file", "1");
    EXPECT_EQ(nullptr, hi_get_one_cfg_file("atv/etc/key_pad.xml", CUST_TYPE_CONFIG, buffer));
}

TEST(BoardCalls, ReadingsAndLevelsWithTheirDefaults) {
    struct Case {
        const char* content;  // nullptr: no file
        HI_U32 reading;
        HI_BOOL level;
    };
    const Case cases[] = {
        {nullptr, 255, HI_TRUE}, {"0", 0, HI_FALSE},      {"1\n", 1, HI_TRUE},
        {"40", 40, HI_TRUE},     {"0x2A\n", 42, HI_TRUE}, {"junk", 255, HI_TRUE},
    };
    TempBoard board;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content ? c.content : "(absent)");
        board.Remove("lsadc/2");
        board.Remove("gpio/13");
        if (c.content) {
            board.Write("lsadc/2", c.content);
            board.Write("gpio/13", c.content);
        }
        HI_U32 reading = 0;
        HI_BOOL level = HI_FALSE;
        EXPECT_EQ(0, HI_UNF_LSADC_GetValue(2, &reading));
        EXPECT_EQ(c.reading, reading);
        EXPECT_EQ(0, HI_UNF_GPIO_ReadBit(13, &level));
        EXPECT_EQ(c.level, level);
    }
}

TEST(BoardCalls, RecordsAreRawBytesZeroFilledBeyondTheFile) {
    TempBoard board;
    uint8_t record[132];
    memset(record, 0xEE, sizeof record);
    EXPECT_EQ(0, HI_UNF_PDM_GetDevInfo(17, record, sizeof record));
    EXPECT_EQ(std::vector<uint8_t>(132, 0), std::vector<uint8_t>(record, record + 132));

    board.WriteBytes("pdm/34", {1, 0});
    uint32_t keyLock = 0xFFFFFFFF;
    EXPECT_EQ(0, HI_UNF_PDM_GetDevInfo(34, &keyLock, 4));
    EXPECT_EQ(1u, keyLock);

    for (size_t i = 0; i < sizeof record; ++i) record[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(0, HI_UNF_PDM_SetDevInfo(17, record, sizeof record));
    EXPECT_EQ(std::vector<uint8_t>(record, record + 132), board.ReadBytes("pdm/17"));

    HI_UNF_PMOC_WAKEUP_CONDITION_S condition;
    memset(&condition, 0xEE, sizeof condition);
    EXPECT_EQ(0, hi_unf_pmoc_get_wakeup_condition(6, &condition));
    EXPECT_EQ(0u, condition.channelMask);
    condition.channelMask = 0x01020304;
    EXPECT_EQ(0, hi_unf_pmoc_set_wakeup_condition(6, condition));
    std::vector<uint8_t> stored = board.ReadBytes("pmoc/6");
    ASSERT_EQ(68u, stored.size());
    EXPECT_EQ((std::vector<uint8_t>{4, 3, 2, 1}), std::vector<uint8_t>(&stored[4], &stored[8]));
}

TEST(BoardCalls, BoundedHelpersNeverWritePastTheDestination) {
    TempBoard board;
    char text[6] = "-----";
    EXPECT_EQ(0, strncpy_s(text, sizeof text, "abcdefgh", 3));
    EXPECT_STREQ("abc", text);
    EXPECT_NE(0, strncpy_s(text, 4, "abcdefgh", 8));
    EXPECT_STREQ("", text);
    EXPECT_EQ('-', text[4]) << "nothing written past destMax";
    uint8_t bytes[8] = {};
    EXPECT_NE(0, memset_s(bytes, 4, 0x55, 8));
    EXPECT_EQ(0x55, bytes[3]);
    EXPECT_EQ(0, bytes[4]);
}

}  // namespace
