#pragma once

#include <array>
#include <cstdint>

#include "model/board.h"

namespace qv {

// The live game: the board, the history of moves and the move counter.
// Slots 1..64; a slot whose column is 0 is empty. Slots above MoveCount
// may hold taken-back moves (the redo tail).
struct Game {
    Board board;
    std::array<Point, 65> MoveHistory{};  // index 0 unused
    int32_t MoveCount = 0;

    // Preconditions: the point is empty and MoveCount <= 63.
    void PlaceMove(int32_t column, int32_t row);
    // Return true when something changed.
    bool TakeBackMove();
    bool RedoMove();
    bool RemoveLastMoveAt(int32_t column, int32_t row);
    void ClearGame();
    void RecountMoves();
    int32_t SideToMove() const { return ColourOfMove(MoveCount + 1); }
};

}  // namespace qv
