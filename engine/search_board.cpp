#include "engine/search_board.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace qv::fast {

namespace {

static_assert(Transpose(Bit(PointIndex(3, 5))) == Bit(ReadingIndexOf(3, 5)));
static_assert(ReadingIndex(ReadingIndex(PointIndex(7, 2))) == PointIndex(7, 2));
static_assert(ColumnOfReading(ReadingIndexOf(7, 2)) == 7 &&
              RowOfReading(ReadingIndexOf(7, 2)) == 2);

constexpr std::array<PointCorners, kPoints> BuildCornersThrough() {
    const SquareTable table = BuildSquareTable();
    std::array<PointCorners, kPoints> lists{};
    for (int p = 0; p < kPoints; ++p) {
        PointCorners& list = lists[ReadingIndex(p)];
        list.count = table.throughCount[p];
        for (int32_t i = 0; i < table.throughCount[p]; ++i) {
            const SquareThrough& s = table.through[p][i];
            list.squares[i] = {static_cast<uint16_t>(s.id),
                               static_cast<uint16_t>(s.size * kCountStates), s.others, s.size};
        }
    }
    return lists;
}

int32_t Reds(int state) {
    return state % 5;
}
int32_t Blues(int state) {
    return state / 5;
}

// The largest power of two (up to 2^62) that divides every search term, or
// -1 when a term is not a whole number in 0 .. 2^62.
int SearchTermShift(const PotentialTables& t) {
    int shift = 62;
    for (int32_t s = 2; s <= 8; ++s)
        for (int32_t n = 1; n <= 4; ++n) {
            const float f = t.search[s][n];
            if (!(f >= 0.0f) || !(f < 0x1p62f) || f != std::floor(f)) return -1;
            const auto v = static_cast<uint64_t>(f);
            if (v != 0) shift = std::min(shift, std::countr_zero(v));
        }
    return shift;
}

// The shift of the search terms when their sums are exact (see
// SearchTables::searchExact), else -1.
int ExactSearchShift(const PotentialTables& t) {
    int shift = SearchTermShift(t);
    if (shift == 62) return 0;  // every term is 0
    if (shift < 2) return -1;
    shift = std::min(shift, 38);
    const uint64_t limit = uint64_t{1} << (24 + shift);
    for (const PointCorners& list : CornersThrough()) {
        uint64_t sum = 0;
        for (int32_t i = 0; i < list.count; ++i) {
            float largest = 0.0f;
            for (int32_t n = 1; n <= 4; ++n)
                largest = std::max(largest, t.search[list.squares[i].size][n]);
            sum += static_cast<uint64_t>(largest);
            if (sum >= limit) return -1;
        }
    }
    return shift;
}

// The power of two shared by all ranking terms (up to 2^31: a term that
// wraps around to -2^31 is one too).
int RankShift(const PotentialTables& t) {
    int shift = 32;
    for (int32_t s = 2; s <= 8; ++s)
        for (int32_t n = 1; n <= 4; ++n)
            if (t.rank[s][n] != 0)
                shift = std::min(shift, std::countr_zero(static_cast<uint32_t>(t.rank[s][n])));
    return shift == 32 ? 0 : shift;
}

}  // namespace

// Built by the compiler, like the square table.
constinit const std::array<PointCorners, kPoints> kCornersThrough = BuildCornersThrough();

SearchTables::SearchTables(const PotentialTables& t) {
    rankExact = t.rankSumExact;
    rankShift = RankShift(t);
    searchShift = ExactSearchShift(t);
    searchExact = searchShift >= 0;
    if (!searchExact) searchShift = 0;
    bool anyGood = false;
    for (int32_t s = 2; s <= 8; ++s)
        for (int32_t n = 1; n <= 4; ++n) anyGood = anyGood || t.good[s][n] != 0;
    noBoost = !anyGood && t.weights[15] > 0;

    for (int32_t s = 2; s <= 8; ++s)
        for (int state = 0; state < kCountStates; ++state) {
            const int32_t reds = Reds(state), blues = Blues(state);
            if (reds + blues > 4 || Dead(state)) continue;
            const int at = s * kCountStates + state;
            // Only an empty corner reads these, so at most three corners are
            // occupied; the fourth count only ever reaches occupied corners.
            const int32_t n = std::min(1 + reds + blues, 4);
            rank[at] = t.rank[s][n];
            good[at] = t.good[s][n];
            search[at] = t.search[s][n];
            if (rankExact) rankOf[at] = t.rank[s][n] >> rankShift;
            if (searchExact)
                searchOf[at] =
                    static_cast<int32_t>(static_cast<int64_t>(t.search[s][n]) >> searchShift);
            if (reds == 3 && blues == 0) gainOf[Red][at] = s * s;
            if (blues == 3 && reds == 0) gainOf[Blue][at] = s * s;
        }
    for (int32_t colour = Red; colour <= Blue; ++colour)
        for (int32_t s = 2; s <= 8; ++s)
            for (int state = 0; state < kCountStates; ++state) {
                const int32_t reds = Reds(state), blues = Blues(state);
                if (Dead(state) || reds + blues >= 4) continue;
                const int at = s * kCountStates + state;
                const int after = at + (colour == Red ? kRedStep : kBlueStep);
                rankChange[colour][at] = rankOf[after] - rankOf[at];
                searchChange[colour][at] = searchOf[after] - searchOf[at];
                goodChange[colour][at] = good[after] - good[at];
                const int32_t own = colour == Red ? reds : blues;
                const int32_t other = colour == Red ? blues : reds;
                if (own == 2 && other == 0) threeUp[colour][at] = s * s;
            }
}

const SearchTables& DefaultSearchTables() {
    static const SearchTables tables(DefaultTables());
    return tables;
}

uint64_t LargestSumsPlain(const int32_t* sum, int32_t n) {
    int32_t below = INT32_MAX;
    bool first = true;
    int32_t floor = INT32_MIN;
    for (;;) {
        int32_t top = INT32_MIN;
        int32_t count = 0;
        for (int p = 0; p < kPoints; ++p) {
            const int32_t v = sum[p];
            if (!first && v >= below) continue;
            if (count == 0 || v > top) {
                top = v;
                count = 1;
            } else if (v == top) {
                ++count;
            }
        }
        if (count == 0) break;
        floor = top;
        if (count >= n) break;
        n -= count;
        below = top;
        first = false;
    }
    uint64_t points = 0;
    for (int p = 0; p < kPoints; ++p)
        if (sum[p] >= floor) points |= Bit(p);
    return points;
}

#if defined(__x86_64__) && defined(__GNUC__)
namespace {

// Each round takes the largest sum left and how often it occurs, eight
// lanes at a time, and takes those out of the later rounds.
__attribute__((target("avx2,popcnt"))) uint64_t LargestSumsAvx2(const int32_t* sum, int32_t n) {
    __m256i v[8];
    for (int i = 0; i < 8; ++i)
        v[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sum + 8 * i));
    uint64_t points = 0;
    for (int32_t left = kPoints; left > 0;) {
        __m256i top = _mm256_max_epi32(
            _mm256_max_epi32(_mm256_max_epi32(v[0], v[1]), _mm256_max_epi32(v[2], v[3])),
            _mm256_max_epi32(_mm256_max_epi32(v[4], v[5]), _mm256_max_epi32(v[6], v[7])));
        top = _mm256_max_epi32(top, _mm256_permute2x128_si256(top, top, 1));
        top = _mm256_max_epi32(top, _mm256_shuffle_epi32(top, _MM_SHUFFLE(1, 0, 3, 2)));
        top = _mm256_max_epi32(top, _mm256_shuffle_epi32(top, _MM_SHUFFLE(2, 3, 0, 1)));
        uint64_t hits = 0;
        for (int i = 0; i < 8; ++i) {
            const __m256i same =
                _mm256_and_si256(_mm256_cmpeq_epi32(v[i], top),
                                 _mm256_cmpgt_epi32(v[i], _mm256_set1_epi32(INT32_MIN)));
            hits |= static_cast<uint64_t>(
                        static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(same))))
                    << (8 * i);
            v[i] = _mm256_blendv_epi8(v[i], _mm256_set1_epi32(INT32_MIN), same);
        }
        if (hits == 0) {
            // Only INT32_MIN is left: every one of those is at least it.
            for (int p = 0; p < kPoints; ++p)
                if (sum[p] == INT32_MIN) points |= Bit(p);
            break;
        }
        points |= hits;
        const auto count = static_cast<int32_t>(__builtin_popcountll(hits));
        if (count >= n) break;
        n -= count;
        left -= count;
    }
    return points;
}

using LargestSumsFn = uint64_t (*)(const int32_t*, int32_t);
LargestSumsFn ChooseLargestSums() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") ? LargestSumsAvx2
                                                                              : LargestSumsPlain;
}
const LargestSumsFn largestSums = ChooseLargestSums();

}  // namespace

uint64_t LargestSums(const int32_t* sum, int32_t n) {
    return largestSums(sum, n);
}
#else
uint64_t LargestSums(const int32_t* sum, int32_t n) {
    return LargestSumsPlain(sum, n);
}
#endif

void SearchBoard::Load(const Bits& position, Kept kept, const SearchTables& t) {
    *this = SearchBoard{};
    red = Transpose(position.red);
    blue = Transpose(position.blue);
    occupied = red | blue;
    const SquareTable& table = Squares();
    for (int i = 0; i < kSquareCount; ++i) {
        const Square& s = table.squares[i];
        int st = 0;
        for (const uint8_t corner : s.corners) {
            if (position.red & Bit(corner)) st += kRedStep;
            if (position.blue & Bit(corner)) st += kBlueStep;
        }
        const int at = s.size * kCountStates + st;
        static_assert(8 * kCountStates + kCountStates - 1 <= UINT8_MAX);
        sums.state[i] = static_cast<uint8_t>(at);
        for (const uint8_t corner : s.corners) {
            const int q = ReadingIndex(corner);
            if (kept == Kept::kRank) sums.sum[corner] += t.rankOf[at];
            if (kept == Kept::kSearch) sums.sum[corner] += t.searchOf[at];
            good[corner] += t.good[at];
            sums.gain[0][q] = static_cast<int16_t>(sums.gain[0][q] + t.gainOf[Red][at]);
            sums.gain[1][q] = static_cast<int16_t>(sums.gain[1][q] + t.gainOf[Blue][at]);
        }
    }
    for (int q = 0; q < kPoints; ++q) {
        for (int32_t k = 0; k < 2; ++k)
            if (sums.gain[k][q] > 0 && !(occupied & Bit(q))) sums.gainers[k] |= Bit(q);
        if (kept != Kept::kNone && (occupied & Bit(q))) sums.sum[ReadingIndex(q)] += kOccupiedSum;
    }
}

}  // namespace qv::fast
