#include "engine/bench_set.h"

#include <string>

#include "model/board_text.h"

namespace qv {

Board BenchBoard(const BenchPosition& position) {
    return ParseBoardText(std::string(position.board));
}

}  // namespace qv
