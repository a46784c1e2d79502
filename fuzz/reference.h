#pragma once
// Plain readers for the two texts that come from outside the program, written
// straight from their rules and deliberately naive (whole-file splitting, no
// shared code with the library), so that the fuzz targets know what the
// library's readers should answer. They use the colour values of the board
// (1 Red, 2 Blue) as literals on purpose.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace ref {

struct Move {
    int column = 0;  // 1 = A
    int row = 0;     // 1 = the top row, written 8
    bool operator==(const Move&) const = default;
};

// How a saved game is refused. NotInteger is the one refusal whose message
// names no line.
enum class Fault { None, TooShort, Column, NotInteger, Row, TooMany };

struct GameReading {
    Fault fault = Fault::None;
    int line = 0;             // physical line of the refused move, from 1
    std::string offending;    // the move text, column or row character that is wrong
    std::vector<Move> moves;  // all of them when accepted
};

// Saved game: one move per line, "C,5" (column letter A..H, any character,
// row digit 1..8 counted from the bottom, anything after that ignored).
//  - A byte 26 ends the file wherever it stands.
//  - CR LF, CR alone and LF alone each end one physical line.
//  - Bytes up to 32 (blanks, control bytes) at the start of a line are not
//    part of the move; a line holding nothing else is skipped.
//  - A move shorter than three characters, a first character that is not a
//    capital A..H, a third that is not a decimal digit, a digit outside
//    1..8, or a 65th move refuses the whole file.
inline GameReading ReadGame(std::string_view bytes) {
    GameReading result;
    bytes = bytes.substr(0, bytes.find('\x1a'));

    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    lines.push_back(bytes.substr(start));

    for (size_t n = 0; n < lines.size(); ++n) {
        std::string_view move = lines[n];
        while (!move.empty() && static_cast<unsigned char>(move.front()) <= 32)
            move.remove_prefix(1);
        if (move.empty()) continue;
        result.line = static_cast<int>(n) + 1;
        if (move.size() < 3) {
            result.fault = Fault::TooShort;
            result.offending = move;
            return result;
        }
        const char letter = move[0];
        const char digit = move[2];
        if (!(letter >= 'A' && letter <= 'H')) {
            result.fault = Fault::Column;
            result.offending = move.substr(0, 1);
            return result;
        }
        if (!(digit >= '0' && digit <= '9')) {
            result.fault = Fault::NotInteger;
            result.offending = move.substr(2, 1);
            return result;
        }
        if (digit == '0' || digit == '9') {
            result.fault = Fault::Row;
            result.offending = move.substr(2, 1);
            return result;
        }
        if (result.moves.size() == 64) {
            result.fault = Fault::TooMany;
            return result;
        }
        result.moves.push_back({letter - 'A' + 1, 9 - (digit - '0')});
    }
    result.line = 0;
    return result;
}

// Text from a file as a message quotes it: in single quotes, a control byte
// (below 32, or 127) written as \x and two lower-case hexadecimal digits.
inline std::string Quoted(std::string_view text) {
    std::string out = "'";
    for (const char ch : text) {
        const int b = static_cast<unsigned char>(ch);
        if (b < 32 || b == 127) {
            out += "\\x";
            out += "0123456789abcdef"[b / 16];
            out += "0123456789abcdef"[b % 16];
        } else {
            out += ch;
        }
    }
    return out + "'";
}

// What a game looks like from outside: the 64 points in reading order (top
// row first, each row left to right), the 64 history slots, the move counter.
struct GameState {
    std::array<int, 64> points{};
    std::array<Move, 64> slots{};
    int moveCount = 0;
    bool operator==(const GameState&) const = default;
};

// The game after loading the moves into any game: everything before is gone,
// move n is Blue (2) when n is odd and Red (1) when even, a later move on the
// same point wins, and the counter is the number of pieces.
inline GameState StateAfterLoading(const std::vector<Move>& moves) {
    GameState state;
    for (size_t i = 0; i < moves.size(); ++i) {
        state.slots[i] = moves[i];
        state.points[(moves[i].row - 1) * 8 + (moves[i].column - 1)] = (i % 2 == 0) ? 2 : 1;
    }
    for (int value : state.points) state.moveCount += value != 0;
    return state;
}

struct BoardReading {
    bool ok = false;
    int badCharacter = 0;          // 1-based position of the first character that is not a cell
    int cells = 0;                 // cells counted when every character is allowed
    std::array<int, 64> points{};  // reading order, as in GameState
};

// Position text: cells in reading order, '.' empty, 'r' or 'R' Red, 'b' or
// 'B' Blue; '/', blanks, tabs and line ends may stand anywhere and count for
// nothing. Any other character, or a number of cells other than 64, is
// refused; a wrong character is reported before a wrong count.
inline BoardReading ReadBoard(std::string_view text) {
    BoardReading result;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '/' || ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n') continue;
        int value;
        if (ch == '.')
            value = 0;
        else if (ch == 'r' || ch == 'R')
            value = 1;
        else if (ch == 'b' || ch == 'B')
            value = 2;
        else {
            result.badCharacter = static_cast<int>(i) + 1;
            return result;
        }
        if (result.cells < 64) result.points[result.cells] = value;
        ++result.cells;
    }
    result.ok = result.cells == 64;
    return result;
}

}  // namespace ref
