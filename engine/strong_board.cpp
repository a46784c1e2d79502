#include "engine/strong_board.h"

namespace qv::strong {

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
    for (int p = 0; p < kPoints; ++p)
        if (board[p] == Red || board[p] == Blue) Place(p, board[p], t);
}

void StrongBoard::Place(int p, int32_t colour, const EvalTables& t) {
    const SquareTable& table = Squares();
    const int step = StepOf(colour);
    score[colour] += gain[colour][p];
    // Summed apart: the compiler cannot keep a member in a register across
    // the byte stores into state.
    int32_t changed = 0;
    for (int32_t i = 0; i < table.throughCount[p]; ++i) {
        const SquareThrough& s = table.through[p][i];
        const int before = state[s.id], after = before + step;
        state[s.id] = static_cast<uint8_t>(after);
        const int size = s.size;
        changed += t.change[colour][size][before];
        // Three corners of the colour and none of the other: the fourth is
        // now worth the square to the colour.
        if (after == 3 * step) {
            for (uint8_t q : s.others)
                if (cell[q] == Empty) {
                    gain[colour][q] = static_cast<int16_t>(gain[colour][q] + size * size);
                    threats[colour] |= PointBit(q);
                }
        }
    }
    promise += changed;
    cell[p] = static_cast<int8_t>(colour);
    empty &= ~PointBit(p);
    threats[Red] &= ~PointBit(p);
    threats[Blue] &= ~PointBit(p);
    pieces[colour] |= PointBit(p);
    key ^= kKeys.piece[colour][p];
}

void StrongBoard::Remove(int p, int32_t colour, const EvalTables& t) {
    const SquareTable& table = Squares();
    const int step = StepOf(colour);
    cell[p] = Empty;
    empty |= PointBit(p);
    pieces[colour] &= ~PointBit(p);
    key ^= kKeys.piece[colour][p];
    int32_t changed = 0;
    for (int32_t i = 0; i < table.throughCount[p]; ++i) {
        const SquareThrough& s = table.through[p][i];
        const int after = state[s.id], before = after - step;
        state[s.id] = static_cast<uint8_t>(before);
        const int size = s.size;
        changed += t.change[colour][size][before];
        if (after == 3 * step) {
            for (uint8_t q : s.others)
                if (cell[q] == Empty) {
                    gain[colour][q] = static_cast<int16_t>(gain[colour][q] - size * size);
                    if (gain[colour][q] == 0) threats[colour] &= ~PointBit(q);
                }
        }
    }
    promise -= changed;
    score[colour] -= gain[colour][p];
    for (int32_t c = 1; c <= 2; ++c)
        if (gain[c][p] > 0) threats[c] |= PointBit(p);
}

}  // namespace qv::strong
