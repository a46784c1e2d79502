#include "engine/format.h"

#include <gtest/gtest.h>

#include "engine/suggest.h"

namespace qv {
namespace {

TEST(FormatGeneral, ShortestFormUpToFifteenDigits) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {12, "12"},
        {-7, "-7"},
        {12.5, "12.5"},
        {1520, "1520"},
        {71958528, "71958528"},
        {1e20, "1E20"},
        {1.5e20, "1.5E20"},
        {1e-7, "1E-7"},
        {-2.5e-6, "-2.5E-6"},
        {0.00001, "0.00001"},
        {0.000123, "0.000123"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {static_cast<double>(-1e14f), "-100000000376832"},
        {static_cast<double>(0.1f), "0.100000001490116"},
        {0.1, "0.1"},
        {999999999999999.9, "1E15"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatGeneral(c.value), c.text) << c.value;
    EXPECT_EQ(FormatGeneral(12.5, ","), "12,5");
    EXPECT_EQ(FormatGeneral(1.5e20, ","), "1,5E20");
}

TEST(FormatGrouped2, TwoDecimalsAndGrouping) {
    EXPECT_EQ(FormatGrouped2(0), "0.00");
    EXPECT_EQ(FormatGrouped2(5000.0 / 123005.0), "0.04");
    EXPECT_EQ(FormatGrouped2(999.999), "1,000.00");
    EXPECT_EQ(FormatGrouped2(61728394.5), "61,728,394.50");
    EXPECT_EQ(FormatGrouped2(1234567.891, ".", ","), "1.234.567,89");
    EXPECT_EQ(FormatGrouped2(123.4, "\u00a0", ","), "123,40");
}

TEST(OutcomeText, Captions) {
    struct Case {
        float value;
        int32_t depth;
        bool full;
        const char* text;
    } cases[] = {
        {3015, 5, false, "Predicted Win in 3 moves"},
        {-2040, 11, false, "Predicted Loss in 10 moves"},
        {14, 11, false, "14 in 11 moves"},
        {-7, 3, false, "-7 in 3 moves"},
        {-0.0f, 4, false, "0 in 4 moves"},
        {1000, 2, false, "Predicted Win in 2 moves"},
        {-1000, 2, false, "Predicted Loss in 2 moves"},
        {999, 2, false, "999 in 2 moves"},
        {-65000, 11, true, "No move: the board is full"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutcomeText(c.value, c.depth, c.full), c.text);
}

TEST(ShouldSwitchToFullWidth, OnlyAStrongWidthLimitedResult) {
    EXPECT_FALSE(ShouldSwitchToFullWidth(100, false));
    EXPECT_TRUE(ShouldSwitchToFullWidth(101, false));
    EXPECT_TRUE(ShouldSwitchToFullWidth(3015, false));
    EXPECT_FALSE(ShouldSwitchToFullWidth(101, true));
    EXPECT_FALSE(ShouldSwitchToFullWidth(-65000, false, true));
}

TEST(StatsCaption, DropsHoursAndFormatsTheRate) {
    // 1 h 2 min 3.004 s, 5000 positions: rate 5000 / 123005.
    EXPECT_EQ(StatsCaption(3723004, 5000), "2:3.4 (5000) 0.04/msec");
    EXPECT_EQ(StatsCaption(0, 61), "0:0.0 (61) 61.00/msec");
    EXPECT_EQ(StatsCaption(1, 123456789, ".", ","), "0:0.1 (123456789) 61.728.394,50/msec");
    // Counts past 2^31 stay whole and positive.
    EXPECT_EQ(StatsCaption(0, 3000000000), "0:0.0 (3000000000) 3,000,000,000.00/msec");
    EXPECT_EQ(StatsCaption(41500, int64_t{1} << 40), "0:41.500 (1099511627776) 26,493,617.69/msec");
}

}  // namespace
}  // namespace qv
