#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "key_pars/key_pars.h"
#include "main/lsadc_setup.h"
#include "temp_board.h"

namespace {

void PutWord(std::vector<uint8_t>& bytes, size_t at, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(word >> (8 * i));
}

// Wake-up records as the chip stores them, with every byte outside the daemon's fields set to
// a pattern that must survive.
struct Pair {
    int low;
    uint8_t threshold;
};
std::vector<uint8_t> Pmoc(uint32_t mask, const std::vector<Pair>& pairs) {
    std::vector<uint8_t> bytes(68);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0xC0 + i);
    PutWord(bytes, 4, mask);
    for (size_t i = 0; i < 4; ++i) {
        Pair pair = i < pairs.size() ? pairs[i] : Pair{0, 0};
        bytes[8 + 2 * i] = static_cast<uint8_t>(pair.low);
        bytes[9 + 2 * i] = pair.threshold;
    }
    return bytes;
}
std::vector<uint8_t> Pdm(uint32_t mask, const std::vector<Pair>& pairs) {
    std::vector<uint8_t> bytes(132);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0x40 + i);
    PutWord(bytes, 64, mask);
    for (size_t i = 0; i < 4; ++i) {
        Pair pair = i < pairs.size() ? pairs[i] : Pair{0, 0};
        PutWord(bytes, 68 + 8 * i, static_cast<uint32_t>(pair.low));
        PutWord(bytes, 72 + 8 * i, pair.threshold);
    }
    return bytes;
}

TEST(PowerKeyValues, CollectsPowerKeysInGroupOrderUpToLen) {
    memset(keyGroups, 0, sizeof keyGroups);
    uint8_t values[12] = {};
    EXPECT_EQ(0, GetKeyPadPowerValue(nullptr, 8));

    // Group 0: one key that is not a power key; group 1: too many keys; group 2: several.
    keyGroups[0] = KeyArry{};
    keyGroups[0].enable = 1;
    keyGroups[0].KeyLevelNum = 1;
    keyGroups[0].KeyThreshold[0] = 0x21;
    keyGroups[0].KeyCode[0] = 114;
    keyGroups[1].enable = 1;
    keyGroups[1].KeyLevelNum = 9;
    keyGroups[1].KeyCode[0] = 116;
    keyGroups[1].KeyThreshold[0] = 0x99;
    keyGroups[2].enable = 1;
    keyGroups[2].KeyLevelNum = 4;
    const uint32_t codes[4][2] = {{116, 0}, {115, 116}, {114, 115}, {116, 116}};
    for (int k = 0; k < 4; ++k) {
        keyGroups[2].KeyCode[k] = codes[k][0];
        keyGroups[2].LongKeyCode[k] = codes[k][1];
        keyGroups[2].KeyThreshold[k] = static_cast<uint8_t>(0x30 + k);
    }
    keyGroups[2].KeyCode[4] = 116;  // beyond KeyLevelNum

    testing::internal::CaptureStderr();
    EXPECT_EQ(4, GetKeyPadPowerValue(values, sizeof values));
    EXPECT_EQ("D/tavrion: Keypad only one key!\n", testing::internal::GetCapturedStderr());
    EXPECT_EQ((std::vector<uint8_t>{0x21, 0x30, 0x31, 0x33, 0}),
              std::vector<uint8_t>(values, values + 5));

    keyGroups[0].enable = 0;
    keyGroups[1].KeyLevelNum = 8;
    for (int k = 0; k < 8; ++k) keyGroups[1].KeyThreshold[k] = static_cast<uint8_t>(0x10 + k);
    for (int k = 0; k < 8; ++k) keyGroups[1].LongKeyCode[k] = 116;
    memset(values, 0, sizeof values);
    EXPECT_EQ(8, GetKeyPadPowerValue(values, 8)) << "nine power keys, room for eight";
    EXPECT_EQ(0x17, values[7]);
    EXPECT_EQ(0, values[8]);
    memset(keyGroups, 0, sizeof keyGroups);
}

class WakeUp : public testing::Test {
protected:
    std::string Set(const std::vector<uint8_t>& entries, uint32_t mask) {
        uint8_t values[8] = {};
        for (size_t i = 0; i < entries.size(); ++i) values[i] = entries[i];
        testing::internal::CaptureStderr();
        HiLsadcPowerKeySet(values, mask);
        return testing::internal::GetCapturedStderr();
    }
    ino_t Inode(const char* relative) const {
        struct stat info = {};
        stat((board.root() + "/" + relative).c_str(), &info);
        return info.st_ino;
    }
    TempBoard board;
};

const std::string kPmocChanged = "D/tavrion: HiLsadcPmocPowerKeySet, changed !\n";
const std::string kPdmChanged = "D/tavrion: updatePdmPowerKey, changed !\n";
const std::string kPmocOk = "D/tavrion: HiLsadcPmocPowerKeySet ret, 00000000 !\n";
const std::string kPdmOk = "D/tavrion: HiLsadcPdmPowerKeySet ret, 00000000 !\n";

TEST_F(WakeUp, RecordsAreRewrittenOnlyWhereTheyDiffer) {
    struct Case {
        const char* name;
        uint32_t storedMask;
        std::vector<Pair> stored;  // the same pairs in both records (PDM lower values signed)
        std::vector<uint8_t> values;
        uint32_t mask;
        std::vector<Pair> pmoc;  // expected afterwards
        std::vector<Pair> pdm;
    };
    const Case cases[] = {
        {"unchanged", 0x5, {{0x20, 0x30}, {4, 4}}, {0x30, 4}, 0x5, {}, {}},
        {"new thresholds",
         0x0,
         {},
         {4, 5, 0, 20},
         0x1,
         {{4, 4}, {245, 5}, {0, 0}, {4, 20}},
         {{4, 4}, {-11, 5}, {0, 0}, {4, 20}}},
        {"fewer keys than before",
         0x1,
         {{0x20, 0x30}, {0x30, 0x40}, {0x40, 0x50}},
         {0x31},
         0x1,
         {{0x21, 0x31}, {0x30, 0x40}, {0x40, 0x50}},
         {{0x21, 0x31}, {0x30, 0x40}, {0x40, 0x50}}},
        {"new mask, same thresholds",
         0x1,
         {{0x20, 0x30}, {9, 0x40}},
         {0x30, 0x40},
         0x3,
         {{0x20, 0x30}, {0x30, 0x40}},
         {{0x20, 0x30}, {0x30, 0x40}}},
        {"threshold 0 is no key", 0x0, {{1, 2}}, {0, 0, 0, 0, 0x50}, 0x0, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Pair> pdmStored = c.stored;
        for (Pair& pair : pdmStored) pair.low = static_cast<int8_t>(pair.low);
        board.WriteBytes("pmoc/6", Pmoc(c.storedMask, c.stored));
        board.WriteBytes("pdm/17", Pdm(c.storedMask, pdmStored));
        ino_t pmocInode = Inode("pmoc/6");
        ino_t pdmInode = Inode("pdm/17");
        std::string log = Set(c.values, c.mask);
        if (c.pmoc.empty()) {
            EXPECT_EQ(kPmocOk + kPdmOk, log);
            EXPECT_EQ(pmocInode, Inode("pmoc/6")) << "nothing written";
            EXPECT_EQ(pdmInode, Inode("pdm/17")) << "nothing written";
        } else {
            EXPECT_EQ(kPmocChanged + kPmocOk + kPdmChanged + kPdmOk, log);
            EXPECT_EQ(Pmoc(c.mask, c.pmoc), board.ReadBytes("pmoc/6"));
            EXPECT_EQ(Pdm(c.mask, c.pdm), board.ReadBytes("pdm/17"));
        }
    }
}

TEST_F(WakeUp, FailuresAtEachCall) {
    struct Case {
        const char* failing;
        std::string log;
        bool pmocWritten;
        bool pdmWritten;
    };
    const Case cases[] = {
        {"HI_UNF_PMOC_Init",
         "D/tavrion: HI_UNF_PMOC_Init err, 0x80470001 !\n"
         "D/tavrion: HiLsadcPmocPowerKeySet ret, 80470001 !\n" +
             kPdmChanged + kPdmOk,
         false, true},
        {"hi_unf_pmoc_get_wakeup_condition",
         "D/tavrion: pmoc_get_wakeup_condition lsadc power key err, 0x80470001 !\n"
         "D/tavrion: HiLsadcPmocPowerKeySet ret, 80470001 !\n" +
             kPdmChanged + kPdmOk,
         false, true},
        {"hi_unf_pmoc_set_wakeup_condition",
         kPmocChanged + "D/tavrion: pmoc_set_wakeup_condition lsadc power key err, 0x80470001 !\n" +
             kPmocOk + kPdmChanged + kPdmOk,
         false, true},
        {"HI_UNF_PDM_GetDevInfo",
         kPmocChanged + kPmocOk +
             "D/tavrion: pdm_getdevinfo lsadc power key err, 0x80470001 !\n"
             "D/tavrion: HiLsadcPdmPowerKeySet ret, 80470001 !\n",
         true, false},
        {"HI_UNF_PDM_SetDevInfo",
         kPmocChanged + kPmocOk + kPdmChanged +
             "D/tavrion: pdm_setdevinfo lsadc power key err, 0x80470001 !\n"
             "D/tavrion: HiLsadcPdmPowerKeySet ret, 80470001 !\n",
         true, false},
    };
    const std::vector<uint8_t> pmocBefore = Pmoc(0x2, {{0x10, 0x20}});
    const std::vector<uint8_t> pdmBefore = Pdm(0x2, {{0x10, 0x20}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        board.WriteBytes("pmoc/6", pmocBefore);
        board.WriteBytes("pdm/17", pdmBefore);
        board.Write(std::string("fail/") + c.failing, "0x80470001");
        EXPECT_EQ(c.log, Set({0x40}, 0x2));
        board.Remove(std::string("fail/") + c.failing);
        EXPECT_EQ(c.pmocWritten, board.ReadBytes("pmoc/6") != pmocBefore);
        EXPECT_EQ(c.pdmWritten, board.ReadBytes("pdm/17") != pdmBefore);
    }
}

TEST_F(WakeUp, EachSideReturnsItsOwnResult) {
    uint8_t values[8] = {0x40};
    board.Write("fail/hi_unf_pmoc_set_wakeup_condition", "0x80470002");
    board.Write("fail/HI_UNF_PDM_SetDevInfo", "0x80470003");
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, HiLsadcPmocPowerKeySet(values, 1));
    EXPECT_EQ(static_cast<int>(0x80470003u), HiLsadcPdmPowerKeySet(values, 1));
    board.Write("fail/HI_UNF_PMOC_Init", "0x80470004");
    EXPECT_EQ(static_cast<int>(0x80470004u), HiLsadcPmocPowerKeySet(values, 1));
    testing::internal::GetCapturedStderr();
}

}  // namespace
