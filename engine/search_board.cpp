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
constexpr std::array<PointCorners, kPoints> kCornersThrough = BuildCornersThrough();

namespace {

constexpr std::array<PointOthers, kPoints> BuildOthersThrough() {
    std::array<PointOthers, kPoints> lists{};
    for (int k = 0; k < kPoints; ++k) {
        const PointCorners& from = kCornersThrough[k];
        PointOthers& list = lists[k];
        list.count = (from.count + 3) / 4 * 4;
        for (int32_t i = 0; i < from.count; ++i) {
            const Corner& c = from.squares[i];
            for (const uint8_t o : c.others) list.others[i] |= Bit(ReadingIndex(o));
            list.value[i] = static_cast<int16_t>(c.size * c.size);
        }
    }
    return lists;
}

}  // namespace

constinit const std::array<PointOthers, kPoints> kOthersThrough = BuildOthersThrough();

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

int FirstOfLargestPlain(const int32_t* sum) {
#if defined(__SSE2__)
    const auto at = [sum](int i) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(sum + i));
    };
    const auto max = [](__m128i a, __m128i b) {
        const __m128i greater = _mm_cmpgt_epi32(a, b);
        return _mm_or_si128(_mm_and_si128(greater, a), _mm_andnot_si128(greater, b));
    };
    __m128i top = max(max(at(0), at(4)), max(at(8), at(12)));
    for (int i = 16; i < 64; i += 16)
        top = max(top, max(max(at(i), at(i + 4)), max(at(i + 8), at(i + 12))));
    top = max(top, _mm_shuffle_epi32(top, _MM_SHUFFLE(1, 0, 3, 2)));
    top = max(top, _mm_shuffle_epi32(top, _MM_SHUFFLE(2, 3, 0, 1)));
    for (int i = 0;; i += 4) {
        const int hits = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(at(i), top)));
        if (hits != 0) return i + std::countr_zero(static_cast<unsigned>(hits));
    }
#else
    int32_t top = sum[0];
    for (int p = 1; p < 64; ++p) top = sum[p] > top ? sum[p] : top;
    int p = 0;
    while (sum[p] != top) ++p;
    return p;
#endif
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

// The largest of eight vectors' lanes, in every lane.
__attribute__((target("avx2"))) inline __m256i LargestLane(const __m256i* v) {
    __m256i top = _mm256_max_epi32(
        _mm256_max_epi32(_mm256_max_epi32(v[0], v[1]), _mm256_max_epi32(v[2], v[3])),
        _mm256_max_epi32(_mm256_max_epi32(v[4], v[5]), _mm256_max_epi32(v[6], v[7])));
    top = _mm256_max_epi32(top, _mm256_permute2x128_si256(top, top, 1));
    top = _mm256_max_epi32(top, _mm256_shuffle_epi32(top, _MM_SHUFFLE(1, 0, 3, 2)));
    return _mm256_max_epi32(top, _mm256_shuffle_epi32(top, _MM_SHUFFLE(2, 3, 0, 1)));
}

// Each round takes the largest sum left and how often it occurs, and takes
// those out of the later rounds (as INT32_MIN, which is then the largest left
// only once every other value is out). The points are those at least the
// last round's value.
__attribute__((target("avx2,popcnt"))) uint64_t LargestSumsAvx2(const int32_t* sum, int32_t n) {
    __m256i v[8];
    for (int i = 0; i < 8; ++i)
        v[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sum + 8 * i));
    const __m256i out = _mm256_set1_epi32(INT32_MIN);
    int32_t floor;
    for (;;) {
        const __m256i top = LargestLane(v);
        floor = _mm256_cvtsi256_si32(top);
        if (floor == INT32_MIN) return ~uint64_t{0};
        // Lanes equal to the top count -1 each.
        __m256i count = _mm256_setzero_si256();
        for (int i = 0; i < 8; ++i) {
            const __m256i same = _mm256_cmpeq_epi32(v[i], top);
            count = _mm256_add_epi32(count, same);
            v[i] = _mm256_blendv_epi8(v[i], out, same);
        }
        __m128i c =
            _mm_add_epi32(_mm256_castsi256_si128(count), _mm256_extracti128_si256(count, 1));
        c = _mm_add_epi32(c, _mm_shuffle_epi32(c, _MM_SHUFFLE(1, 0, 3, 2)));
        c = _mm_add_epi32(c, _mm_shuffle_epi32(c, _MM_SHUFFLE(2, 3, 0, 1)));
        n += _mm_cvtsi128_si32(c);
        if (n <= 0) break;
    }
    const __m256i below = _mm256_set1_epi32(floor - 1);
    uint64_t points = 0;
    for (int i = 0; i < 8; ++i) {
        const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sum + 8 * i));
        points |= static_cast<uint64_t>(static_cast<uint32_t>(
                      _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(at, below)))))
                  << (8 * i);
    }
    return points;
}

__attribute__((target("avx2"))) int FirstOfLargestAvx2(const int32_t* sum) {
    __m256i v[8];
    for (int i = 0; i < 8; ++i)
        v[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sum + 8 * i));
    const __m256i top = LargestLane(v);
    for (int i = 0;; ++i) {
        const int hits = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(v[i], top)));
        if (hits != 0) return 8 * i + std::countr_zero(static_cast<unsigned>(hits));
    }
}

// What a piece of the mover at k adds to its gains: each square through k in
// which the mover now holds three corners adds its value to the fourth, the
// one of its others that is not the mover's; that one must be empty (then
// the square is not dead). Four squares at a time.
[[gnu::always_inline]] __attribute__((target("avx2"))) inline void AddGainsAvx2(int k, uint64_t own,
                                                                                uint64_t occupied,
                                                                                int16_t* gain,
                                                                                uint64_t& gainers) {
    const PointOthers& list = kOthersThrough[k];
    const __m256i mine = _mm256_set1_epi64x(static_cast<int64_t>(own));
    const __m256i taken = _mm256_set1_epi64x(static_cast<int64_t>(occupied));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi64x(1);
    for (int32_t i = 0; i < list.count; i += 4) {
        const __m256i others =
            _mm256_load_si256(reinterpret_cast<const __m256i*>(list.others.data() + i));
        // The others that are not the mover's: exactly one, and empty.
        const __m256i rest = _mm256_andnot_si256(mine, others);
        const __m256i several =
            _mm256_cmpeq_epi64(_mm256_and_si256(rest, _mm256_sub_epi64(rest, one)), zero);
        const __m256i none = _mm256_cmpeq_epi64(rest, zero);
        const __m256i free = _mm256_cmpeq_epi64(_mm256_and_si256(rest, taken), zero);
        const __m256i hit = _mm256_andnot_si256(none, _mm256_and_si256(several, free));
        for (auto hits = static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(hit)));
             hits != 0; hits &= hits - 1) {
            const int32_t j = i + std::countr_zero(hits);
            const int q = std::countr_zero(list.others[j] & ~own);
            gain[q] = static_cast<int16_t>(gain[q] + list.value[j]);
            gainers |= Bit(q);
        }
    }
}

// The same with 512-bit vectors: the 64 sums in four, and the lanes that
// hold a value as the bits of a mask, so that counting and taking them out
// are single steps. (GCC 12 warns that its own 512-bit intrinsics read an
// uninitialised vector: they leave the unused lanes so on purpose.)
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

__attribute__((target("avx512f"))) inline __m512i LargestLane512(const __m512i* v) {
    __m512i top = _mm512_max_epi32(_mm512_max_epi32(v[0], v[1]), _mm512_max_epi32(v[2], v[3]));
    top = _mm512_max_epi32(top, _mm512_shuffle_i32x4(top, top, _MM_SHUFFLE(1, 0, 3, 2)));
    top = _mm512_max_epi32(top, _mm512_shuffle_i32x4(top, top, _MM_SHUFFLE(2, 3, 0, 1)));
    top = _mm512_max_epi32(
        top, _mm512_shuffle_epi32(top, static_cast<_MM_PERM_ENUM>(_MM_SHUFFLE(1, 0, 3, 2))));
    return _mm512_max_epi32(
        top, _mm512_shuffle_epi32(top, static_cast<_MM_PERM_ENUM>(_MM_SHUFFLE(2, 3, 0, 1))));
}

__attribute__((target("avx512f,popcnt"))) uint64_t LargestSums512(const int32_t* sum, int32_t n) {
    __m512i v[4];
    for (int i = 0; i < 4; ++i) v[i] = _mm512_loadu_si512(sum + 16 * i);
    const __m512i out = _mm512_set1_epi32(INT32_MIN);
    int32_t floor;
    for (;;) {
        const __m512i top = LargestLane512(v);
        floor = _mm512_cvtsi512_si32(top);
        if (floor == INT32_MIN) return ~uint64_t{0};
        for (int i = 0; i < 4; ++i) {
            const __mmask16 same = _mm512_cmpeq_epi32_mask(v[i], top);
            n -= std::popcount(static_cast<unsigned>(same));
            v[i] = _mm512_mask_mov_epi32(v[i], same, out);
        }
        if (n <= 0) break;
    }
    const __m512i below = _mm512_set1_epi32(floor - 1);
    uint64_t points = 0;
    for (int i = 0; i < 4; ++i)
        points |= uint64_t{_mm512_cmpgt_epi32_mask(_mm512_loadu_si512(sum + 16 * i), below)}
                  << (16 * i);
    return points;
}

__attribute__((target("avx512f"))) int FirstOfLargest512(const int32_t* sum) {
    __m512i v[4];
    for (int i = 0; i < 4; ++i) v[i] = _mm512_loadu_si512(sum + 16 * i);
    const __m512i top = LargestLane512(v);
    uint64_t hits = 0;
    for (int i = 0; i < 4; ++i) hits |= uint64_t{_mm512_cmpeq_epi32_mask(v[i], top)} << (16 * i);
    return std::countr_zero(hits);
}

#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

bool HasAvx512() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("popcnt");
}
const bool hasAvx512 = HasAvx512();

bool HasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
}
const bool hasAvx2 = HasAvx2();

}  // namespace

const bool kWideVectors = hasAvx2;

uint64_t LargestSums(const int32_t* sum, int32_t n) {
    return hasAvx512 ? LargestSums512(sum, n)
           : hasAvx2 ? LargestSumsAvx2(sum, n)
                     : LargestSumsPlain(sum, n);
}
__attribute__((target("avx2"))) void SearchBoard::PlaceForGains(int k, int32_t colour) {
    AddGainsAvx2(k, colour == Red ? red : blue, occupied, sums.gain[colour - 1],
                 sums.gainers[colour - 1]);
    Mark(k, colour);
}
int FirstOfLargest(const int32_t* sum) {
    return hasAvx512 ? FirstOfLargest512(sum)
           : hasAvx2 ? FirstOfLargestAvx2(sum)
                     : FirstOfLargestPlain(sum);
}
std::vector<LargestForm> LargestForms() {
    std::vector<LargestForm> forms;
    if (hasAvx512) forms.push_back({"avx512", &LargestSums512, &FirstOfLargest512});
    if (hasAvx2) forms.push_back({"avx2", &LargestSumsAvx2, &FirstOfLargestAvx2});
    forms.push_back({"plain", &LargestSumsPlain, &FirstOfLargestPlain});
    return forms;
}
#else
uint64_t LargestSums(const int32_t* sum, int32_t n) {
    return LargestSumsPlain(sum, n);
}
const bool kWideVectors = false;
void SearchBoard::PlaceForGains(int, int32_t) {}
int FirstOfLargest(const int32_t* sum) {
    return FirstOfLargestPlain(sum);
}
std::vector<LargestForm> LargestForms() {
    return {{"plain", &LargestSumsPlain, &FirstOfLargestPlain}};
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
