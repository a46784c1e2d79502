#pragma once

#include <array>
#include <cstdint>

#include "model/board.h"

namespace qv {

constexpr int kSquareCount = 336;
// The most squares that share one corner (a central point).
constexpr int kMaxSquaresPerPoint = 48;

// (|a| + |b| + 1)^2 for side vector (a, b).
constexpr int32_t SquareValue(int32_t a, int32_t b) {
    const int32_t s = (a < 0 ? -a : a) + (b < 0 ? -b : b) + 1;
    return s * s;
}

struct Square {
    std::array<uint8_t, 4> corners;  // point indices, canonical order
    int32_t size;                    // |a| + |b| + 1, 2..8
    int32_t value;                   // size squared
};

// One square seen from one of its corners p. With q the neighbouring corner
// that generated it, the other corners are q, q + (b, -a) and p + (b, -a).
struct SquareThrough {
    std::array<uint8_t, 3> others;
    uint8_t size;
    int16_t id;  // index into the square table
};

struct SquareTable {
    std::array<Square, kSquareCount> squares;
    // Per point, its squares in the order q = (column 1..8 outer, row 1..8 inner).
    std::array<std::array<SquareThrough, kMaxSquaresPerPoint>, kPoints> through;
    std::array<int32_t, kPoints> throughCount;
};

// Built once, on first use; safe to call from several threads.
const SquareTable& Squares();

}  // namespace qv
