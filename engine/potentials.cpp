#include "engine/potentials.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/evaluate.h"
#include "engine/potential_tables.h"
#include "model/squares.h"

namespace qv {

namespace fast {

Bits ToBits(const Board& board) {
    Bits bits;
    for (int i = 0; i < kPoints; ++i) {
        if (board[i] == Red) bits.red |= Bit(i);
        if (board[i] == Blue) bits.blue |= Bit(i);
    }
    return bits;
}

namespace {

constexpr std::array<PointSquares, kPoints> BuildSquaresThrough() {
    const SquareTable table = BuildSquareTable();
    std::array<PointSquares, kPoints> lists{};
    for (int p = 0; p < kPoints; ++p) {
        lists[p].count = table.throughCount[p];
        for (int32_t i = 0; i < table.throughCount[p]; ++i) {
            const SquareThrough& s = table.through[p][i];
            SquareEntry& e = lists[p].squares[i];
            e.others = Bit(s.others[0]) | Bit(s.others[1]) | Bit(s.others[2]);
            e.size = s.size;
            e.value = s.size * s.size;
        }
    }
    return lists;
}

// Built by the compiler, like the square table.
constinit const std::array<PointSquares, kPoints> kSquaresThrough = BuildSquaresThrough();

}  // namespace

const std::array<PointSquares, kPoints>& SquaresThrough() {
    return kSquaresThrough;
}

long double ExtendedPower(long double x, int32_t exponent) {
    if (exponent == 0) return 1.0L;
    uint32_t k =
        exponent < 0 ? 0u - static_cast<uint32_t>(exponent) : static_cast<uint32_t>(exponent);
    long double y = 1.0L;
    while (k > 0) {
        if (k & 1u) y *= x;
        k >>= 1;
        x *= x;
    }
    return exponent < 0 ? 1.0L / y : y;
}

namespace {

int32_t WrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

PotentialTables::PotentialTables(const PotentialWeights& w) : weights(w) {
    for (int32_t s = 2; s <= 8; ++s)
        for (int32_t n = 1; n <= 4; ++n) {
            const int32_t x = WrapMul(WrapAdd(s, w[3]), w[4]);
            const int32_t y = WrapMul(WrapAdd(n, w[6]), w[7]);
            float t = static_cast<float>(ExtendedPower(x, w[5]));
            t = static_cast<float>(ExtendedPower(y, w[8]) * static_cast<long double>(t));
            search[s][n] = t;
            rank[s][n] = WrapMul(IntegerPower(x, w[5]), IntegerPower(y, w[8]));
            good[s][n] = n >= w[14] && s >= w[13];
        }
    int shift = 63;
    for (int32_t s = 2; s <= 8; ++s)
        for (int32_t n = 1; n <= 4; ++n)
            if (rank[s][n] != 0)
                shift = std::min(shift, std::countr_zero(static_cast<uint32_t>(rank[s][n])));
    int64_t bound = 0;
    for (const PointSquares& list : SquaresThrough()) {
        int64_t sum = 0;
        for (int32_t i = 0; i < list.count; ++i) {
            int64_t largest = 0;
            for (int32_t n = 1; n <= 4; ++n)
                largest = std::max<int64_t>(
                    largest, std::abs(static_cast<int64_t>(rank[list.squares[i].size][n])));
            sum += largest;
        }
        bound = std::max(bound, sum);
    }
    rankSumExact = shift >= 40 || bound < (int64_t{1} << (24 + shift));
}

const PotentialTables& DefaultTables() {
    static const PotentialTables tables(DefaultWeights());
    return tables;
}

bool PotentialsFinite(const PotentialTables& t) {
    for (int32_t s = 2; s <= 8; ++s)
        for (int32_t n = 1; n <= 4; ++n)
            if (!std::isfinite(t.search[s][n])) return false;
    // The ranking terms are integers and their sums stay far inside a float.
    double bound = 0;
    for (const PointSquares& list : SquaresThrough()) {
        double sum = 1;
        for (int32_t i = 0; i < list.count; ++i) {
            double largest = 0;
            for (int32_t n = 1; n <= 4; ++n)
                largest = std::max(largest, std::fabs(double{t.search[list.squares[i].size][n]}));
            sum += largest;
        }
        bound = std::max(bound, sum);
    }
    // Room for the rounding of a float sum of a few dozen terms.
    return bound <= std::numeric_limits<float>::max() * (1.0 - 1.0 / 65536);
}

float SearchPotentialAt(int p, const Bits& bits, const PotentialTables& t) {
    const PointSquares& list = SquaresThrough()[p];
    const uint64_t occupied = bits.Occupied();
    float pot = 1.0f;
    for (int32_t i = 0; i < list.count; ++i) {
        const SquareEntry& s = list.squares[i];
        if ((bits.red & s.others) && (bits.blue & s.others)) continue;
        pot += t.search[s.size][1 + CountUpTo3(occupied & s.others)];
    }
    return pot;
}

RankedPotential RankingPotentialAt(int p, const Bits& bits, int32_t colour, float score,
                                   const PotentialTables& t) {
    const PointSquares& list = SquaresThrough()[p];
    const uint64_t occupied = bits.Occupied();
    const uint64_t own = bits.Of(colour);
    float pot = 0.0f;
    int32_t good = 0;
    int32_t gain = 0;
    if (t.rankSumExact) {
        int64_t sum = 0;
        for (int32_t i = 0; i < list.count; ++i) {
            const SquareEntry& s = list.squares[i];
            const bool dead = (bits.red & s.others) && (bits.blue & s.others);
            const int32_t live = dead ? 0 : -1;
            const int32_t n = 1 + CountUpTo3(occupied & s.others);
            sum += t.rank[s.size][n] & live;
            good += t.good[s.size][n] & live;
            gain += (own & s.others) == s.others ? s.value : 0;
        }
        pot = static_cast<float>(sum);
    } else {
        for (int32_t i = 0; i < list.count; ++i) {
            const SquareEntry& s = list.squares[i];
            if ((bits.red & s.others) && (bits.blue & s.others)) continue;
            const int32_t n = 1 + CountUpTo3(occupied & s.others);
            if ((own & s.others) == s.others) gain += s.value;
            // The integer term joins the sum exactly; only the sum is rounded.
            pot = static_cast<float>(static_cast<double>(pot) +
                                     static_cast<double>(t.rank[s.size][n]));
            good += t.good[s.size][n];
        }
    }
    if (good >= t.weights[15]) {
        const double g = good;
        pot = static_cast<float>(g * static_cast<double>(pot) * g);
    }
    RankedPotential r{pot, false};
    if (static_cast<float>(gain) >= kWinningScore - score) r = {static_cast<float>(gain), true};
    return r;
}

ScoredMove BestPotentialPointOf(const Bits& bits, const PotentialTables& t,
                                std::array<float, kPoints>& potentials) {
    ScoredMove best{0, 0, -1.0f};
    const uint64_t occupied = bits.Occupied();
    for (int p = 0; p < kPoints; ++p) {
        potentials[p] = 1.0f;
        if (occupied & Bit(p)) continue;
        const float pot = SearchPotentialAt(p, bits, t);
        potentials[p] = pot;
        if (pot > best.score) best = {ColumnOf(p), RowOf(p), pot};
    }
    return best;
}

void RankCandidatesOf(const Bits& bits, int32_t colour, float score, const PotentialTables& t,
                      std::array<float, kPoints>& potentials, CandidateList& list) {
    // The list is kept as an array of point indices: a point that beats the
    // head goes first; any other goes after the head, before the first later
    // point whose key is not above its own. Everything after the head stays in
    // descending order, so that place is a partition point.
    uint8_t order[kPoints];
    int32_t count = 0;
    bool decisiveMode = false;
    const uint64_t occupied = bits.Occupied();
    for (int p = 0; p < kPoints; ++p) {
        potentials[p] = 0.0f;
        if (occupied & Bit(p)) continue;
        const RankedPotential r = RankingPotentialAt(p, bits, colour, score, t);
        const float key = r.value;
        potentials[p] = key;
        if (r.decisive && !decisiveMode) {
            decisiveMode = true;
            count = 0;
        } else if (!r.decisive && decisiveMode) {
            continue;
        }
        int32_t at;
        if (count == 0 || potentials[order[0]] < key) {
            at = 0;
        } else {
            int32_t lo = 1, hi = count;
            while (lo < hi) {
                const int32_t mid = (lo + hi) / 2;
                if (potentials[order[mid]] > key)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            at = lo;
        }
        for (int32_t i = count; i > at; --i) order[i] = order[i - 1];
        order[at] = static_cast<uint8_t>(p);
        ++count;
    }
    if (count == 0) {
        list.head = {0, 0, 0.0f};
        return;
    }
    list.head = {ColumnOf(order[0]), RowOf(order[0]), 0.0f};
    for (int32_t i = 0; i < count; ++i) {
        const int p = order[i];
        ScoredMove& link = list.links[p];
        if (i + 1 < count) {
            link.column = ColumnOf(order[i + 1]);
            link.row = RowOf(order[i + 1]);
        } else {
            link.column = 0;
            link.row = 0;
        }
        link.score = potentials[p];
    }
}

}  // namespace fast

int32_t IntegerPower(int32_t base, int32_t exponent) {
    uint32_t result = 1;
    uint32_t b = static_cast<uint32_t>(base);
    uint32_t k = exponent > 0 ? static_cast<uint32_t>(exponent) : 0u;
    while (k > 0) {
        if (k & 1u) result *= b;
        k >>= 1;
        b *= b;
    }
    return static_cast<int32_t>(result);
}

bool PotentialsFinite(const PotentialWeights& weights) {
    return fast::PotentialsFinite(fast::PotentialTables(weights));
}

float SearchPotential(const Board& board, const PotentialWeights& weights, int32_t column,
                      int32_t row) {
    return fast::SearchPotentialAt(PointIndex(column, row), fast::ToBits(board),
                                   fast::PotentialTables(weights));
}

RankedPotential RankingPotential(const Board& board, const PotentialWeights& weights,
                                 int32_t column, int32_t row, int32_t colour, float score) {
    return fast::RankingPotentialAt(PointIndex(column, row), fast::ToBits(board), colour, score,
                                    fast::PotentialTables(weights));
}

ScoredMove BestPotentialPoint(const Board& board, const PotentialWeights& weights,
                              std::array<float, kPoints>& potentials) {
    return fast::BestPotentialPointOf(fast::ToBits(board), fast::PotentialTables(weights),
                                      potentials);
}

CandidateList RankCandidates(const Board& board, const PotentialWeights& weights, int32_t colour,
                             float ownScore, std::array<float, kPoints>& potentials) {
    CandidateList list;
    fast::RankCandidatesOf(fast::ToBits(board), colour, ownScore, fast::PotentialTables(weights),
                           potentials, list);
    return list;
}

}  // namespace qv
