// The command line's position options: every input is tried as the text of
// `--board` and as the contents of the file named by `--game`, through the
// command line's own LoadPosition, and must give the board the reference
// readers give, or a refusal naming the same character, count or line.
#include <cstdint>
#include <optional>
#include <string>

#include "cli/common.h"
#include "fuzz/checks.h"
#include "model/board_text.h"
#include "model/scoring.h"

namespace {

struct Outcome {
    std::optional<qv::Board> board;
    std::string error;
};

Outcome Load(const qv::cli::PositionOptions& options) {
    Outcome outcome;
    try {
        outcome.board = qv::cli::LoadPosition(options);
    } catch (const qv::cli::UsageError& e) {
        outcome.error = e.what();
    }
    return outcome;
}

std::array<int, 64> PointsOf(const qv::Board& board) {
    std::array<int, 64> points{};
    for (int row = 1; row <= 8; ++row)
        for (int column = 1; column <= 8; ++column)
            points[(row - 1) * 8 + column - 1] = board(column, row);
    return points;
}

void CheckBoardOption(const std::string& text) {
    // An empty value is the option parser's to refuse; it never reaches here
    // as a position.
    if (text.empty()) return;
    const ref::BoardReading expected = ref::ReadBoard(text);
    qv::cli::PositionOptions options;
    options.board = text;
    const Outcome got = Load(options);
    const std::string as = "as --board: ";
    if (expected.ok && !got.board)
        check::Disagree(text, as + "refused with \"" + got.error + "\", the reference reads it");
    if (!expected.ok && got.board) check::Disagree(text, as + "accepted, the reference refuses it");
    if (!got.board) {
        const std::string want = expected.badCharacter != 0
                                     ? "character " + std::to_string(expected.badCharacter) + " ('"
                                     : "expected 64 cells, found " + std::to_string(expected.cells);
        if (!check::Contains(got.error, "--board") || !check::Contains(got.error, want))
            check::Disagree(text,
                            as + "the message \"" + got.error + "\" does not say \"" + want + "\"");
        return;
    }
    if (PointsOf(*got.board) != expected.points)
        check::Disagree(text, as + "the board is " + check::Describe(PointsOf(*got.board)) +
                                  ", the reference " + check::Describe(expected.points));
    if (qv::ParseBoardText(qv::FormatBoardText(*got.board)) != *got.board)
        check::Disagree(text, as + "the board written as \"" + qv::FormatBoardText(*got.board) +
                                  "\" reads back differently");
    // Whatever the position, scoring it must be safe.
    (void)qv::TotalScore(qv::Red, *got.board);
    (void)qv::ProjectedScores(*got.board, qv::Blue);
}

void CheckGameOption(const std::string& bytes) {
    static const std::string path = check::ScratchDirectory() + "/position.qdv";
    check::WriteFile(path, bytes);
    const ref::GameReading expected = ref::ReadGame(bytes);
    qv::cli::PositionOptions options;
    options.game = path;
    const Outcome got = Load(options);
    const std::string as = "as --game: ";
    if (expected.fault == ref::Fault::None && !got.board)
        check::Disagree(bytes, as + "refused with \"" + got.error + "\", the reference " +
                                   check::Describe(expected));
    if (expected.fault != ref::Fault::None && got.board)
        check::Disagree(bytes, as + "accepted, the reference " + check::Describe(expected));
    if (!got.board) {
        if (!check::Contains(got.error, "--game"))
            check::Disagree(bytes, as + "the message \"" + got.error + "\" does not name --game");
        check::CheckRefusal(expected, got.error, bytes, false);
        return;
    }
    const std::array<int, 64> want = ref::StateAfterLoading(expected.moves).points;
    if (PointsOf(*got.board) != want)
        check::Disagree(bytes, as + "the board is " + check::Describe(PointsOf(*got.board)) +
                                   ", the reference " + check::Describe(want));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckBoardOption(text);
    CheckGameOption(text);
    return 0;
}
