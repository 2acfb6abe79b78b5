#include "key_pars/number_text.h"

#include "gtest/gtest.h"

namespace {

TEST(NumberText, UlongGivesThe32BitResultOnEveryBuild) {
    struct Case {
        const char* text;
        int base;
        uint32_t value;
    };
    const Case cases[] = {
        {"74", 16, 0x74},
        {"0x74", 16, 0x74},
        {"0X1f", 16, 0x1F},
        {"0x74", 10, 0},
        {"  \t12", 10, 12},
        {"+7", 10, 7},
        {"-1", 16, 0xFFFFFFFF},
        {"-2", 10, 0xFFFFFFFE},
        {"12ab", 10, 12},
        {"1FF", 16, 0x1FF},
        {"ffffffff", 16, 0xFFFFFFFF},
        {"100000000", 16, 0xFFFFFFFF},
        {"-100000000", 16, 0xFFFFFFFF},
        {"4294967296", 10, 0xFFFFFFFF},
        {"99999999999999999999999", 10, 0xFFFFFFFF},
        {"", 16, 0},
        {"zz", 16, 0},
        {"0x", 16, 0},
        {"- 1", 10, 0},
        {"+-1", 10, 0},
        {nullptr, 10, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value, ParseUlong32(c.text, c.base))
            << (c.text ? c.text : "(null)") << " radix " << c.base;
    }
}

TEST(NumberText, UllongKeepsSixtyFourBits) {
    struct Case {
        const char* text;
        int base;
        uint64_t value;
    };
    const Case cases[] = {
        {"100000000", 16, 0x100000000ull},
        {"-1", 10, 0xFFFFFFFFFFFFFFFFull},
        {"800", 10, 800},
        {"0x10", 10, 0},
        {"1ffffffffffffffffff", 16, 0xFFFFFFFFFFFFFFFFull},
        {"", 10, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value, ParseUllong64(c.text, c.base)) << c.text << " radix " << c.base;
    }
}

}  // namespace
