#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>

#include "model/board.h"

namespace qv::testing {

inline Board With(std::initializer_list<Point> points, int32_t colour, Board b = {}) {
    for (Point p : points) b(p.column, p.row) = colour;
    return b;
}

// A random board with each point empty, Red or Blue; `fill` is the chance of a piece.
inline Board RandomBoard(std::mt19937& rng, double fill) {
    Board b;
    std::uniform_real_distribution<double> u(0, 1);
    for (int i = 0; i < kPoints; ++i)
        if (u(rng) < fill) b[i] = u(rng) < 0.5 ? Red : Blue;
    return b;
}

}  // namespace qv::testing
