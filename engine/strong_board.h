#pragma once
// The board as the strong search keeps it: the pieces, each square's corner
// counts, both colours' scores, what a piece would complete on every point
// and where that is above zero, the evaluation's running sum of unfinished
// squares, and a hash key. Place and Remove are exact inverses, so a
// search changes one board move by move and never copies it.

#include <array>
#include <cstdint>

#include "engine/strong_eval.h"
#include "model/board.h"
#include "model/squares.h"

namespace qv::strong {

constexpr uint64_t PointBit(int p) {
    return uint64_t{1} << p;
}

// Hash keys of a piece of a colour on a point, and of Red to move.
struct Keys {
    uint64_t piece[3][kPoints];
    uint64_t redToMove;
};
const Keys& HashKeys();

struct StrongBoard {
    // By the board's column-major index.
    std::array<int8_t, kPoints> cell{};
    uint64_t empty = ~uint64_t{0};
    uint64_t pieces[3]{};  // by colour
    // Per square: reds + 5 x blues.
    std::array<uint8_t, kSquareCount> state{};
    int32_t score[3]{};
    // The square values a piece of the colour would complete on the point;
    // frozen while the point is occupied.
    int16_t gain[3][kPoints]{};
    // The unfinished squares' worth from Red's side.
    int32_t promise = 0;
    // By colour: the empty points where its gain is above zero, the squares
    // it would complete with one more piece.
    uint64_t threats[3]{};
    uint64_t key = 0;

    void Load(const Board& board, const EvalTables& t);
    void Place(int p, int32_t colour, const EvalTables& t);
    void Remove(int p, int32_t colour, const EvalTables& t);
    int32_t Empties() const { return __builtin_popcountll(empty); }
};

}  // namespace qv::strong
