#pragma once

#include <array>
#include <cstdint>

#include "engine/types.h"
#include "model/board.h"

namespace qv {

// base^exponent with 32-bit wrap-around; 1 for a zero or negative exponent.
int32_t IntegerPower(int32_t base, int32_t exponent);

// The potential of an empty point for move ordering in the full-width search:
// 1.0 plus one term per live square through the point, powers taken in
// extended precision, the sum kept in single precision.
float SearchPotential(const Board& board, const PotentialWeights& weights, int32_t column,
                      int32_t row);

// Whether every potential the weights can give is a finite number. Weights
// far outside the usual ranges (huge or negative exponents, factors that make
// a base zero) give infinities and not-a-numbers, which no search can rank.
bool PotentialsFinite(const PotentialWeights& weights);

struct RankedPotential {
    float value = 0.0f;
    // The move brings the colour to the winning score: value is then its gain.
    bool decisive = false;
};

// The potential of an empty point for the candidate ranking, for the colour to
// move whose current total is score.
RankedPotential RankingPotential(const Board& board, const PotentialWeights& weights,
                                 int32_t column, int32_t row, int32_t colour, float score);

// The empty point with the highest SearchPotential (earliest in column order on
// ties), or (0, 0, -1) when there is none. potentials gets 1.0 for every
// occupied point and the SearchPotential of every empty one.
ScoredMove BestPotentialPoint(const Board& board, const PotentialWeights& weights,
                              std::array<float, kPoints>& potentials);

// The empty points in the order the width-limited search tries them: head
// names the first (column 0: empty list); links[PointIndex(c, r)] names the
// point after (c, r) (column 0: the end) and holds (c, r)'s key as its score.
// Links of points not in the list are meaningless.
struct CandidateList {
    ScoredMove head{0, 0, 0.0f};
    std::array<ScoredMove, kPoints> links;
};

// potentials gets 0.0 for every occupied point and the RankingPotential of
// every empty one. Once a decisive point is met only decisive points are
// listed, and the points listed before it are dropped.
CandidateList RankCandidates(const Board& board, const PotentialWeights& weights, int32_t colour,
                             float ownScore, std::array<float, kPoints>& potentials);

}  // namespace qv
