#pragma once
// Word-for-word transcriptions of the scoring rules, kept slow on purpose:
// the fast code is checked against them.

#include <cstdint>
#include <utility>

#include "model/board.h"

namespace qv::literal {

int32_t TotalScore(int32_t colour, const Board& board);
float ScoreAfterMove(int32_t colour, int32_t pc, int32_t pr, const Board& board, float before);
std::pair<int32_t, int32_t> ProjectedScores(const Board& board, int32_t colour);

}  // namespace qv::literal
