#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/board.h"
#include "model/game.h"

namespace qv {

// A failed file or number operation; what() is the text the user sees
// (without the closing full stop the error report adds).
class GameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text for an input/output error code ("File not found", "Disk full", ...).
std::string IoErrorText(int code);
// The same for a POSIX errno value, mapped onto those codes.
std::string ErrnoText(int err);

// The history up to its first empty slot, one "C,5" line per move, CR LF ends.
std::string FormatGame(const std::array<Point, 65>& history);

// Reads a whole saved game and checks every line; throws GameError naming the
// offending line, so that a bad file never touches the current game.
std::vector<Point> ParseGame(std::string_view bytes);

// Replaces the game by the moves (colours from their order).
void ApplyGame(Game& game, const std::vector<Point>& moves);

// Opens the path with the open(2) flags and mode and returns the descriptor,
// never waiting on the way: a directory, a named pipe or a socket is refused
// ("A named pipe is not a file"), since opening one can block or reading it
// means nothing. Devices are opened as they are. Throws GameError.
int OpenFile(const std::string& path, int flags, unsigned mode = 0666);

std::vector<Point> LoadGameFile(const std::string& path);
// Writes a temporary file beside the target and renames it over the target,
// so a failed save leaves the earlier file as it was.
void SaveGameFile(const std::string& path, const std::array<Point, 65>& history);

}  // namespace qv
