#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "key_pars/key_pars.h"
#include "main/lsadc_setup.h"
#include "temp_board.h"

namespace {

TEST(PowerKeyValues, CollectsPowerKeysInGroupOrderUpToLen) {
    memset(keyGroups, 0, sizeof keyGroups);
    uint8_t values[10] = {};
    EXPECT_EQ(0, GetKeyPadPowerValue(nullptr, 8));
    keyGroups[0].enable = keyGroups[1].enable = keyGroups[2].enable = 1;
    keyGroups[0].KeyLevelNum = 1;  // its one key counts whatever its code
    keyGroups[0].KeyThreshold[0] = 0x21;
    keyGroups[1].KeyLevelNum = 9;  // too many keys: skipped
    keyGroups[1].KeyCode[0] = 116;
    keyGroups[2].KeyLevelNum = 8;
    for (int k = 0; k < 8; ++k) {
        keyGroups[2].KeyThreshold[k] = static_cast<uint8_t>(0x30 + k);
        keyGroups[2].KeyCode[k] = k % 2 ? 115 : 116;
        keyGroups[2].LongKeyCode[k] = k % 2 ? 116 : 0;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(8, GetKeyPadPowerValue(values, 8));
    EXPECT_EQ("D/tavrion: Keypad only one key!\n", testing::internal::GetCapturedStderr());
    const uint8_t expected[10] = {0x21, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0, 0};
    EXPECT_EQ(0, memcmp(expected, values, sizeof values)) << "nine power keys, room for eight";
    uint8_t none[1] = {};
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, GetKeyPadPowerValue(none, 0));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(0, none[0]);
    keyGroups[0].enable = 0;
    keyGroups[2].KeyCode[0] = 114;
    EXPECT_EQ(3, GetKeyPadPowerValue(values, 3));
    EXPECT_EQ(0x33, values[2]);
    memset(keyGroups, 0, sizeof keyGroups);
}

// A wake-up record as stored: pattern bytes around the mask and the four (lower, threshold)
// pairs, which start at byte pairsAt and take pairSize bytes each.
struct Pair {
    int low, threshold;
};
std::vector<uint8_t> Record(size_t size, size_t maskAt, size_t pairSize, uint32_t mask,
                            std::vector<Pair> pairs) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(0x40 + i);
    auto put = [&](size_t at, uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    put(maskAt, mask, 4);
    pairs.resize(4, Pair{0, 0});
    for (size_t i = 0; i < 4; ++i) {
        put(maskAt + 4 + 2 * pairSize * i, static_cast<uint32_t>(pairs[i].low), pairSize);
        put(maskAt + 4 + 2 * pairSize * i + pairSize, static_cast<uint32_t>(pairs[i].threshold),
            pairSize);
    }
    return bytes;
}
std::vector<uint8_t> Pmoc(uint32_t mask, std::vector<Pair> pairs) {
    return Record(68, 4, 1, mask, pairs);
}
std::vector<uint8_t> Pdm(uint32_t mask, std::vector<Pair> pairs) {
    return Record(132, 64, 4, mask, pairs);
}

std::string Set(std::vector<uint8_t> entries, uint32_t mask) {
    entries.resize(8, 0);
    testing::internal::CaptureStderr();
    HiLsadcPowerKeySet(entries.data(), mask);
    return testing::internal::GetCapturedStderr();
}

ino_t Inode(const TempBoard& board, const char* relative) {
    struct stat info = {};
    stat((board.root() + "/" + relative).c_str(), &info);
    return info.st_ino;
}

const std::string kPmocChanged = "D/tavrion: HiLsadcPmocPowerKeySet, changed !\n";
const std::string kPdmChanged = "D/tavrion: updatePdmPowerKey, changed !\n";
const std::string kPmocOk = "D/tavrion: HiLsadcPmocPowerKeySet ret, 00000000 !\n";
const std::string kPdmOk = "D/tavrion: HiLsadcPdmPowerKeySet ret, 00000000 !\n";

TEST(WakeUp, RecordsAreRewrittenOnlyWhereTheyDiffer) {
    struct Case {
        uint32_t storedMask;
        std::vector<Pair> stored;
        std::vector<uint8_t> values;
        uint32_t mask;
        std::vector<Pair> pmoc, pdm;  // afterwards; empty: nothing written
    } const cases[] = {
        {0x5, {{0x20, 0x30}, {4, 4}}, {0x30, 4}, 0x5, {}, {}},
        {0x5, {{1, 2}}, {0, 0, 0, 0, 0x50}, 0x0, {}, {}},
        {0x0,
         {},
         {4, 5, 0, 20},
         0x1,
         {{4, 4}, {245, 5}, {0, 0}, {4, 20}},
         {{4, 4}, {-11, 5}, {0, 0}, {4, 20}}},
        {0x1,
         {{0x20, 0x30}, {0x30, 0x40}, {0x40, 0x50}},
         {0x31},
         0x1,
         {{0x21, 0x31}, {0x30, 0x40}, {0x40, 0x50}},
         {{0x21, 0x31}, {0x30, 0x40}, {0x40, 0x50}}},
        {0x1,
         {{0x20, 0x30}, {9, 0x40}},
         {0x30, 0x40},
         0x3,
         {{0x20, 0x30}, {0x30, 0x40}},
         {{0x20, 0x30}, {0x30, 0x40}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mask " << c.mask << ", stored " << c.storedMask);
        TempBoard board;
        board.WriteBytes("pmoc/6", Pmoc(c.storedMask, c.stored));
        board.WriteBytes("pdm/17", Pdm(c.storedMask, c.stored));
        ino_t pmocFile = Inode(board, "pmoc/6"), pdmFile = Inode(board, "pdm/17");
        std::string log = Set(c.values, c.mask);
        if (c.pmoc.empty()) {
            EXPECT_EQ(kPmocOk + kPdmOk, log);
            EXPECT_TRUE(pmocFile == Inode(board, "pmoc/6") && pdmFile == Inode(board, "pdm/17"));
        } else {
            EXPECT_EQ(kPmocChanged + kPmocOk + kPdmChanged + kPdmOk, log);
            EXPECT_EQ(Pmoc(c.mask, c.pmoc), board.ReadBytes("pmoc/6"));
            EXPECT_EQ(Pdm(c.mask, c.pdm), board.ReadBytes("pdm/17"));
        }
    }
}

TEST(WakeUp, FailuresAtEachCall) {
    const std::string code = "0x80470001 !\n";
    const std::string pmocFailed = "D/tavrion: HiLsadcPmocPowerKeySet ret, 80470001 !\n";
    const std::string pdmFailed = "D/tavrion: HiLsadcPdmPowerKeySet ret, 80470001 !\n";
    struct Case {
        const char* failing;
        std::string log;
        bool pmocWritten, pdmWritten;
    } const cases[] = {
        {"HI_UNF_PMOC_Init",
         "D/tavrion: HI_UNF_PMOC_Init err, " + code + pmocFailed + kPdmChanged + kPdmOk, false,
         true},
        {"hi_unf_pmoc_get_wakeup_condition",
         "D/tavrion: pmoc_get_wakeup_condition lsadc power key err, " + code + pmocFailed +
             kPdmChanged + kPdmOk,
         false, true},
        {"hi_unf_pmoc_set_wakeup_condition",
         kPmocChanged + "D/tavrion: pmoc_set_wakeup_condition lsadc power key err, " + code +
             kPmocOk + kPdmChanged + kPdmOk,
         false, true},
        {"HI_UNF_PDM_GetDevInfo",
         kPmocChanged + kPmocOk + "D/tavrion: pdm_getdevinfo lsadc power key err, " + code +
             pdmFailed,
         true, false},
        {"HI_UNF_PDM_SetDevInfo",
         kPmocChanged + kPmocOk + kPdmChanged + "D/tavrion: pdm_setdevinfo lsadc power key err, " +
             code + pdmFailed,
         true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        TempBoard board;
        board.WriteBytes("pmoc/6", Pmoc(0x2, {{0x10, 0x20}}));
        board.WriteBytes("pdm/17", Pdm(0x2, {{0x10, 0x20}}));
        board.Write(std::string("fail/") + c.failing, "0x80470001");
        EXPECT_EQ(c.log, Set({0x40}, 0x2));
        EXPECT_EQ(c.pmocWritten, board.ReadBytes("pmoc/6") != Pmoc(0x2, {{0x10, 0x20}}));
        EXPECT_EQ(c.pdmWritten, board.ReadBytes("pdm/17") != Pdm(0x2, {{0x10, 0x20}}));
    }
}

}  // namespace
