#include "tuning/engine_game.h"

#include <gtest/gtest.h>

#include "engine/evaluate.h"
#include "engine/potentials.h"
#include "model/scoring.h"

namespace qv {
namespace {

struct Played {
    Board board;
    std::vector<std::pair<Point, int32_t>> moves;
    float red = 0, blue = 0;
    int result = 0;
};

Played Play(Engine& engine, PotentialWeights& weights, const EngineProfile& red,
            const EngineProfile& blue,
            std::function<void(const Board&, Point, int32_t)> check = {}) {
    Played p;
    p.board(1, 1) = Red;  // any earlier position is cleared
    EngineGameHooks hooks;
    hooks.moved = [&](int32_t c, int32_t r, int32_t colour) {
        if (check) check(p.board, {c, r}, colour);
        p.moves.push_back({{c, r}, colour});
    };
    p.result = PlayEngineGame(engine, weights, p.board, red, blue, p.red, p.blue, 11, hooks);
    return p;
}

// Every game ends decided, or full with Blue unable to move and given 1000.
void ExpectProperEnd(const Played& p) {
    const float red = static_cast<float>(TotalScore(Red, p.board));
    const float blue = static_cast<float>(TotalScore(Blue, p.board));
    if (p.board.Pieces() == 64 && std::abs(EvaluatePosition(1, red, blue)) <= 1000) {
        EXPECT_EQ(p.result, kBlueWon);
        EXPECT_EQ(p.blue, blue + 1000);
        EXPECT_EQ(p.red, red);
    } else {
        EXPECT_GT(std::abs(EvaluatePosition(1, red, blue)), 1000);
        EXPECT_EQ(p.result, red > blue ? kRedWon : kBlueWon);
        EXPECT_EQ(p.red, red);
        EXPECT_EQ(p.blue, blue);
    }
    // Blue opens and the colours alternate.
    for (size_t i = 0; i < p.moves.size(); ++i)
        EXPECT_EQ(p.moves[i].second, i % 2 == 0 ? Blue : Red);
}

EngineProfile NoSearch(std::array<int32_t, 6> weights, std::array<int32_t, 3> thresholds) {
    EngineProfile p = DefaultWeights();
    p[0] = 0;
    for (int i = 0; i < 6; ++i) p[3 + i] = weights[i];
    for (int i = 0; i < 3; ++i) p[13 + i] = thresholds[i];
    return p;
}

TEST(EngineGame, ProfilesWithoutSearchPlayTheirBestPotentialPoint) {
    const EngineProfile red = NoSearch({4, 7, 4, 0, 5, 4}, {2, 2, 3});
    const EngineProfile blue = NoSearch({1, 6, 3, 1, 2, 4}, {9, 4, 10});
    Engine engine;
    PotentialWeights weights = DefaultWeights();
    const Played p =
        Play(engine, weights, red, blue, [&](const Board& after, Point m, int32_t colour) {
            Board before = after;
            before(m.column, m.row) = Empty;
            std::array<float, kPoints> pots{};
            const ScoredMove best = BestPotentialPoint(before, colour == Red ? red : blue, pots);
            EXPECT_EQ(m, (Point{best.column, best.row}));
        });
    ExpectProperEnd(p);
}

TEST(EngineGame, GamesEndDecidedOrFull) {
    Engine engine;
    PotentialWeights weights = DefaultWeights();
    int full = 0;
    for (int32_t a = 0; a <= 4; ++a)
        for (int32_t b = 0; b <= 3; ++b) {
            const Played p =
                Play(engine, weights, NoSearch({a, 1 + b, a % 3, b, 2, 4 - b}, {2, 0, 2}),
                     NoSearch({b, 3, 1, a, 1 + a, b}, {9, 4, 10}));
            ExpectProperEnd(p);
            full += p.board.Pieces() == 64;
        }
    RecordProperty("full boards", full);
}

TEST(EngineGame, EngineMoveEndsTheLineAtTheCommonDepth) {
    Engine engine;
    Board board;
    board(4, 4) = Blue;
    const SearchResult r = EngineMove(engine, DefaultWeights(), board, Red, 4, 2, 2);
    EXPECT_GE(r.line[1].column, 1);
    EXPECT_NE(r.line[2].column, -1);
    EXPECT_EQ(r.line[3].column, -1);
    EXPECT_EQ(r.rootMoves, 2);
}

TEST(EngineGame, PlayRoundInstallsItsProfilesAndLeavesTheLastOne) {
    const auto [red, blue] = PlayRoundProfiles(DefaultWeights());
    const EngineProfile expectRed{1, 9, 3, 4, 7, 4, 0, 5, 4, 0, 0, 0, 0, 2, 2, 3};
    const EngineProfile expectBlue{1, 9, 3, 1, 6, 3, 1, 2, 4, 0, 0, 0, 0, 9, 4, 10};
    EXPECT_EQ(red, expectRed);
    EXPECT_EQ(blue, expectBlue);

    // A shallow copy of the pairing keeps the test quick; the live weights
    // follow the same rule whatever the depth.
    EngineProfile r = red, b = blue;
    r[1] = b[1] = 3;
    Engine engine;
    PotentialWeights weights = DefaultWeights();
    const Played p = Play(engine, weights, r, b);
    ExpectProperEnd(p);
    const bool full = p.board.Pieces() == 64 && p.blue == TotalScore(Blue, p.board) + 1000;
    const EngineProfile& last = full || p.moves.back().second == Blue ? b : r;
    for (int i : {3, 4, 5, 6, 7, 8, 13, 14, 15}) EXPECT_EQ(weights[i], last[i]) << i;
    EXPECT_EQ(weights[0], 1);
    EXPECT_EQ(weights[1], 7);  // elements 0..2 are never installed
}

// Once Cancel stands, every search of the game ends after its first root
// move and the game is played quickly to its end. A Cancel that comes inside
// a search, before its first root move is finished, leaves exactly the game a
// Cancel standing from that search on plays.
TEST(EngineGame, ACancelInsideASearchPlaysOnAsAStandingOne) {
    auto [red, blue] = PlayRoundProfiles(DefaultWeights());
    // Wide enough that Red's first search is polled inside its first root
    // move.
    red[kWidth] = blue[kWidth] = 5;
    constexpr size_t kBefore = 1;  // moves played before the Cancel
    int32_t rootMovesBeforeCancel = 0;
    const auto play = [&](bool inside) {
        Engine engine;
        PotentialWeights weights = DefaultWeights();
        Played p;
        bool cancelled = false;
        EngineGameHooks hooks;
        hooks.moved = [&](int32_t c, int32_t r, int32_t colour) {
            p.moves.push_back({{c, r}, colour});
            if (!inside && p.moves.size() == kBefore) engine.Cancel();
        };
        hooks.rootMove = [&](const SearchProgress&) {
            rootMovesBeforeCancel += inside && !cancelled && p.moves.size() == kBefore;
        };
        hooks.poll = [&] {
            if (!inside || cancelled || p.moves.size() != kBefore) return;
            cancelled = true;
            engine.Cancel();
        };
        p.result = PlayEngineGame(engine, weights, p.board, red, blue, p.red, p.blue, 11, hooks);
        EXPECT_EQ(cancelled, inside);
        return p;
    };
    const Played standing = play(false);
    const Played inside = play(true);
    EXPECT_EQ(rootMovesBeforeCancel, 0);
    ExpectProperEnd(inside);
    EXPECT_GT(inside.moves.size(), kBefore);
    EXPECT_EQ(inside.moves, standing.moves);
    EXPECT_EQ(inside.board, standing.board);
}

TEST(EngineGame, ClearPointsEmptiesTheBoard) {
    Board b;
    b(3, 3) = Red;
    b(8, 8) = Blue;
    ClearPoints(b);
    EXPECT_EQ(b, Board{});
}

}  // namespace
}  // namespace qv
