#include "tuning/match.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "engine/evaluate.h"
#include "model/scoring.h"

namespace qv {
namespace {

TEST(Match, PairsShareOpeningsAndSwapColours) {
    MatchOptions o;
    o.first = ParsePlayerSpec("strong:nodes=3000");
    o.second = ParsePlayerSpec("classic:depth=2,width=2");
    o.games = 4;
    o.openingPlies = 4;
    o.seed = 9;
    o.concurrency = 2;
    int calls = 0;
    const std::vector<MatchGame> games = PlayMatch(o, [&calls](const MatchGame&) { ++calls; });
    ASSERT_EQ(games.size(), 4u);
    EXPECT_EQ(calls, 4);
    for (size_t i = 0; i < games.size(); ++i) {
        const MatchGame& g = games[i];
        EXPECT_EQ(g.game, static_cast<int32_t>(i) + 1);
        EXPECT_EQ(g.firstIsRed, i % 2 == 0);
        ASSERT_EQ(g.openingPlies, 4);
        const std::vector<GameMove> opening = MatchOpening(9, static_cast<int32_t>(i / 2), 4);
        for (size_t k = 0; k < opening.size(); ++k) {
            EXPECT_EQ(g.moves[k].column, opening[k].column);
            EXPECT_EQ(g.moves[k].row, opening[k].row);
        }
        // Blue opens and the colours alternate; the game ran to its end.
        Board board;
        for (size_t k = 0; k < g.moves.size(); ++k) {
            EXPECT_EQ(g.moves[k].colour, ColourOfMove(static_cast<int32_t>(k) + 1));
            ASSERT_EQ(board(g.moves[k].column, g.moves[k].row), Empty);
            board(g.moves[k].column, g.moves[k].row) = g.moves[k].colour;
        }
        const float red = static_cast<float>(TotalScore(Red, board));
        const float blue = static_cast<float>(TotalScore(Blue, board));
        EXPECT_TRUE(std::fabs(EvaluatePosition(1, red, blue)) > kDecided ||
                    board.CountOf(Empty) == 0);
        EXPECT_EQ(g.redScore, red);
        EXPECT_EQ(g.blueScore, blue);
        EXPECT_EQ(g.winner, red > blue ? Red : blue > red ? Blue : Empty);
    }
    const MatchSummary s = Summarise(games);
    EXPECT_EQ(s.wins + s.draws + s.losses, 4);
}

// Games count in whole pairs: a stop leaves out a pair not complete, and a
// last game without a twin counts alone.
TEST(Match, GamesCountInWholePairs) {
    MatchOptions o;
    o.first = ParsePlayerSpec("classic:depth=2,width=2");
    o.second = ParsePlayerSpec("classic:depth=1,width=1");
    o.games = 3;
    std::vector<int32_t> handed;
    const auto note = [&handed](const MatchGame& g) { handed.push_back(g.game); };
    EXPECT_EQ(PlayMatch(o, note).size(), 3u);
    EXPECT_EQ(handed, (std::vector<int32_t>{1, 2, 3}));

    o.games = 2000;  // far more than are played before the stop is seen
    handed.clear();
    const std::vector<MatchGame> games = PlayMatch(o, note, [&handed] { return !handed.empty(); });
    ASSERT_LT(games.size(), 2000u);
    EXPECT_EQ(games.size() % 2, 0u);
    EXPECT_EQ(games.size(), handed.size());
    for (size_t i = 0; i < games.size(); ++i) EXPECT_EQ(games[i].game, static_cast<int32_t>(i) + 1);
}

TEST(Match, ScoreEloAndSequentialTest) {
    const auto games = [](int32_t wins, int32_t draws, int32_t losses) {
        std::vector<MatchGame> out;
        for (int32_t i = 0; i < wins + draws + losses; ++i) {
            MatchGame g;
            g.firstIsRed = i % 2 == 0;
            const int32_t first = g.firstIsRed ? Red : Blue;
            g.winner = i < wins ? first : i < wins + draws ? Empty : Opponent(first);
            out.push_back(g);
        }
        return out;
    };
    const struct {
        int32_t wins, draws, losses;
        double score, elo, low, high;  // the 95 % interval
        double llr;                    // of 0 against 10 Elo
        const char* verdict;
    } cases[] = {
        {150, 4, 46, 76.0, 200.24, 148.54, 261.51, 4.1005, "H1"},
        {46, 4, 150, 24.0, -200.24, -261.51, -148.54, -4.3339, "H0"},
        {5, 2, 5, 50.0, 0.0, -198.58, 198.58, -0.0060, "continue"},
        {110, 20, 90, 54.5455, 31.67, -11.99, 76.37, 0.5377, "continue"},
    };
    for (const auto& c : cases) {
        const MatchSummary s = Summarise(games(c.wins, c.draws, c.losses));
        EXPECT_EQ(s.wins, c.wins);
        EXPECT_EQ(s.losses, c.losses);
        EXPECT_NEAR(s.score, c.score, 0.00005);
        ASSERT_TRUE(s.elo && s.eloLow && s.eloHigh);
        EXPECT_NEAR(*s.elo, c.elo, 0.005) << c.wins;
        EXPECT_NEAR(*s.eloLow, c.low, 0.005) << c.wins;
        EXPECT_NEAR(*s.eloHigh, c.high, 0.005) << c.wins;
        const SprtResult r = Sprt(s, 0, 10);
        EXPECT_NEAR(r.lower, -2.9444, 0.00005);
        EXPECT_NEAR(r.upper, 2.9444, 0.00005);
        EXPECT_NEAR(r.llr, c.llr, 0.00005) << c.wins;
        EXPECT_EQ(r.verdict, c.verdict) << c.wins;
    }
    EXPECT_FALSE(Summarise(games(3, 0, 0)).elo);
}

TEST(Match, EngineSpecs) {
    const PlayerSpec classic = ParsePlayerSpec("classic:depth=6,full-width");
    EXPECT_EQ(classic.kind, PlayerKind::Classic);
    EXPECT_EQ(classic.depth, 6);
    EXPECT_TRUE(classic.fullWidth);
    const PlayerSpec strong = ParsePlayerSpec("strong:nodes=200000");
    EXPECT_EQ(strong.kind, PlayerKind::Strong);
    EXPECT_EQ(strong.nodes, 200000);
    EXPECT_EQ(ParsePlayerSpec("strong:movetime=200").movetimeMs, 200);
    EXPECT_EQ(ParsePlayerSpec("classic:depth=4").width, 3);
    for (const char* bad :
         {"", "weak:depth=3", "classic:depth=16", "classic:width=x", "classic:movetime=5",
          "strong:movetime=0", "strong:movetime=5,nodes=5", "strong:full-width",
          // Every setting once, nothing empty, what a player needs, no setting
          // that the others make meaningless.
          "classic", "classic:", "strong", "strong:table-mib=8", "classic:width=3",
          "classic:depth=3,", "classic:,depth=3", "strong:nodes=5,,table-mib=1",
          "classic:depth=3,depth=4", "strong:nodes=5,table-mib=1,table-mib=2",
          "classic:depth=3,full-width,width=5", "classic:depth=+3", "strong:nodes=0x10"})
        EXPECT_THROW(ParsePlayerSpec(bad), PlayerSpecError) << bad;
}

}  // namespace
}  // namespace qv
