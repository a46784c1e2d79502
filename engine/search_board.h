#pragma once
// The board as the searches see it. Besides the pieces it keeps the corner
// counts of all 336 squares and, per point, sums over the squares through it
// (ranking and search terms, fork-boost squares, the value each colour would
// complete there), all kept up to date as pieces are placed and removed, so a
// node reads them instead of walking every square through every point.
//
// Every point's sums are kept as if the point were empty: a square adds its
// term, given its four corner counts, to all four of its corners. For an empty
// point that is exactly the sum over the squares through it; for an occupied
// point it is meaningless until the piece is removed again, and since all sums
// are integers they come back exactly.
//
// Points are numbered in reading order here (row 1 from column 1 to 8, then
// row 2, ...), the order in which the searches scan; the potentials' column
// order is the transpose.

#include <array>
#include <cstdint>

#include "engine/potential_tables.h"
#include "model/squares.h"

namespace qv::fast {

// Reading index <-> the board's column-major index.
constexpr int ReadingIndex(int p) {
    return (p & 7) * 8 + (p >> 3);
}
constexpr int FromReading(int k) {
    return (k & 7) * 8 + (k >> 3);
}
constexpr int32_t ColumnOfReading(int k) {
    return (k & 7) + 1;
}
constexpr int32_t RowOfReading(int k) {
    return (k >> 3) + 1;
}
constexpr int ReadingIndexOf(int32_t column, int32_t row) {
    return (row - 1) * 8 + (column - 1);
}

// Swaps the bit of (column, row) with the bit of (row, column): turns a set
// of points in reading order into the same set in column order and back.
constexpr uint64_t Transpose(uint64_t x) {
    x = (x & 0xAA55AA55AA55AA55u) | ((x & 0x00AA00AA00AA00AAu) << 7) |
        ((x >> 7) & 0x00AA00AA00AA00AAu);
    x = (x & 0xCCCC3333CCCC3333u) | ((x & 0x0000CCCC0000CCCCu) << 14) |
        ((x >> 14) & 0x0000CCCC0000CCCCu);
    x = (x & 0xF0F0F0F00F0F0F0Fu) | ((x & 0x00000000F0F0F0F0u) << 28) |
        ((x >> 28) & 0x00000000F0F0F0F0u);
    return x;
}

// A square's corner counts as one number: reds + 5 x blues.
constexpr int kCountStates = 25;
constexpr int kRedStep = 1;
constexpr int kBlueStep = 5;
constexpr bool Dead(int state) {
    return state % 5 > 0 && state / 5 > 0;
}

// One square through a point: its index, size and three other corners
// (reading indices).
struct Corner {
    uint16_t id;
    uint8_t size;
    std::array<uint8_t, 3> others;
};

struct PointCorners {
    int32_t count;
    std::array<Corner, kMaxSquaresPerPoint> squares;
};

// By reading index; each point's squares in the potentials' visiting order.
const std::array<PointCorners, kPoints>& CornersThrough();

// The terms of one weight vector by square size and corner counts, and what
// the sums of the points can be trusted for.
struct SearchTables {
    // By [size][state]; 0 for a dead square.
    int32_t rank[9][kCountStates]{};
    int32_t good[9][kCountStates]{};
    float search[9][kCountStates]{};

    // Every ranking sum may be taken as one integer sum (PotentialTables::rankSumExact).
    bool rankExact = false;
    // No point can get the fork boost: no square qualifies and W15 > 0.
    bool noBoost = false;
    // Every search term is a whole number >= 0 with at least two trailing zero
    // bits, and no point's sum can reach the float grid spacing of those bits
    // times 2^24. Then every partial sum is exact and the 1.0 that the sum
    // starts from survives exactly when the total of the terms stays below
    // 2^24 - 1: the potential is a strictly increasing function of that
    // integer total, whatever the order of the additions.
    bool searchExact = false;

    // What a square of [size] in [state] adds to each of its corners.
    int64_t rankOf[9][kCountStates]{};
    int64_t searchOf[9][kCountStates]{};
    int32_t goodOf[9][kCountStates]{};
    int32_t gainOf[3][9][kCountStates]{};  // by colour

    // The changes when a piece of [colour] joins a square of [size] in [state].
    enum : uint8_t { kLive = 1, kGains = 2 };
    uint8_t changes[3][9][kCountStates]{};
    int64_t rankChange[3][9][kCountStates]{};
    int64_t searchChange[3][9][kCountStates]{};
    int32_t goodChange[3][9][kCountStates]{};
    int32_t gainChange[3][9][kCountStates][3]{};

    explicit SearchTables(const PotentialTables& t);
};

// What to keep up to date besides the corner counts and the gains.
enum Track : int { kTrackNone = 0, kTrackRank = 1, kTrackGood = 2, kTrackSearch = 4 };

struct SearchBoard {
    // Reading order.
    uint64_t red = 0;
    uint64_t blue = 0;
    uint64_t occupied = 0;
    std::array<uint8_t, kSquareCount> state{};
    // By colour: the square values a piece of the colour would complete on
    // each point (ScoreAfterMove's gain), and the points where that is above 0.
    int32_t gain[3][kPoints]{};
    uint64_t gainers[3]{};
    int64_t rank[kPoints]{};
    int32_t good[kPoints]{};
    int64_t search[kPoints]{};

    // From the board's column-major bit sets.
    void Load(const Bits& position, const SearchTables& t);
    Bits ColumnBits() const { return {Transpose(red), Transpose(blue)}; }

    template <int Tracked>
    void Place(int k, int32_t colour, const SearchTables& t) {
        Mark(k, colour);
        Apply<Tracked, 1>(k, colour, t);
    }

    template <int Tracked>
    void Remove(int k, int32_t colour, const SearchTables& t) {
        Unmark(k, colour);
        Apply<Tracked, -1>(k, colour, t);
    }

    // Occupancy only, for a move whose reply is a horizon node: the reply
    // reads nothing but the occupancy and its own colour's gains, and a piece
    // never changes the other colour's gains on the points left empty.
    void Mark(int k, int32_t colour) {
        (colour == Red ? red : blue) |= Bit(k);
        occupied |= Bit(k);
    }
    void Unmark(int k, int32_t colour) {
        (colour == Red ? red : blue) &= ~Bit(k);
        occupied &= ~Bit(k);
    }

  private:
    template <int Tracked, int Sign>
    void Apply(int k, int32_t colour, const SearchTables& t) {
        const int step = colour == Red ? kRedStep : kBlueStep;
        const PointCorners& list = CornersThrough()[k];
        const uint8_t(&changes)[9][kCountStates] = t.changes[colour];
        for (int32_t i = 0; i < list.count; ++i) {
            const Corner& c = list.squares[i];
            int before;
            if constexpr (Sign > 0) {
                before = state[c.id];
                state[c.id] = static_cast<uint8_t>(before + step);
            } else {
                before = state[c.id] - step;
                state[c.id] = static_cast<uint8_t>(before);
            }
            const uint8_t what = changes[c.size][before];
            if (what == 0) continue;
            if constexpr ((Tracked & kTrackRank) != 0) {
                const int64_t d = Sign * t.rankChange[colour][c.size][before];
                rank[c.others[0]] += d;
                rank[c.others[1]] += d;
                rank[c.others[2]] += d;
            }
            if constexpr ((Tracked & kTrackGood) != 0) {
                const int32_t d = Sign * t.goodChange[colour][c.size][before];
                good[c.others[0]] += d;
                good[c.others[1]] += d;
                good[c.others[2]] += d;
            }
            if constexpr ((Tracked & kTrackSearch) != 0) {
                const int64_t d = Sign * t.searchChange[colour][c.size][before];
                search[c.others[0]] += d;
                search[c.others[1]] += d;
                search[c.others[2]] += d;
            }
            if (what & SearchTables::kGains) {
                const int32_t(&d)[3] = t.gainChange[colour][c.size][before];
                for (const uint8_t q : c.others) {
                    for (int32_t k2 = Red; k2 <= Blue; ++k2) {
                        gain[k2][q] += Sign * d[k2];
                        gainers[k2] = (gainers[k2] & ~Bit(q)) | (gain[k2][q] > 0 ? Bit(q) : 0);
                    }
                }
            }
        }
    }
};

}  // namespace qv::fast
