#include "play/protocol.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace qv {

int32_t ParseProtocolColour(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "red" || lower == "r") return Red;
    if (lower == "blue" || lower == "b") return Blue;
    return Empty;
}

const char* ProtocolColourName(int32_t colour) {
    return colour == Red ? "red" : "blue";
}

std::optional<Point> ParseProtocolPoint(std::string_view text) {
    if (text.size() != 3 || text[1] != ',') return std::nullopt;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (letter < 'A' || letter > 'H' || text[2] < '1' || text[2] > '8') return std::nullopt;
    return Point{letter - 'A' + 1, 9 - (text[2] - '0')};
}

}  // namespace qv
