#include "engine/bench_set.h"

#include <stdexcept>

namespace qv {

Board BenchBoard(const BenchPosition& position) {
    Board board;
    int cell = 0;
    for (const char ch : position.board) {
        if (ch == '/') continue;
        if (cell >= kPoints) throw std::logic_error("bench position too long");
        board(cell % 8 + 1, cell / 8 + 1) = ch == 'r' ? Red : ch == 'b' ? Blue : Empty;
        ++cell;
    }
    if (cell != kPoints) throw std::logic_error("bench position too short");
    return board;
}

}  // namespace qv
