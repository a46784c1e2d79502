#include "model/rules.h"

#include "model/scoring.h"

namespace qv {

bool Decided(const Board& board) {
    return Decided(TotalScore(Red, board), TotalScore(Blue, board));
}

bool GameOver(const Board& board) {
    return board.CountOf(Empty) == 0 || Decided(board);
}

}  // namespace qv
