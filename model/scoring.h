#pragma once

#include <cstdint>
#include <utility>

#include "model/board.h"

namespace qv {

// Sum of the values of the squares complete for the colour.
int32_t TotalScore(int32_t colour, const Board& board);

// The colour's score after a piece of it goes on (column, row), given its
// score before. The point itself is not read, so the board may or may not
// already hold the piece.
float ScoreAfterMove(int32_t colour, int32_t column, int32_t row, const Board& board, float before);

// Values of the possible squares (three corners of one colour, the fourth
// empty): (the colour's, its opponent's).
std::pair<int32_t, int32_t> ProjectedScores(const Board& board, int32_t colour);

}  // namespace qv
