#include "engine/search_board.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace qv::fast {

namespace {

static_assert(Transpose(Bit(PointIndex(3, 5))) == Bit(ReadingIndexOf(3, 5)));
static_assert(FromReading(ReadingIndex(PointIndex(7, 2))) == PointIndex(7, 2));
static_assert(ColumnOfReading(ReadingIndexOf(7, 2)) == 7 &&
              RowOfReading(ReadingIndexOf(7, 2)) == 2);

std::array<PointCorners, kPoints> BuildCornersThrough() {
    const SquareTable& table = Squares();
    std::array<PointCorners, kPoints> lists{};
    for (int p = 0; p < kPoints; ++p) {
        PointCorners& list = lists[ReadingIndex(p)];
        list.count = table.throughCount[p];
        for (int32_t i = 0; i < table.throughCount[p]; ++i) {
            const SquareThrough& s = table.through[p][i];
            list.squares[i] = {static_cast<uint16_t>(s.id),
                               s.size,
                               {static_cast<uint8_t>(ReadingIndex(s.others[0])),
                                static_cast<uint8_t>(ReadingIndex(s.others[1])),
                                static_cast<uint8_t>(ReadingIndex(s.others[2]))}};
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

bool SearchSumsExact(const PotentialTables& t) {
    int shift = SearchTermShift(t);
    if (shift == 62) return true;  // every term is 0
    if (shift < 2) return false;
    shift = std::min(shift, 38);
    const uint64_t limit = uint64_t{1} << (24 + shift);
    for (const PointCorners& list : CornersThrough()) {
        uint64_t sum = 0;
        for (int32_t i = 0; i < list.count; ++i) {
            float largest = 0.0f;
            for (int32_t n = 1; n <= 4; ++n)
                largest = std::max(largest, t.search[list.squares[i].size][n]);
            sum += static_cast<uint64_t>(largest);
            if (sum >= limit) return false;
        }
    }
    return true;
}

}  // namespace

const std::array<PointCorners, kPoints>& CornersThrough() {
    static const std::array<PointCorners, kPoints> lists = BuildCornersThrough();
    return lists;
}

SearchTables::SearchTables(const PotentialTables& t) {
    rankExact = t.rankSumExact;
    searchExact = SearchSumsExact(t);
    bool anyGood = false;
    for (int32_t s = 2; s <= 8; ++s)
        for (int32_t n = 1; n <= 4; ++n) anyGood = anyGood || t.good[s][n] != 0;
    noBoost = !anyGood && t.weights[15] > 0;

    for (int32_t s = 2; s <= 8; ++s)
        for (int state = 0; state < kCountStates; ++state) {
            const int32_t reds = Reds(state), blues = Blues(state);
            if (reds + blues > 4 || Dead(state)) continue;
            // Only an empty corner reads these, so at most three are occupied;
            // the fourth count only ever reaches occupied corners.
            const int32_t n = std::min(1 + reds + blues, 4);
            rank[s][state] = t.rank[s][n];
            good[s][state] = t.good[s][n];
            search[s][state] = t.search[s][n];
            rankOf[s][state] = t.rank[s][n];
            goodOf[s][state] = t.good[s][n];
            if (searchExact) searchOf[s][state] = static_cast<int64_t>(t.search[s][n]);
            if (reds == 3 && blues == 0) gainOf[Red][s][state] = s * s;
            if (blues == 3 && reds == 0) gainOf[Blue][s][state] = s * s;
        }
    for (int32_t colour = Red; colour <= Blue; ++colour)
        for (int32_t s = 2; s <= 8; ++s)
            for (int state = 0; state < kCountStates; ++state) {
                const int32_t reds = Reds(state), blues = Blues(state);
                if (Dead(state) || reds + blues >= 4) continue;
                const int after = state + (colour == Red ? kRedStep : kBlueStep);
                rankChange[colour][s][state] = rankOf[s][after] - rankOf[s][state];
                searchChange[colour][s][state] = searchOf[s][after] - searchOf[s][state];
                goodChange[colour][s][state] = goodOf[s][after] - goodOf[s][state];
                bool gains = false;
                for (int32_t k = Red; k <= Blue; ++k) {
                    gainChange[colour][s][state][k] = gainOf[k][s][after] - gainOf[k][s][state];
                    gains = gains || gainChange[colour][s][state][k] != 0;
                }
                changes[colour][s][state] = kLive | (gains ? kGains : 0);
            }
}

void SearchBoard::Load(const Bits& position, const SearchTables& t) {
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
        state[i] = static_cast<uint8_t>(st);
        for (const uint8_t corner : s.corners) {
            const int q = ReadingIndex(corner);
            rank[q] += t.rankOf[s.size][st];
            good[q] += t.goodOf[s.size][st];
            search[q] += t.searchOf[s.size][st];
            gain[Red][q] += t.gainOf[Red][s.size][st];
            gain[Blue][q] += t.gainOf[Blue][s.size][st];
        }
    }
    for (int q = 0; q < kPoints; ++q)
        for (int32_t k = Red; k <= Blue; ++k)
            if (gain[k][q] > 0) gainers[k] |= Bit(q);
}

}  // namespace qv::fast
