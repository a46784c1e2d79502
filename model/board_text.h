#pragma once

#include <stdexcept>
#include <string>

#include "model/board.h"

namespace qv {

class BoardTextError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// 64 cells, row 1 (the top row) first, each row from column 1 to 8: '.' empty,
// r/R Red, b/B Blue; '/' and white space are ignored. Anything else, or a
// count other than 64, throws BoardTextError with a message for the user.
Board ParseBoardText(const std::string& text);

// The same notation, rows separated by '/'.
std::string FormatBoardText(const Board& board);

}  // namespace qv
