#include "model/board.h"

namespace qv {

int32_t Board::CountOf(int32_t value) const {
    int32_t n = 0;
    for (int32_t v : cells) n += (v == value);
    return n;
}

std::string PointName(int32_t column, int32_t row) {
    std::string s(1, static_cast<char>('A' + column - 1));
    s += ',';
    s += std::to_string(9 - row);
    return s;
}

}  // namespace qv
