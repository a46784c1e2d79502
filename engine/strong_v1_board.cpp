// Frozen reference: version 1 of the strong player, copied unchanged (its
// fault of reading some decided table values with the wrong sign included)
// so that matches can measure later versions against the player as it was
// shipped ("strong:...,version=1"). Change nothing here but what keeps it
// building.

#include "engine/strong_v1_board.h"

namespace qv::strong::v1 {

namespace {

constexpr uint64_t SplitMix(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

constexpr Keys BuildKeys() {
    Keys k{};
    uint64_t seed = 0x51AD41FA4E5u;
    for (int c = 1; c <= 2; ++c)
        for (int p = 0; p < kPoints; ++p) k.piece[c][p] = SplitMix(seed);
    k.redToMove = SplitMix(seed);
    return k;
}

constexpr Keys kKeys = BuildKeys();

constexpr int Count(int state, int32_t colour) {
    return colour == Red ? state % 5 : state / 5;
}

}  // namespace

const Keys& HashKeys() {
    return kKeys;
}

EvalTables::EvalTables(const EvalParams& p) {
    for (int size = 2; size <= 8; ++size)
        for (int s = 0; s < kStates; ++s) {
            const int reds = s % 5, blues = s / 5;
            int32_t w = 0;
            if (!p.classic && reds + blues <= 3) {
                if (blues == 0 && reds > 0) w = p.corner[reds] * size * size;
                if (reds == 0 && blues > 0) w = -p.corner[blues] * size * size;
            }
            worth[size][s] = w;
        }
    for (int c = 1; c <= 2; ++c)
        for (int size = 2; size <= 8; ++size)
            for (int s = 0; s < kStates; ++s) {
                const int next = s + StepOf(c);
                change[c][size][s] = next < kStates ? worth[size][next] - worth[size][s] : 0;
            }
}

void StrongBoard::Load(const Board& board, const EvalTables& t) {
    *this = StrongBoard{};
    // Every square starts empty: what a first piece would add to it.
    const SquareTable& table = Squares();
    for (int q = 0; q < kPoints; ++q)
        for (int32_t i = 0; i < table.throughCount[q]; ++i)
            for (int32_t d = 1; d <= 2; ++d)
                promiseDelta[d][q] += t.change[d][table.through[q][i].size][0];
    for (int p = 0; p < kPoints; ++p)
        if (board[p] == Red || board[p] == Blue) Place(p, board[p], t);
}

void StrongBoard::Place(int p, int32_t colour, const EvalTables& t) {
    const SquareTable& table = Squares();
    const int step = StepOf(colour);
    const int32_t other = Opponent(colour);
    score[colour] += gain[colour][p];
    for (int32_t i = 0; i < table.throughCount[p]; ++i) {
        const SquareThrough& s = table.through[p][i];
        const int before = state[s.id], after = before + step;
        state[s.id] = static_cast<uint8_t>(after);
        const int size = s.size;
        promise += t.worth[size][after] - t.worth[size][before];
        for (int32_t d = 1; d <= 2; ++d) {
            const int32_t delta = t.change[d][size][after] - t.change[d][size][before];
            for (uint8_t q : s.others) promiseDelta[d][q] += delta;
        }
        // Three corners of the colour and none of the other: the fourth is
        // now worth the square to the colour.
        if (Count(after, colour) == 3 && Count(after, other) == 0) {
            for (uint8_t q : s.others)
                if (cell[q] == Empty)
                    gain[colour][q] = static_cast<int16_t>(gain[colour][q] + size * size);
        }
    }
    cell[p] = static_cast<int8_t>(colour);
    empty &= ~PointBit(p);
    pieces[colour] |= PointBit(p);
    key ^= kKeys.piece[colour][p];
}

void StrongBoard::Remove(int p, int32_t colour, const EvalTables& t) {
    const SquareTable& table = Squares();
    const int step = StepOf(colour);
    const int32_t other = Opponent(colour);
    cell[p] = Empty;
    empty |= PointBit(p);
    pieces[colour] &= ~PointBit(p);
    key ^= kKeys.piece[colour][p];
    for (int32_t i = 0; i < table.throughCount[p]; ++i) {
        const SquareThrough& s = table.through[p][i];
        const int after = state[s.id], before = after - step;
        state[s.id] = static_cast<uint8_t>(before);
        const int size = s.size;
        promise -= t.worth[size][after] - t.worth[size][before];
        for (int32_t d = 1; d <= 2; ++d) {
            const int32_t delta = t.change[d][size][after] - t.change[d][size][before];
            for (uint8_t q : s.others) promiseDelta[d][q] -= delta;
        }
        if (Count(after, colour) == 3 && Count(after, other) == 0) {
            for (uint8_t q : s.others)
                if (cell[q] == Empty)
                    gain[colour][q] = static_cast<int16_t>(gain[colour][q] - size * size);
        }
    }
    score[colour] -= gain[colour][p];
}

}  // namespace qv::strong::v1
