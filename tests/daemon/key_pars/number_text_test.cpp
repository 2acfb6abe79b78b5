#include "key_pars/number_text.h"

#include "gtest/gtest.h"

namespace {

TEST(NumberText, ThirtyTwoBitStrtoulOnEveryBuild) {
    struct Case {
        const char* text;
        int base;
        uint32_t value;
    } const cases[] = {
        {"0X1f", 16, 0x1F},      {"0x74", 10, 0},
        {" \t+12z", 10, 12},     {"-2", 10, 0xFFFFFFFE},
        {"ffffffff", 16, ~0u},   {"100000000", 16, ~0u},
        {"-100000000", 16, ~0u}, {"99999999999999999999", 10, ~0u},
        {"zz", 16, 0},           {"- 1", 10, 0},
        {"+-1", 10, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value, ParseUlong32(c.text, c.base)) << c.text;
    EXPECT_EQ(0x100000000ull, ParseUllong64("100000000", 16));
    EXPECT_EQ(~0ull, ParseUllong64("1ffffffffffffffffff", 16));
}

}  // namespace
