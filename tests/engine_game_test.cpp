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

Played Play(Engine& engine, const EngineProfile& red, const EngineProfile& blue,
            std::function<void(const Board&, Point, int32_t)> check = {}) {
    Played p;
    p.board(1, 1) = Red;  // any earlier position is cleared
    EngineGameHooks hooks;
    hooks.moved = [&](int32_t c, int32_t r, int32_t colour) {
        if (check) check(p.board, {c, r}, colour);
        p.moves.push_back({{c, r}, colour});
    };
    p.result = PlayEngineGame(engine, p.board, red, blue, p.red, p.blue, 11, hooks);
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
    engine.Line[1] = {5, 5, 7.0f};
    engine.ProgressCount = 42;
    const Played p = Play(engine, red, blue, [&](const Board& after, Point m, int32_t colour) {
        Board before = after;
        before(m.column, m.row) = Empty;
        std::array<float, kPoints> pots{};
        const ScoredMove best = BestPotentialPoint(before, colour == Red ? red : blue, pots);
        EXPECT_EQ(m, (Point{best.column, best.row}));
    });
    ExpectProperEnd(p);
    EXPECT_EQ(engine.Line[1], (ScoredMove{5, 5, 7.0f}));  // untouched without search
    EXPECT_EQ(engine.ProgressCount, 42);
}

TEST(EngineGame, GamesEndDecidedOrFull) {
    Engine engine;
    int full = 0;
    for (int32_t a = 0; a <= 4; ++a)
        for (int32_t b = 0; b <= 3; ++b) {
            const Played p = Play(engine, NoSearch({a, 1 + b, a % 3, b, 2, 4 - b}, {2, 0, 2}),
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
    const ScoredMove m = EngineMove(engine, board, Red, 4, 2, 2);
    EXPECT_GE(m.column, 1);
    EXPECT_EQ(engine.Line[1], m);
    EXPECT_NE(engine.Line[2].column, -1);
    EXPECT_EQ(engine.Line[3].column, -1);
    EXPECT_EQ(engine.ProgressTotal, 2);
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
    const Played p = Play(engine, r, b);
    ExpectProperEnd(p);
    const bool full = p.board.Pieces() == 64 && p.blue == TotalScore(Blue, p.board) + 1000;
    const EngineProfile& last = full || p.moves.back().second == Blue ? b : r;
    for (int i : {3, 4, 5, 6, 7, 8, 13, 14, 15}) EXPECT_EQ(engine.Weights[i], last[i]) << i;
    EXPECT_EQ(engine.Weights[0], 1);
    EXPECT_EQ(engine.Weights[1], 7);  // elements 0..2 are never installed
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
