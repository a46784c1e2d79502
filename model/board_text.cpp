#include "model/board_text.h"

namespace qv {

Board ParseBoardText(const std::string& text) {
    Board board;
    int cells = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '/' || ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t') continue;
        int32_t value;
        switch (ch) {
            case '.':
                value = Empty;
                break;
            case 'r':
            case 'R':
                value = Red;
                break;
            case 'b':
            case 'B':
                value = Blue;
                break;
            default:
                throw BoardTextError(
                    "character " + std::to_string(i + 1) + " ('" + std::string(1, ch) +
                    "') is not a cell; use '.' for empty, 'r' for Red, 'b' for Blue");
        }
        if (cells < kPoints) board(cells % 8 + 1, cells / 8 + 1) = value;
        ++cells;
    }
    if (cells != kPoints) throw BoardTextError("expected 64 cells, found " + std::to_string(cells));
    return board;
}

std::string FormatBoardText(const Board& board) {
    std::string text;
    for (int32_t row = 1; row <= 8; ++row) {
        if (row > 1) text += '/';
        for (int32_t column = 1; column <= 8; ++column) text += ".rb"[board(column, row)];
    }
    return text;
}

}  // namespace qv
