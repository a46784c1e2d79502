#include <gtest/gtest.h>

#include <map>
#include <random>

#include "board_helpers.h"
#include "model/scoring.h"
#include "model/squares.h"
#include "oracle/literal_scoring.h"

namespace qv {
namespace {

using testing::RandomBoard;
using testing::With;

TEST(SquareTable, CensusByValue) {
    std::map<int32_t, int> byValue;
    for (const Square& s : Squares().squares) ++byValue[s.value];
    const std::map<int32_t, int> expected{{4, 49},  {9, 72},  {16, 75}, {25, 64},
                                          {36, 45}, {49, 24}, {64, 7}};
    EXPECT_EQ(byValue, expected);
}

TEST(SquareTable, EverySquareIsMetOnceFromEachCorner) {
    const SquareTable& t = Squares();
    std::vector<int> seen(kSquareCount, 0);
    for (int p = 0; p < kPoints; ++p)
        for (int i = 0; i < t.throughCount[p]; ++i) ++seen[t.through[p][i].id];
    for (int n : seen) EXPECT_EQ(n, 4);
}

struct ScoreCase {
    const char* name;
    Board board;
    int32_t red, blue;
};

TEST(TotalScore, KnownPositions) {
    const Board unit = With({{1, 1}, {2, 1}, {1, 2}, {2, 2}}, Red);
    const ScoreCase cases[] = {
        {"empty", Board{}, 0, 0},
        {"unit square", unit, 4, 0},
        {"board corners", With({{1, 1}, {8, 1}, {1, 8}, {8, 8}}, Blue), 0, 64},
        {"tilted (1,1)", With({{2, 1}, {3, 2}, {1, 2}, {2, 3}}, Red), 9, 0},
        {"three by three",
         With({{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}}, Red), 34,
         0},
        {"fourth corner taken", With({{2, 2}}, Blue, With({{1, 1}, {2, 1}, {1, 2}}, Red)), 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TotalScore(Red, c.board), c.red) << c.name;
        EXPECT_EQ(TotalScore(Blue, c.board), c.blue) << c.name;
    }
}

TEST(ScoreAfterMove, CompletingAUnitSquareAddsFour) {
    const Board three = With({{1, 1}, {2, 1}, {1, 2}}, Red);
    EXPECT_EQ(ScoreAfterMove(Red, 2, 2, three, 10.0f), 14.0f);
    EXPECT_EQ(ScoreAfterMove(Red, 2, 2, With({{2, 2}}, Red, three), 10.0f), 14.0f);
    EXPECT_EQ(ScoreAfterMove(Red, 5, 5, three, 10.0f), 10.0f);
    EXPECT_EQ(ScoreAfterMove(Blue, 2, 2, three, 10.0f), 10.0f);
}

struct ProjectedCase {
    const char* name;
    Board board;
    int32_t colour;
    std::pair<int32_t, int32_t> expected;
};

TEST(ProjectedScores, KnownPositions) {
    const Board three = With({{1, 1}, {2, 1}, {1, 2}}, Blue);
    const ProjectedCase cases[] = {
        {"empty", Board{}, Red, {0, 0}},
        {"three blue, ask red", three, Red, {0, 4}},
        {"three blue, ask blue", three, Blue, {4, 0}},
        {"fourth red", With({{2, 2}}, Red, three), Red, {0, 0}},
        {"fourth blue", With({{2, 2}}, Blue, three), Red, {0, 0}},
        {"tilted", With({{2, 1}, {3, 2}, {1, 2}}, Red), Red, {9, 0}},
        {"shared empty corner", With({{1, 1}, {2, 1}, {1, 2}, {3, 2}, {2, 3}, {3, 3}}, Red), Red,
         {8, 0}},
        {"tilted and aligned", With({{1, 1}, {2, 1}, {1, 2}, {3, 1}, {3, 2}}, Red), Red, {17, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(ProjectedScores(c.board, c.colour), c.expected) << c.name;
}

// The fast scoring against word-for-word transcriptions on random boards.
TEST(Scoring, MatchesLiteralOnRandomBoards) {
    std::mt19937 rng(12345);
    for (int n = 0; n < 3000; ++n) {
        const Board b = RandomBoard(rng, (n % 10) / 10.0 + 0.05);
        for (int32_t colour : {Red, Blue}) {
            const int32_t total = TotalScore(colour, b);
            ASSERT_EQ(total, literal::TotalScore(colour, b));
            ASSERT_EQ(ProjectedScores(b, colour), literal::ProjectedScores(b, colour));
            for (int p = 0; p < kPoints; ++p) {
                if (b[p] != Empty) continue;
                Board after = b;
                after[p] = colour;
                const float expected = static_cast<float>(TotalScore(colour, after));
                const float before = static_cast<float>(total);
                ASSERT_EQ(ScoreAfterMove(colour, ColumnOf(p), RowOf(p), b, before), expected);
                ASSERT_EQ(ScoreAfterMove(colour, ColumnOf(p), RowOf(p), after, before), expected);
                ASSERT_EQ(literal::ScoreAfterMove(colour, ColumnOf(p), RowOf(p), b, before),
                          expected);
            }
        }
    }
}

}  // namespace
}  // namespace qv
