#include <gtest/gtest.h>

#include "engine/evaluate.h"
#include "model/board.h"
#include "model/settings.h"

namespace qv {
namespace {

TEST(Settings, Defaults) {
    const TSettings s;
    EXPECT_EQ(s.SearchDepth, 11);
    EXPECT_EQ(s.SearchWidth, 3);
    EXPECT_FALSE(s.FullWidthSearch);
    EXPECT_FALSE(s.SeparateAISettings);
    EXPECT_EQ(s.BlueSearchDepth, 11);
    EXPECT_EQ(s.BlueSearchWidth, 3);
    EXPECT_FALSE(s.BlueFullWidthSearch);
    EXPECT_EQ(s.RedSearchDepth, 11);
    EXPECT_EQ(s.RedSearchWidth, 3);
    EXPECT_FALSE(s.RedFullWidthSearch);
    EXPECT_TRUE(s.Sound);
    EXPECT_FALSE(s.ShowPredictedMoveOrder);
    EXPECT_FALSE(s.ShowSquares);
    EXPECT_TRUE(s.ShowPossibleSquares);
}

TEST(Settings, SearchParametersFollowTheSeparateSwitch) {
    TSettings s;
    s.SearchDepth = 4;
    s.SearchWidth = 6;
    s.FullWidthSearch = true;
    s.RedSearchDepth = 8;
    s.RedSearchWidth = 2;
    s.BlueSearchDepth = 9;
    s.BlueSearchWidth = 5;
    s.BlueFullWidthSearch = true;
    EXPECT_EQ(SearchParameters(s, Red), (SearchChoice{true, 6, 4}));
    EXPECT_EQ(SearchParameters(s, Blue), (SearchChoice{true, 6, 4}));
    s.SeparateAISettings = true;
    EXPECT_EQ(SearchParameters(s, Red), (SearchChoice{false, 2, 8}));
    EXPECT_EQ(SearchParameters(s, Blue), (SearchChoice{true, 5, 9}));
}

struct EvalCase {
    int32_t remaining;
    float mover, other, expected;
};

TEST(EvaluatePosition, Thresholds) {
    const EvalCase cases[] = {
        {3, 150, 135, 3015},                                         // lead exactly 15
        {3, 150, 136, 14},                                           // lead 14
        {2, 120, 160, -2040},                                        // the other side leads
        {1, 149, 100, 49},                                           // leader below 150
        {1, 200, 180, 1020},                                         // both over 150
        {1, 180, 200, -1020}, {5, 170, 170, 0}, {0, 200, 100, 100},  // no bonus at remaining 0
    };
    for (const auto& c : cases)
        EXPECT_EQ(EvaluatePosition(c.remaining, c.mover, c.other), c.expected)
            << c.remaining << " " << c.mover << " " << c.other;
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// The gain a horizon scan compares against: the smallest that reaches beta,
// around both bonus thresholds and for the window's ends.
TEST(EvaluatePosition, MinGainReachingAgreesWithTryingEveryGain) {
    for (int32_t mover = 0; mover <= 320; mover += 7)
        for (int32_t other = 0; other <= 320; other += 11)
            for (const int32_t beta :
                 {-65000, -2300, -1200, -1016, -1015, -30,  -15,  -14,  0,    1,
                  14,     15,    16,    200,   1014,  1015, 1016, 1150, 2300, 65000}) {
                int32_t want = kNoGain;
                for (int32_t g = 1; g < 2000 && want == kNoGain; ++g)
                    if (EvaluatePosition(1, static_cast<float>(mover + g),
                                         static_cast<float>(other)) >= static_cast<float>(beta))
                        want = g;
                const int32_t got = MinGainReaching(
                    static_cast<float>(mover), static_cast<float>(other), static_cast<float>(beta));
                if (want == kNoGain)
                    EXPECT_GE(got, 2000) << mover << " " << other << " " << beta;
                else
                    EXPECT_EQ(got, want) << mover << " " << other << " " << beta;
            }
}

}  // namespace
}  // namespace qv
