#include "engine/potentials.h"

#include <gtest/gtest.h>

#include <cmath>

#include "board_helpers.h"
#include "engine/search_engine.h"
#include "oracle/literal_engine.h"

namespace qv {
namespace {

using testing::With;

TEST(IntegerPower, WrapsAroundAndTreatsNonPositiveExponentsAsOne) {
    struct Case {
        int32_t base, exponent, expected;
    } cases[] = {
        {3, 0, 1},
        {0, 0, 1},
        {5, -2, 1},
        {2, 10, 1024},
        {-3, 3, -27},
        {2, 31, INT32_MIN},
        {2, 32, 0},
        {65536, 2, 0},
        {3, 20, static_cast<int32_t>(3486784401u)},  // 3^20 mod 2^32, negative as int32
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IntegerPower(c.base, c.exponent), c.expected) << c.base << "^" << c.exponent;
        EXPECT_EQ(literal::IntegerPower(c.base, c.exponent), c.expected);
    }
}

TEST(Potentials, EmptyBoardDefaults) {
    const Board empty;
    const PotentialWeights w = DefaultWeights();
    struct Case {
        int32_t c, r;
        float expected;
    } cases[] = {{1, 4, 71958528.0f}, {8, 5, 71958528.0f}, {1, 1, 33030144.0f},
                 {8, 8, 33030144.0f}, {4, 4, 59506688.0f}, {5, 5, 59506688.0f}};
    for (const Case& c : cases) {
        EXPECT_EQ(SearchPotential(empty, w, c.c, c.r), c.expected) << c.c << "," << c.r;
        // Ranking starts from 0 where the search potential starts from 1; the
        // difference vanishes in float at these magnitudes.
        EXPECT_EQ(RankingPotential(empty, w, c.c, c.r, Red, 0).value, c.expected);
    }

    SearchEngine engine;
    const ScoredMove best = engine.BestPotentialPoint(empty);
    EXPECT_EQ(best, (ScoredMove{1, 4, 71958528.0f}));
    EXPECT_EQ(engine.PointPotentials[PointIndex(1, 1)], 33030144.0f);
}

TEST(Potentials, FullBoardHasNoBestPointAndAllOnes) {
    Board full;
    for (int i = 0; i < kPoints; ++i) full[i] = i % 3 == 0 ? Red : Blue;
    SearchEngine engine;
    engine.PointPotentials.fill(7.0f);
    EXPECT_EQ(engine.BestPotentialPoint(full), (ScoredMove{0, 0, -1.0f}));
    for (float p : engine.PointPotentials) EXPECT_EQ(p, 1.0f);
}

TEST(Potentials, DeadSquaresAndSpecialWeights) {
    // A corner whose every square holds both colours among its other corners.
    std::mt19937 rng(5);
    Board b;
    auto allDead = [](const Board& x) {
        for (int32_t qc = 1; qc <= 8; ++qc)
            for (int32_t qr = 1; qr <= 8; ++qr) {
                if (qc == 1 && qr == 1) continue;
                const int32_t a = qc - 1, d = qr - 1;
                if (!OnBoard(qc + d, qr - a) || !OnBoard(1 + d, 1 - a)) continue;
                const int32_t v[3] = {x(qc, qr), x(qc + d, qr - a), x(1 + d, 1 - a)};
                const bool red = v[0] == Red || v[1] == Red || v[2] == Red;
                const bool blue = v[0] == Blue || v[1] == Blue || v[2] == Blue;
                if (!red || !blue) return false;
            }
        return true;
    };
    do {
        b = testing::RandomBoard(rng, 1.0);
        b(1, 1) = Empty;
    } while (!allDead(b));
    const PotentialWeights w = DefaultWeights();
    EXPECT_EQ(SearchPotential(b, w, 1, 1), 1.0f);
    EXPECT_EQ(RankingPotential(b, w, 1, 1, Red, 0).value, 0.0f);

    // With both exponents 0 every live square adds exactly one.
    PotentialWeights counting = w;
    counting[5] = 0;
    counting[8] = 0;
    const Board empty;
    EXPECT_EQ(SearchPotential(empty, counting, 1, 1), 8.0f);  // 7 squares + 1
    EXPECT_EQ(RankingPotential(empty, counting, 1, 1, Blue, 0).value, 7.0f);
    EXPECT_EQ(RankingPotential(empty, counting, 4, 4, Blue, 0).value, 31.0f);

    // W15 = 0: every point gets the fork boost, good^2 x pot.
    PotentialWeights fork = counting;
    fork[13] = 2;
    fork[14] = 1;
    fork[15] = 0;
    EXPECT_EQ(RankingPotential(empty, fork, 1, 1, Blue, 0).value, 7.0f * 7.0f * 7.0f);
    fork[13] = 9;  // nothing qualifies: 0 x pot x 0
    EXPECT_EQ(RankingPotential(empty, fork, 1, 1, Blue, 0).value, 0.0f);

    // A negative exponent is a reciprocal in the search potential, 1 in the ranking.
    PotentialWeights negative = counting;
    negative[5] = -1;
    EXPECT_EQ(SearchPotential(empty, negative, 1, 1),
              literal::SearchPotential(empty, negative, 1, 1));
    EXPECT_LT(SearchPotential(empty, negative, 1, 1), 8.0f);
    EXPECT_EQ(RankingPotential(empty, negative, 1, 1, Blue, 0).value, 7.0f);
}

TEST(Potentials, DecisiveOverride) {
    // Red on three corners of the unit square at (1,1): (2,2) completes 4.
    const Board b = With({{1, 1}, {2, 1}, {1, 2}}, Red);
    const PotentialWeights w = DefaultWeights();
    struct Case {
        int32_t colour;
        float score;
        bool decisive;
        float value;
    } cases[] = {
        {Red, 146.0f, true, 4.0f},    // 4 >= 150 - 146
        {Red, 145.0f, false, 0.0f},   // value is the potential, checked below
        {Blue, 146.0f, false, 0.0f},  // the square is not Blue's
        {Blue, 150.0f, true, 0.0f},   // at 150 every point is decisive, with its gain
    };
    for (const Case& c : cases) {
        const RankedPotential r = RankingPotential(b, w, 2, 2, c.colour, c.score);
        EXPECT_EQ(r.decisive, c.decisive) << c.colour << " " << c.score;
        if (c.decisive) {
            EXPECT_EQ(r.value, c.value);
        }
        const literal::Ranked l = literal::RankingPotential(b, w, 2, 2, c.colour, c.score);
        EXPECT_EQ(r.value, l.value);
        EXPECT_EQ(r.decisive, l.decisive);
    }
}

std::vector<Point> ListOrder(const CandidateList& list) {
    std::vector<Point> order;
    ScoredMove at = list.head;
    while (at.column > 0 && order.size() <= kPoints) {
        order.push_back({at.column, at.row});
        at = list.links[PointIndex(at.column, at.row)];
    }
    return order;
}

TEST(Potentials, FiniteOnlyWhenEveryTermAndSumIs) {
    const struct {
        PotentialWeights weights;
        bool finite;
    } cases[] = {
        {DefaultWeights(), true},
        // The evolution's largest genes.
        {{1, 11, 4, 10, 10, 5, 10, 10, 5, 0, 0, 0, 0, 7, 3, 10}, true},
        // (-3)^1001 and 3^1001 overflow to opposite infinities.
        {{1, 7, 3, -5, 1, 1001, 1, 2, 4, 0, 0, 0, 0, 9, 4, 10}, false},
        // 0^-1 times 0^4: infinity times zero.
        {{0, 3, 3, 1, 0, -1, 1, 2, 4, 0, 0, 0, 0, 9, 4, 10}, false},
        // Every term finite, but a point's sum overflows.
        {{1, 7, 3, 2000000, 1, 6, 0, 1, 0, 0, 0, 0, 0, 9, 4, 10}, false},
        {{1, 7, 3, 2000000, 1, 5, 0, 1, 0, 0, 0, 0, 0, 9, 4, 10}, true},
    };
    for (const auto& c : cases) {
        std::array<float, kPoints> potentials{};
        BestPotentialPoint(Board{}, c.weights, potentials);
        bool all = true;
        for (float p : potentials) all = all && std::isfinite(p);
        // On the empty board already.
        EXPECT_EQ(all, c.finite) << c.weights[3] << " " << c.weights[5];
        EXPECT_EQ(PotentialsFinite(c.weights), c.finite) << c.weights[3] << " " << c.weights[5];
    }
}

TEST(RankCandidates, EmptyBoardOrder) {
    SearchEngine engine;
    const CandidateList list = engine.RankCandidates(Board{}, Red, 0.0f);
    const std::vector<Point> order = ListOrder(list);
    ASSERT_EQ(order.size(), 64u);
    const std::vector<Point> first = {{1, 4}, {8, 5}, {8, 4}, {5, 8},
                                      {5, 1}, {4, 8}, {4, 1}, {1, 5}};
    EXPECT_EQ(std::vector<Point>(order.begin(), order.begin() + 8), first);
    EXPECT_EQ(list.links[PointIndex(order[8].column, order[8].row)].score, 70631424.0f);
    EXPECT_EQ(engine.PointPotentials[PointIndex(order[8].column, order[8].row)], 70631424.0f);
    // Keys never rise along the list.
    for (size_t i = 1; i < order.size(); ++i)
        EXPECT_LE(list.links[PointIndex(order[i].column, order[i].row)].score,
                  list.links[PointIndex(order[i - 1].column, order[i - 1].row)].score);
}

TEST(RankCandidates, DecisiveModeListsOnlyDecisivePointsByGain) {
    // Red needs 8 more: (2,2) completes 4 (not enough); (6,6) completes the
    // unit square and the side-2 square around it (4 + 9).
    Board b = With({{1, 1}, {2, 1}, {1, 2}, {5, 5}, {6, 5}, {5, 6}, {4, 4}, {6, 4}, {4, 6}}, Red);
    b(8, 8) = Blue;
    SearchEngine engine;
    const CandidateList list = engine.RankCandidates(b, Red, 142.0f);
    const std::vector<Point> order = ListOrder(list);
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order[0], (Point{6, 6}));
    EXPECT_EQ(list.links[PointIndex(6, 6)].score, 13.0f);
    for (Point p : order) EXPECT_NE(p, (Point{2, 2}));
    // Ordinary points are still rated in the table.
    EXPECT_GT(engine.PointPotentials[PointIndex(2, 2)], 13.0f);

    // From 150 on every empty point is decisive, listed by gain.
    const std::vector<Point> all = ListOrder(engine.RankCandidates(b, Red, 150.0f));
    EXPECT_EQ(all.size(), static_cast<size_t>(b.CountOf(Empty)));
    EXPECT_EQ(all[0], (Point{6, 6}));
    const CandidateList full = engine.RankCandidates(b, Red, 150.0f);
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_LE(full.links[PointIndex(all[i].column, all[i].row)].score,
                  full.links[PointIndex(all[i - 1].column, all[i - 1].row)].score);
    EXPECT_EQ(full.links[PointIndex(3, 5)].score, 9.0f);  // the diamond (3,5)-(4,4)-(5,5)-(4,6)
    EXPECT_EQ(full.links[PointIndex(2, 2)].score, 4.0f);
    EXPECT_EQ(full.links[PointIndex(all.back().column, all.back().row)].score, 0.0f);
}

}  // namespace
}  // namespace qv
