#pragma once
// The listings of the test-data window: how the move-ordering heuristics rate
// a position.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "model/board.h"

namespace qv {

// (redTotal, blueTotal): one term per live square through every empty point;
// a square with no piece on its other corners counts for both colours.
std::pair<float, float> SquarePotentials(const Board& board, const PotentialWeights& weights);

// "Get Potentials": Red's candidates in ranking order, "1) A,5: 71958528".
std::vector<std::string> RankedPotentialsListing(Engine& engine, const PotentialWeights& weights,
                                                 const Board& board,
                                                 std::string_view decimalSeparator = ".");

// "Get Red Potentials" / "Get Blue Potentials": per empty point, the balance
// of square potentials after a trial piece of the colour ("C,5 R: 1520"),
// then "Best: (C,5): 1520". Without an empty point the best line is
// "Best: (none): " and the starting value -1e14.
std::vector<std::string> ColourPotentialsListing(const Board& board,
                                                 const PotentialWeights& weights, int32_t colour,
                                                 std::string_view decimalSeparator = ".");

}  // namespace qv
