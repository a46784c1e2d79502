#pragma once
// The potentials on a bit-set form of the board, shared by the searches and the
// diagnostics. Terms are looked up per (size, corner count), and every sum is
// still taken square by square in the fixed visiting order, so each float
// rounding happens exactly where the plain formulas have it.

#include <array>
#include <cstdint>

#include "engine/potentials.h"
#include "engine/types.h"
#include "model/squares.h"

namespace qv::fast {

constexpr uint64_t Bit(int index) {
    return uint64_t{1} << index;
}

// Set bits, inline: without a popcount instruction in the target the library
// call costs more than the count.
constexpr int32_t Popcount(uint64_t x) {
#if defined(__POPCNT__)
    return static_cast<int32_t>(__builtin_popcountll(x));
#else
    x = x - ((x >> 1) & 0x5555555555555555u);
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int32_t>((x * 0x0101010101010101u) >> 56);
#endif
}

struct Bits {
    uint64_t red = 0;
    uint64_t blue = 0;
    uint64_t Of(int32_t colour) const { return colour == Red ? red : blue; }
    uint64_t Occupied() const { return red | blue; }
};

Bits ToBits(const Board& board);

// One square through a point: the bits of its three other corners.
struct SquareEntry {
    uint64_t others;
    int32_t size;   // 2..8
    int32_t value;  // size squared
};

struct PointSquares {
    int32_t count;
    std::array<SquareEntry, kMaxSquaresPerPoint> squares;
};

// Per point, its squares in the visiting order of the potentials (the other
// corner q by column, then row).
const std::array<PointSquares, kPoints>& SquaresThrough();

// Number of set bits in a value with at most three set bits.
inline int32_t CountUpTo3(uint64_t x) {
    int32_t n = x != 0;
    x &= x - 1;
    n += x != 0;
    x &= x - 1;
    return n + (x != 0);
}

// The terms of one weight vector, by [size][corner count].
struct PotentialTables {
    PotentialWeights weights{};
    float search[9][5]{};
    int32_t rank[9][5]{};
    int32_t good[9][5]{};  // 1 when such a square counts for the fork boost
    // Every partial sum of ranking terms at any point is exactly representable
    // in a float (the terms share a power-of-two factor and stay small enough),
    // so a plain integer sum gives the same result as the float chain.
    bool rankSumExact = false;

    explicit PotentialTables(const PotentialWeights& w);
};

// The tables of the default weights.
const PotentialTables& DefaultTables();

// Whether every search potential the tables can give is a finite number:
// every term is, and so is the largest sum of terms at any point (a sum that
// overflows is infinite, and a sum of opposite infinities is not a number).
bool PotentialsFinite(const PotentialTables& t);

long double ExtendedPower(long double x, int32_t exponent);

float SearchPotentialAt(int p, const Bits& bits, const PotentialTables& t);
RankedPotential RankingPotentialAt(int p, const Bits& bits, int32_t colour, float score,
                                   const PotentialTables& t);
ScoredMove BestPotentialPointOf(const Bits& bits, const PotentialTables& t,
                                std::array<float, kPoints>& potentials);
void RankCandidatesOf(const Bits& bits, int32_t colour, float score, const PotentialTables& t,
                      std::array<float, kPoints>& potentials, CandidateList& list);

}  // namespace qv::fast
