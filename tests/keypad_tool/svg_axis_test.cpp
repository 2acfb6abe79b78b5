// The pictures' axes: ticks fall on round steps inside the range, and reducing a long series to
// pixel columns keeps every column's extremes and every failed read.
#include "svg_axis.h"

#include <gtest/gtest.h>

TEST(SvgAxis, TicksAreRoundMultiplesInsideTheRange) {
    struct Row {
        double lo, hi;
        int most;
        std::vector<double> ticks;
    } rows[] = {
        {0, 1000, 6, {0, 200, 400, 600, 800, 1000}},
        {1030, 5530, 10, {1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500}},
        {0, 3600000, 8, {0, 1000000, 2000000, 3000000}},
        {0.0, 0.3, 4, {0, 0.1, 0.2, 0.3}},
        {7, 7, 5, {7}},
    };
    for (const Row& r : rows) {
        std::vector<double> ticks = AxisTicks(r.lo, r.hi, r.most);
        ASSERT_EQ(ticks.size(), r.ticks.size()) << r.lo << ".." << r.hi;
        for (size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(ticks[i], r.ticks[i], 1e-9);
    }
    // An hour in minutes, 20 s in 5 s steps, not in tens of thousands of ms.
    std::vector<double> hour = TimeTicks(0, 3600000, 8);
    EXPECT_EQ(hour.size(), 7u);
    EXPECT_EQ(hour[1], 600000);
    EXPECT_EQ(TimeTicks(0, 20000, 6), (std::vector<double>{0, 5000, 10000, 15000, 20000}));
    EXPECT_EQ(TimeTickLabel(250, 9999), "250 ms");
    EXPECT_EQ(TimeTickLabel(2500, 10000), "2.5 s");
}

TEST(SvgAxis, ColumnsKeepEveryExtremeAndFailure) {
    // A slow ramp with one 1 ms spike and one failed read, 10 ms a column.
    std::vector<Level> levels;
    for (uint64_t ms = 0; ms < 1000; ms += 2)
        levels.push_back({ms, static_cast<uint32_t>(ms / 4), false});
    levels.insert(levels.begin() + 251, {501, 0xff, false});  // between 500 and 502
    levels.insert(levels.begin() + 400, {797, 0, true});
    std::vector<Column> columns = ReduceToColumns(levels, 0, 1000, 100);
    ASSERT_EQ(columns.size(), 100u);
    for (int c = 0; c < 100; ++c) {
        SCOPED_TRACE(c);
        EXPECT_TRUE(columns[c].any);
        EXPECT_EQ(columns[c].low, static_cast<uint32_t>(c * 10 / 4));
        EXPECT_EQ(columns[c].high, c == 50 ? 0xffu : static_cast<uint32_t>((c * 10 + 8) / 4));
        EXPECT_EQ(columns[c].failed, c == 79);
    }
    // A level set before the picture's start carries into it; one after its end does not show.
    std::vector<Column> part = ReduceToColumns({{0, 5, false}, {900, 9, false}}, 100, 200, 4);
    for (const Column& column : part)
        EXPECT_TRUE(column.any && column.low == 5 && column.high == 5);
}
