#include "play/levels.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "board_helpers.h"
#include "model/rules.h"
#include "model/scoring.h"
#include "play/game_loop.h"
#include "play/player.h"
#include "tuning/match.h"

namespace qv {
namespace {

// A person new to the game: completes a square when they can, blocks the
// opponent's when they must, and otherwise plays anywhere.
class Novice : public Player {
  public:
    explicit Novice(uint64_t seed) : random_(seed) {}

    MoveReply GenMove(const MoveRequest& request) override {
        const Board& b = request.position;
        const int32_t me = request.colour;
        const int32_t you = Opponent(me);
        int free[kPoints];
        int n = 0, take = -1, block = -1;
        float takeGain = 0, blockGain = 0;
        for (int p = 0; p < kPoints; ++p) {
            if (b[p] != Empty) continue;
            free[n++] = p;
            const float mine = ScoreAfterMove(me, ColumnOf(p), RowOf(p), b, 0);
            const float yours = ScoreAfterMove(you, ColumnOf(p), RowOf(p), b, 0);
            if (mine > takeGain) takeGain = mine, take = p;
            if (yours > blockGain) blockGain = yours, block = p;
        }
        MoveReply reply;
        if (n == 0) return reply;
        const int p = take >= 0    ? take
                      : block >= 0 ? block
                                   : free[random_() % static_cast<uint64_t>(n)];
        reply.move = {ColumnOf(p), RowOf(p), 0};
        return reply;
    }
    void Stop() override {}
    void Abort() override {}
    void ClearStop() override {}
    std::string Describe() const override { return "novice"; }

  private:
    std::mt19937_64 random_;
};

TEST(Levels, NoviceBeatsTheBeginner) {
    const std::unique_ptr<Player> beginner = MakePlayer(ResolveLevel(1));
    // Enough games that half of them is well inside what the novice wins.
    constexpr int32_t kGames = 400;
    int32_t won = 0;
    for (int32_t g = 0; g < kGames; ++g) {
        Novice novice(static_cast<uint64_t>(g));
        const bool noviceRed = g % 2 == 0;
        const GameRecord r = PlayGame(noviceRed ? static_cast<Player&>(novice) : *beginner,
                                      noviceRed ? *beginner : static_cast<Player&>(novice),
                                      MatchOpening(5, g / 2, 4), {}, static_cast<uint64_t>(g));
        ASSERT_NE(r.end, GameEnd::PlayerFailed) << r.failure;
        won += r.winner == (noviceRed ? Red : Blue);
    }
    EXPECT_GE(won, kGames / 2);
}

TEST(Levels, EveryLevelIsAPlayerDescription) {
    for (int32_t n = 1; n <= kLevels; ++n) {
        SCOPED_TRACE(n);
        const PlayerSpec p = ResolveLevel(n);
        EXPECT_EQ(ParsePlayerSpec("level:" + std::to_string(n)), p);
        EXPECT_EQ(LevelOf(p), n);
        EXPECT_EQ(LevelOf(ParsePlayerSpec(FormatPlayerSpec(p))), n);
    }
    EXPECT_EQ(LevelName(1), "Level 1 (Beginner)");
    EXPECT_EQ(LevelName(kLevels), "Level 10 (Master)");
    const PlayerSpec top = ResolveLevel(kLevels);
    EXPECT_EQ(top.kind, PlayerKind::Strong);
    EXPECT_GE(top.movetimeMs, 1000);
    EXPECT_GT(ResolveLevel(1).choose, 1);
    EXPECT_EQ(LevelOf(ParsePlayerSpec("classic:depth=4")), 0);
    EXPECT_THROW(ResolveLevel(0), std::out_of_range);
}

// choose=64,margin=0 weighs every root move exactly and so finds the value
// the full-width search does; a choice among the K best-ranked stays within
// its margin of the best of them, and draws differently with other seeds.
TEST(Levels, ChoiceStaysAmongTheBetterMoves) {
    std::mt19937 rng(11);
    for (int i = 0; i < 12; ++i) {
        const Board b = testing::RandomBoard(rng, 0.15 + 0.06 * i);
        if (b.CountOf(Empty) < 2 || Decided(b)) continue;
        const int32_t colour = SideToMove(b);
        for (int32_t depth : {1, 2, 3}) {
            SCOPED_TRACE(std::to_string(i) + " depth " + std::to_string(depth));
            const std::string d = "classic:depth=" + std::to_string(depth) + ",full-width";
            MoveRequest request;
            request.position = b;
            request.colour = colour;
            const float best = MakePlayer(ParsePlayerSpec(d))->GenMove(request).move.score;
            EXPECT_EQ(
                MakePlayer(ParsePlayerSpec(d + ",choose=64,margin=0"))->GenMove(request).move.score,
                best);
            const float bestOfThree =
                MakePlayer(ParsePlayerSpec(d + ",choose=3,margin=0"))->GenMove(request).move.score;
            EXPECT_LE(bestOfThree, best);
            const std::unique_ptr<Player> loose =
                MakePlayer(ParsePlayerSpec(d + ",choose=3,margin=6"));
            std::set<std::pair<int32_t, int32_t>> picks;
            for (uint64_t seed = 0; seed < 24; ++seed) {
                request.seed = seed;
                const MoveReply r = loose->GenMove(request);
                ASSERT_EQ(b(r.move.column, r.move.row), Empty);
                EXPECT_GE(r.move.score, bestOfThree - 6);
                EXPECT_EQ(r.search.line[1], r.move);
                picks.insert({r.move.column, r.move.row});
                EXPECT_EQ(loose->GenMove(request).move, r.move);
            }
            EXPECT_LE(picks.size(), 3u);
        }
    }
    MoveRequest open;
    std::set<std::pair<int32_t, int32_t>> picks;
    const std::unique_ptr<Player> beginner = MakePlayer(ResolveLevel(1));
    for (uint64_t seed = 0; seed < 24; ++seed) {
        open.seed = seed;
        const ScoredMove m = beginner->GenMove(open).move;
        picks.insert({m.column, m.row});
    }
    EXPECT_GT(picks.size(), 1u);
}

// A match's seed replays its games, choices and all.
TEST(Levels, MatchSeedReplaysTheChoices) {
    MatchOptions o;
    o.first = ResolveLevel(2);
    o.second = ResolveLevel(1);
    o.games = 4;
    o.openingPlies = 0;  // the games differ by their choices alone
    o.seed = 3;
    const auto moves = [&o] {
        std::vector<std::vector<GameMove>> out;
        for (const MatchGame& g : PlayMatch(o)) out.push_back(g.moves);
        return out;
    };
    const auto once = moves();
    EXPECT_EQ(moves(), once);
    o.seed = 4;
    EXPECT_NE(moves(), once);
}

}  // namespace
}  // namespace qv
