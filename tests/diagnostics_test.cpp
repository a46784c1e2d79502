#include "tuning/diagnostics.h"

#include <gtest/gtest.h>

#include "board_helpers.h"
#include "engine/engine.h"
#include "engine/format.h"
#include "oracle/literal_engine.h"

namespace qv {
namespace {

using testing::With;

TEST(Diagnostics, RankedListingOnTheEmptyBoard) {
    Engine engine;
    const std::vector<std::string> lines = RankedPotentialsListing(engine, DefaultWeights(), Board{});
    ASSERT_EQ(lines.size(), 64u);
    const char* first[] = {"1) A,5: 71958528", "2) H,4: 71958528", "3) H,5: 71958528",
                           "4) E,1: 71958528", "5) E,8: 71958528", "6) D,1: 71958528",
                           "7) D,8: 71958528", "8) A,4: 71958528", "9) G,4: 70631424"};
    for (size_t i = 0; i < std::size(first); ++i) EXPECT_EQ(lines[i], first[i]);
    EXPECT_EQ(lines.back(), "64) A,8: 33030144");
}

TEST(Diagnostics, ColourListingsOnTheEmptyBoard) {
    for (int32_t colour : {Red, Blue}) {
        const std::vector<std::string> lines =
            ColourPotentialsListing(Board{}, DefaultWeights(), colour);
        ASSERT_EQ(lines.size(), 65u);
        EXPECT_EQ(lines.front(), "A,8 R: 501645312");
        EXPECT_EQ(lines[63].substr(0, 6), "H,1 R:");
        EXPECT_EQ(lines.back(), "Best: (A,5): 1092870144");
        int ties = 0;
        for (const std::string& l : lines) ties += l.ends_with(" R: 1092870144");
        EXPECT_EQ(ties, 8);
    }
}

TEST(Diagnostics, FullBoardListings) {
    Board full;
    for (int i = 0; i < kPoints; ++i) full[i] = i % 2 ? Red : Blue;
    Engine engine;
    EXPECT_TRUE(RankedPotentialsListing(engine, DefaultWeights(), full).empty());
    const std::vector<std::string> lines = ColourPotentialsListing(full, DefaultWeights(), Red);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Best: (none): -100000000376832");
}

TEST(Diagnostics, SquarePotentialsMatchTheLiteralReading) {
    // Includes weights whose terms wrap around to negative values.
    PotentialWeights wrapping = DefaultWeights();
    wrapping[5] = 9;
    wrapping[8] = 9;
    const Board boards[] = {Board{},
                            With({{1, 1}, {2, 1}, {1, 2}}, Red, With({{5, 5}, {6, 6}}, Blue))};
    for (const Board& b : boards)
        for (const PotentialWeights& w : {DefaultWeights(), wrapping})
            EXPECT_EQ(SquarePotentials(b, w), literal::SquarePotentials(b, w));

    // A trial piece that completes a square changes the balance only through
    // the squares that still have an empty corner.
    const Board three = With({{1, 1}, {2, 1}, {1, 2}}, Red);
    Board four = three;
    four(2, 2) = Red;
    const auto [red, blue] = SquarePotentials(four, DefaultWeights());
    const std::vector<std::string> lines = ColourPotentialsListing(three, DefaultWeights(), Red);
    const std::string wanted = "B,7 R: " + FormatGeneral(red - blue);
    EXPECT_NE(std::find(lines.begin(), lines.end(), wanted), lines.end()) << wanted;
}

}  // namespace
}  // namespace qv
