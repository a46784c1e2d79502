#include "model/scoring.h"

#include "model/squares.h"

namespace qv {

int32_t TotalScore(int32_t colour, const Board& board) {
    int32_t sum = 0;
    for (const Square& s : Squares().squares) {
        if (board[s.corners[0]] == colour && board[s.corners[1]] == colour &&
            board[s.corners[2]] == colour && board[s.corners[3]] == colour)
            sum += s.value;
    }
    return sum;
}

float ScoreAfterMove(int32_t colour, int32_t column, int32_t row, const Board& board, float before) {
    const SquareTable& t = Squares();
    const int p = PointIndex(column, row);
    float acc = before;
    for (int i = 0; i < t.throughCount[p]; ++i) {
        const SquareThrough& s = t.through[p][i];
        if (board[s.others[0]] == colour && board[s.others[1]] == colour &&
            board[s.others[2]] == colour)
            acc += static_cast<float>(s.size * s.size);
    }
    return acc;
}

std::pair<int32_t, int32_t> ProjectedScores(const Board& board, int32_t colour) {
    int32_t value[3] = {0, 0, 0};
    for (const Square& s : Squares().squares) {
        int count[3] = {0, 0, 0};
        for (uint8_t corner : s.corners) ++count[board[corner]];
        if (count[Empty] != 1) continue;
        if (count[Red] == 3) value[Red] += s.value;
        if (count[Blue] == 3) value[Blue] += s.value;
    }
    return {value[colour], value[Opponent(colour)]};
}

}  // namespace qv
