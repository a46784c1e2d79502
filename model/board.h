#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qv {

// Cell values double as colours.
constexpr int32_t Empty = 0;
constexpr int32_t Red = 1;
constexpr int32_t Blue = 2;

constexpr int32_t kBoardSize = 8;
constexpr int32_t kPoints = 64;

// Red <-> Blue.
constexpr int32_t Opponent(int32_t colour) {
    return (colour % 2) + 1;
}

// Move n (1-based) is Blue when odd, Red when even: Blue always opens.
constexpr int32_t ColourOfMove(int32_t n) {
    return (n % 2) + 1;
}

// Columns and rows are 1..8; row 1 is the top row. Stored column by column.
constexpr int PointIndex(int32_t column, int32_t row) {
    return (column - 1) * 8 + (row - 1);
}
constexpr int32_t ColumnOf(int index) {
    return index / 8 + 1;
}
constexpr int32_t RowOf(int index) {
    return index % 8 + 1;
}
constexpr bool OnBoard(int32_t column, int32_t row) {
    return column >= 1 && column <= 8 && row >= 1 && row <= 8;
}

struct Point {
    int32_t column = 0;
    int32_t row = 0;
    bool operator==(const Point&) const = default;
};

struct Board {
    std::array<int32_t, kPoints> cells{};

    int32_t& operator()(int32_t column, int32_t row) { return cells[PointIndex(column, row)]; }
    int32_t operator()(int32_t column, int32_t row) const { return cells[PointIndex(column, row)]; }
    int32_t& operator[](int index) { return cells[index]; }
    int32_t operator[](int index) const { return cells[index]; }
    bool operator==(const Board&) const = default;

    int32_t CountOf(int32_t value) const;
    int32_t Pieces() const { return kPoints - CountOf(Empty); }
};

// Whose turn it is follows the parity of the pieces: Blue when even.
inline int32_t SideToMove(const Board& board) {
    return ColourOfMove(board.Pieces() + 1);
}

// "C,5": column letter, comma, row counted from the bottom.
std::string PointName(int32_t column, int32_t row);

}  // namespace qv
