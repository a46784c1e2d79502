#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

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

// How the table is worked out. The compiler runs it (see Squares), and a
// check that fails there stops the build.
constexpr SquareTable BuildSquareTable() {
    SquareTable t{};
    int n = 0;
    // Canonical form: P1 the top (then left) corner, P2 the next one clockwise.
    for (int32_t r1 = 1; r1 <= 8; ++r1)
        for (int32_t c1 = 1; c1 <= 8; ++c1)
            for (int32_t dr = 0; dr <= 7; ++dr)
                for (int32_t dc = 1; dc <= 7; ++dc) {
                    const int32_t c2 = c1 + dc, r2 = r1 + dr;
                    const int32_t c3 = c2 - dr, r3 = r2 + dc;
                    const int32_t c4 = c1 - dr, r4 = r1 + dc;
                    if (!OnBoard(c2, r2) || !OnBoard(c3, r3) || !OnBoard(c4, r4)) continue;
                    Square& s = t.squares.at(n++);
                    s.corners = {static_cast<uint8_t>(PointIndex(c1, r1)),
                                 static_cast<uint8_t>(PointIndex(c2, r2)),
                                 static_cast<uint8_t>(PointIndex(c3, r3)),
                                 static_cast<uint8_t>(PointIndex(c4, r4))};
                    s.size = dc + dr + 1;
                    s.value = s.size * s.size;
                }
    if (n != kSquareCount) throw std::logic_error("square table");

    // A square is known by its set of corners: sorted and packed into one word.
    auto keyOf = [](std::array<uint8_t, 4> c) {
        std::sort(c.begin(), c.end());
        return static_cast<uint32_t>(c[0]) | static_cast<uint32_t>(c[1]) << 8 |
               static_cast<uint32_t>(c[2]) << 16 | static_cast<uint32_t>(c[3]) << 24;
    };
    // Sorted (key << 16 | id) words, searched by halving: a linear scan costs
    // more constant-evaluation steps than some compilers allow.
    std::array<uint64_t, kSquareCount> keys{};
    for (int i = 0; i < kSquareCount; ++i)
        keys[i] = static_cast<uint64_t>(keyOf(t.squares[i].corners)) << 16 |
                  static_cast<uint64_t>(i);
    std::sort(keys.begin(), keys.end());
    auto idOf = [&keys, &keyOf](std::array<uint8_t, 4> corners) {
        const uint64_t key = static_cast<uint64_t>(keyOf(corners)) << 16;
        const auto it = std::lower_bound(keys.begin(), keys.end(), key);
        if (it == keys.end() || (*it >> 16) != (key >> 16)) throw std::logic_error("square id");
        return static_cast<int>(*it & 0xFFFF);
    };

    for (int p = 0; p < kPoints; ++p) {
        const int32_t c = ColumnOf(p), r = RowOf(p);
        int k = 0;
        for (int32_t qc = 1; qc <= 8; ++qc)
            for (int32_t qr = 1; qr <= 8; ++qr) {
                if (qc == c && qr == r) continue;
                const int32_t a = qc - c, b = qr - r;
                const int32_t c3 = qc + b, r3 = qr - a, c4 = c + b, r4 = r - a;
                if (!OnBoard(c3, r3) || !OnBoard(c4, r4)) continue;
                SquareThrough& s = t.through[p].at(k++);
                s.others = {static_cast<uint8_t>(PointIndex(qc, qr)),
                            static_cast<uint8_t>(PointIndex(c3, r3)),
                            static_cast<uint8_t>(PointIndex(c4, r4))};
                s.size = static_cast<uint8_t>((a < 0 ? -a : a) + (b < 0 ? -b : b) + 1);
                s.id = static_cast<int16_t>(
                    idOf({static_cast<uint8_t>(p), s.others[0], s.others[1], s.others[2]}));
            }
        t.throughCount[p] = k;
    }
    return t;
}

// The table, built by the compiler; safe to use from any thread.
const SquareTable& Squares();

}  // namespace qv
