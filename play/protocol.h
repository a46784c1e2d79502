#pragma once
// What both ends of the engine protocol share: how colours and points are
// written in commands and answers.

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/board.h"

namespace qv {

// "red", "blue", "r" or "b", in any case; Empty for anything else.
int32_t ParseProtocolColour(std::string_view text);
// "red" or "blue".
const char* ProtocolColourName(int32_t colour);

// A point as the status bar writes it ("C,5": column letter, comma, row
// counted from the bottom), the letter in either case; nothing else.
std::optional<Point> ParseProtocolPoint(std::string_view text);

}  // namespace qv
