#pragma once
// The board as the searches see it. Besides the pieces it keeps the corner
// counts of all 336 squares and, per point, sums over the squares through it
// (the ranking or the search terms, the fork-boost squares, the value each
// colour would complete there), all kept up to date as pieces are placed, so
// a node reads them instead of walking every square through every point. A
// node takes a copy of that part before its moves and puts it back after each
// one.
//
// A square adds its term, given its four corner counts, to all four of its
// corners. For an empty point that is exactly the sum over the squares
// through it; an occupied point's sums are meaningless, but they come back
// exactly once the piece is taken off again.
//
// Points are numbered in reading order here (row 1 from column 1 to 8, then
// row 2, ...), the order in which the searches scan; the potentials' column
// order is the transpose.

#include <array>
#include <bit>
#include <cstdint>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/potential_tables.h"
#include "model/squares.h"

namespace qv::fast {

// Reading index <-> the board's column-major index: swapping the two 3-bit
// halves turns either into the other.
constexpr int ReadingIndex(int p) {
    return (p & 7) * 8 + (p >> 3);
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

// One square through a point: its index, its size (also as the first entry
// of its row in the by-size-and-state tables) and its three other corners
// (column-major indices, as the sums are kept).
struct Corner {
    uint16_t id;
    uint16_t row;  // size x kCountStates
    std::array<uint8_t, 3> others;
    uint8_t size;
};

struct PointCorners {
    int32_t count;
    std::array<Corner, kMaxSquaresPerPoint> squares;
};

// By the point's reading index; each point's squares in the potentials'
// visiting order.
extern const std::array<PointCorners, kPoints> kCornersThrough;
inline const std::array<PointCorners, kPoints>& CornersThrough() {
    return kCornersThrough;
}

// The same squares as bit sets of their three other corners (reading order,
// as the board's sets) with their values; the lists are padded to whole
// groups of four with empty sets, which never count.
struct PointOthers {
    int32_t count;  // a multiple of 4
    alignas(32) std::array<uint64_t, kMaxSquaresPerPoint> others;
    std::array<int16_t, kMaxSquaresPerPoint> value;
};
static_assert(kMaxSquaresPerPoint % 4 == 0);
extern const std::array<PointOthers, kPoints> kOthersThrough;

// Below every kept sum (they stay within +-2^24, occupied or not).
constexpr int32_t kOccupiedSum = -(1 << 30);

// Which sum the board keeps per point.
enum class Kept { kNone, kRank, kSearch };

// The terms of one weight vector by square size and corner counts, and what
// the sums of the points can be trusted for.
struct SearchTables {
    // By [size x 25 + state]; 0 for a dead square.
    int32_t rank[9 * kCountStates]{};
    int32_t good[9 * kCountStates]{};
    float search[9 * kCountStates]{};

    // Every ranking sum may be taken as one integer sum (PotentialTables::rankSumExact);
    // the terms share the factor 2^rankShift, and the sums divided by it fit
    // in 24 bits.
    bool rankExact = false;
    int rankShift = 0;
    // No point can get the fork boost: no square qualifies and W15 > 0.
    bool noBoost = false;
    // Every search term is a whole number >= 0 with at least two trailing zero
    // bits (2^searchShift), and no point's sum can reach 2^(24 + searchShift).
    // Then every partial sum is exact and the 1.0 that the sum starts from
    // survives exactly when the total of the terms stays below 2^24 - 1: the
    // potential is a strictly increasing function of that integer total,
    // whatever the order of the additions.
    bool searchExact = false;
    int searchShift = 0;

    // What a square in a state adds to each corner: the kept sums use the
    // terms divided by their shared power of two.
    int32_t rankOf[9 * kCountStates]{};
    int32_t searchOf[9 * kCountStates]{};
    int32_t gainOf[3][9 * kCountStates]{};  // by colour: all the others hold it
    // When a piece of [colour] joins a square in a state: the change of its
    // term, of its fork-boost count, and the value the colour can now complete
    // on the last corner (three of its pieces and that corner empty).
    int32_t rankChange[3][9 * kCountStates]{};
    int32_t searchChange[3][9 * kCountStates]{};
    int32_t goodChange[3][9 * kCountStates]{};
    int32_t threeUp[3][9 * kCountStates]{};

    explicit SearchTables(const PotentialTables& t);
};

// The tables of the default weights.
const SearchTables& DefaultSearchTables();

// The first of 64 sums holding their largest value. Uses AVX-512 or AVX2
// when the processor has them.
int FirstOfLargest(const int32_t* sum);
// The same with 128-bit vectors at most; for the processors without wide
// ones and to check the other against.
int FirstOfLargestPlain(const int32_t* sum);

// The points (bits by index) whose gain is at least need, 1 <= need <= 32767.
[[gnu::always_inline]] inline uint64_t GainsAtLeast(const int16_t* gain, int32_t need) {
#if defined(__SSE2__)
    const __m128i below = _mm_set1_epi16(static_cast<int16_t>(need - 1));
    const auto at = [gain, below](int i) {
        return _mm_cmpgt_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(gain + i)), below);
    };
    uint64_t points = 0;
    for (int i = 0; i < kPoints; i += 16)
        points |= static_cast<uint64_t>(
                      static_cast<uint16_t>(_mm_movemask_epi8(_mm_packs_epi16(at(i), at(i + 8)))))
                  << i;
    return points;
#else
    uint64_t points = 0;
    for (int k = 0; k < kPoints; ++k)
        if (gain[k] >= need) points |= Bit(k);
    return points;
#endif
}

// The points (bits by index) whose sums are at least the n-th largest of
// the 64, equal sums counted one by one (n in 1..64): the n largest and any
// that tie with the last of them. Uses AVX-512 or AVX2 when the processor
// has them.
uint64_t LargestSums(const int32_t* sum, int32_t n);
// The same without wide vectors; for the processors without them and to
// check the other against.
uint64_t LargestSumsPlain(const int32_t* sum, int32_t n);

// Every form of LargestSums and FirstOfLargest this processor can run, the
// one in use first; for the tests, which check them all.
struct LargestForm {
    const char* name;
    uint64_t (*largestSums)(const int32_t* sum, int32_t n);
    int (*firstOfLargest)(const int32_t* sum);
};
std::vector<LargestForm> LargestForms();

// The processor has AVX2 (and popcnt).
extern const bool kWideVectors;

struct SearchBoard {
    // Reading order.
    uint64_t red = 0;
    uint64_t blue = 0;
    uint64_t occupied = 0;

    // What a node copies and puts back.
    struct Sums {
        // Per square its row of the by-size-and-state tables plus its
        // state: the index a piece's change is looked up at, in one load.
        std::array<uint8_t, kSquareCount> state;
        // The kept ranking or search sum, divided by the terms' power of two;
        // by column-major index, the order in which the potentials are read.
        // Occupied points carry kOccupiedSum on top, so that a plain maximum
        // over all 64 finds an empty point.
        int32_t sum[kPoints];
        // By colour - 1: the square values a piece of the colour would
        // complete on the point (ScoreAfterMove's gain), and the points where
        // that is above 0. Kept for empty points only.
        int16_t gain[2][kPoints];
        uint64_t gainers[2];
    } sums{};
    // Fork-boost squares per point (column-major), when they can matter.
    int32_t good[kPoints]{};

    // From the board's column-major bit sets.
    void Load(const Bits& position, Kept kept, const SearchTables& t);
    Bits ColumnBits() const { return {Transpose(red), Transpose(blue)}; }

    int32_t Gain(int32_t colour, int k) const { return sums.gain[colour - 1][k]; }
    uint64_t Gainers(int32_t colour) const { return sums.gainers[colour - 1]; }

    // Places a piece and brings the kept sums up to date; taking it off again
    // is Unmark and putting back the copy of sums (and good) taken before.
    // States: the squares' states are brought up to date too (only a later
    // Place reads them).
    template <Kept K, bool TrackGood, bool States = true>
    void Place(int k, int32_t colour, const SearchTables& t) {
        if constexpr (K == Kept::kNone && !TrackGood && !States) {
            if (kWideVectors) {
                PlaceForGains(k, colour);
                return;
            }
        }
        PlaceLoop<K, TrackGood, States>(k, colour, t);
    }

    // Place when only the mover's gains are to be kept, four squares at a
    // time with wide vectors (only when the processor has them).
    void PlaceForGains(int k, int32_t colour);

    // Place, square by square through the point.
    template <Kept K, bool TrackGood, bool States>
    void PlaceLoop(int k, int32_t colour, const SearchTables& t) {
        const int step = colour == Red ? kRedStep : kBlueStep;
        const PointCorners& list = CornersThrough()[k];
        const int32_t* change = K == Kept::kRank     ? t.rankChange[colour]
                                : K == Kept::kSearch ? t.searchChange[colour]
                                                     : nullptr;
        const int32_t* threeUp = t.threeUp[colour];
        int16_t* gain = sums.gain[colour - 1];
        const int32_t count = list.count;
        for (int32_t i = 0; i < count; ++i) {
            const Corner& c = list.squares[i];
            const int at = sums.state[c.id];
            if constexpr (States) sums.state[c.id] = static_cast<uint8_t>(at + step);
            if constexpr (K != Kept::kNone) {
                const int32_t d = change[at];
                sums.sum[c.others[0]] += d;
                sums.sum[c.others[1]] += d;
                sums.sum[c.others[2]] += d;
            }
            if constexpr (TrackGood) {
                const int32_t d = t.goodChange[colour][at];
                good[c.others[0]] += d;
                good[c.others[1]] += d;
                good[c.others[2]] += d;
            }
            if (threeUp[at] != 0) {
                // The mover now holds three corners; the fourth is the one
                // of the others still empty. (A square that only loses the
                // other colour's three corners changes nothing on an empty
                // point: all its other corners are occupied.)
                const int q = std::countr_zero(kOthersThrough[k].others[i] & ~occupied);
                gain[q] = static_cast<int16_t>(gain[q] + threeUp[at]);
                sums.gainers[colour - 1] |= Bit(q);
            }
        }
        if constexpr (K != Kept::kNone) sums.sum[ReadingIndex(k)] += kOccupiedSum;
        Mark(k, colour);
    }

    // Occupancy only: enough for a move whose reply is a horizon node, which
    // reads nothing but the occupancy and its own colour's gains; a piece
    // never changes the other colour's gains on the points left empty.
    void Mark(int k, int32_t colour) {
        (colour == Red ? red : blue) |= Bit(k);
        occupied |= Bit(k);
    }
    void Unmark(int k, int32_t colour) {
        (colour == Red ? red : blue) &= ~Bit(k);
        occupied &= ~Bit(k);
    }
};

}  // namespace qv::fast
