#include "model/game.h"

namespace qv {

void Game::PlaceMove(int32_t column, int32_t row) {
    ++MoveCount;
    board(column, row) = ColourOfMove(MoveCount);
    MoveHistory[MoveCount] = {column, row};
}

bool Game::TakeBackMove() {
    if (MoveCount <= 0) return false;
    const Point p = MoveHistory[MoveCount];
    if (p.column != 0) board(p.column, p.row) = Empty;
    --MoveCount;
    return true;
}

bool Game::RedoMove() {
    if (MoveCount >= 64 || MoveHistory[MoveCount + 1].column == 0) return false;
    ++MoveCount;
    const Point p = MoveHistory[MoveCount];
    board(p.column, p.row) = ColourOfMove(MoveCount);
    return true;
}

bool Game::RemoveLastMoveAt(int32_t column, int32_t row) {
    if (MoveCount < 1 || !(MoveHistory[MoveCount] == Point{column, row})) return false;
    board(column, row) = Empty;
    --MoveCount;
    return true;
}

void Game::ClearGame() {
    MoveHistory.fill(Point{});
    board.cells.fill(Empty);
}

void Game::RecountMoves() { MoveCount = board.Pieces(); }

}  // namespace qv
