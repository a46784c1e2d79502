#pragma once
// What the fuzz targets share besides the reference readers: a game in
// progress to load into, the window's way of loading, and comparisons that
// stop the run with a message saying what disagreed and on which input.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/reference.h"
#include "model/game.h"
#include "model/savedgame.h"

namespace check {

inline std::string Escaped(std::string_view bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size() && i < 400; ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        char buf[8];
        if (b == '\\' || b == '"')
            std::snprintf(buf, sizeof buf, "\\%c", b);
        else if (b >= 32 && b < 127)
            std::snprintf(buf, sizeof buf, "%c", b);
        else
            std::snprintf(buf, sizeof buf, "\\x%02x", b);
        out += buf;
    }
    if (bytes.size() > 400) out += "... (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

// How the input was presented, when that is more than the bytes themselves.
inline std::string& Context() {
    static std::string context;
    return context;
}

[[noreturn]] inline void Disagree(std::string_view input, const std::string& what) {
    std::fprintf(stderr, "\n*** the reader disagrees with the reference: %s\n*** input: \"%s\"%s\n",
                 what.c_str(), Escaped(input).c_str(), Context().c_str());
    std::abort();
}

inline const char* FaultName(ref::Fault fault) {
    switch (fault) {
        case ref::Fault::None:
            return "accepted";
        case ref::Fault::TooShort:
            return "too short";
        case ref::Fault::Column:
            return "bad column letter";
        case ref::Fault::NotInteger:
            return "row not an integer";
        case ref::Fault::Row:
            return "row outside 1..8";
        case ref::Fault::TooMany:
            return "more than 64 moves";
    }
    return "?";
}

inline std::string Describe(const ref::GameReading& r) {
    if (r.fault == ref::Fault::None)
        return "accepted with " + std::to_string(r.moves.size()) + " moves";
    const std::string what = r.offending.empty() ? "" : " " + ref::Quoted(r.offending);
    return std::string("refused (") + FaultName(r.fault) + what + ") at line " +
           std::to_string(r.line);
}

inline std::string Describe(const std::array<int, 64>& points) {
    std::string out;
    for (size_t i = 0; i < points.size(); ++i) {
        if (i % 8 == 0 && i != 0) out += '/';
        out += ".rb"[points[i] % 3];
    }
    return out;
}

inline std::string Describe(const ref::GameState& s) {
    std::string out = "points " + Describe(s.points) + " slots";
    for (const ref::Move& m : s.slots)
        if (m.column != 0) out += " " + std::to_string(m.column) + ":" + std::to_string(m.row);
    return out + " count " + std::to_string(s.moveCount);
}

inline ref::GameState StateOf(const qv::Game& game) {
    ref::GameState state;
    for (int row = 1; row <= 8; ++row)
        for (int column = 1; column <= 8; ++column)
            state.points[(row - 1) * 8 + column - 1] = game.board(column, row);
    for (int n = 1; n <= 64; ++n)
        state.slots[n - 1] = {game.MoveHistory[n].column, game.MoveHistory[n].row};
    state.moveCount = game.MoveCount;
    return state;
}

inline std::vector<ref::Move> MovesOf(const std::vector<qv::Point>& points) {
    std::vector<ref::Move> moves;
    for (const qv::Point& p : points) moves.push_back({p.column, p.row});
    return moves;
}

// A directory of this run's own, removed at exit.
inline const std::string& ScratchDirectory() {
    static const std::string directory = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quadrivane-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern;
    }();
    static const bool removed = std::atexit([] {
                                    std::error_code ignored;
                                    std::filesystem::remove_all(ScratchDirectory(), ignored);
                                }) == 0;
    (void)removed;
    return directory;
}

// A new file each time: truncating one that holds data makes ext4 flush it to
// disk first, which would slow the run to a crawl.
inline void WriteFile(const std::string& path, std::string_view bytes) {
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) std::abort();
}

// A game with everything a load must replace: moves, a taken-back move still
// in the history for redo, and a piece set up without a slot.
inline qv::Game GameInProgress() {
    qv::Game game;
    game.PlaceMove(3, 4);
    game.PlaceMove(5, 6);
    game.PlaceMove(2, 2);
    game.TakeBackMove();
    game.board(1, 1) = qv::Red;
    game.RecountMoves();
    return game;
}

// The window's Load once a file is chosen: the whole file is read and
// checked, and only then replaces the game. Returns the error report's text.
inline std::optional<std::string> LoadLikeTheWindow(qv::Game& game, const std::string& path) {
    try {
        const std::vector<qv::Point> moves = qv::LoadGameFile(path);
        qv::ApplyGame(game, moves);
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

// The same from bytes in memory.
inline std::optional<std::string> LoadBytesLikeTheWindow(qv::Game& game, std::string_view bytes) {
    try {
        const std::vector<qv::Point> moves = qv::ParseGame(bytes);
        qv::ApplyGame(game, moves);
    } catch (const qv::GameError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

// The line number of "Line N: " in a message (at its start when atStart), or 0.
inline int LineNamed(std::string_view message, bool atStart) {
    const size_t at = message.find("Line ");
    if (at == std::string_view::npos || (atStart && at != 0)) return 0;
    size_t i = at + 5;
    int line = 0;
    while (i < message.size() && message[i] >= '0' && message[i] <= '9' && line < 1000000)
        line = line * 10 + (message[i++] - '0');
    return message.substr(i, 2) == ": " ? line : 0;
}

inline bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// A refusal message agrees with the reference when it names the same line (or,
// for a row that is not a number, no line) and says what is wrong.
inline void CheckRefusal(const ref::GameReading& expected, std::string_view message,
                         std::string_view input, bool atStart) {
    const std::string said = "the message \"" + std::string(message) + "\"";
    const int line = LineNamed(message, atStart);
    const int wantLine = expected.fault == ref::Fault::NotInteger ? 0 : expected.line;
    if (line != wantLine)
        Disagree(input, said + " names line " + std::to_string(line) + ", the reference " +
                            Describe(expected));
    const std::string quoted = ref::Quoted(expected.offending);
    bool explains = false;
    switch (expected.fault) {
        case ref::Fault::None:
            break;
        case ref::Fault::TooShort:
            explains = Contains(message, quoted + " is too short");
            break;
        case ref::Fault::Column:
            explains = Contains(message, quoted + " is not a column letter");
            break;
        case ref::Fault::NotInteger: {
            const std::string text = quoted + " is not a valid integer value";
            explains = message.size() >= text.size() &&
                       message.substr(message.size() - text.size()) == text;
            break;
        }
        case ref::Fault::Row:
            explains = Contains(message, "row " + expected.offending + " is not between 1 and 8");
            break;
        case ref::Fault::TooMany:
            explains = Contains(message, "at most 64 moves");
            break;
    }
    if (!explains)
        Disagree(input, said + " does not say what the reference found: " + Describe(expected));
    for (const char ch : message)
        if (static_cast<unsigned char>(ch) < 32 || ch == 127)
            Disagree(input, said + " holds a control byte");
}

// The whole check of one load into a game in progress: the same decision as
// the reference, the same resulting game, or on refusal the same line and a
// game left exactly as it was.
inline void CheckLoad(const ref::GameReading& expected, const std::optional<std::string>& error,
                      const qv::Game& game, const ref::GameState& before, std::string_view input) {
    if (expected.fault == ref::Fault::None && error)
        Disagree(input, "refused with \"" + *error + "\", the reference " + Describe(expected));
    if (expected.fault != ref::Fault::None && !error)
        Disagree(input, "accepted, the reference " + Describe(expected));
    const ref::GameState after = StateOf(game);
    if (error) {
        CheckRefusal(expected, *error, input, true);
        if (after != before)
            Disagree(input, "a refused load changed the game from " + Describe(before) + " to " +
                                Describe(after));
        return;
    }
    const ref::GameState want = ref::StateAfterLoading(expected.moves);
    if (after != want)
        Disagree(input,
                 "the loaded game is " + Describe(after) + ", the reference " + Describe(want));
}

}  // namespace check
