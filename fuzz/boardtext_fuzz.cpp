// The command line's position text: any bytes must either give a board that
// writes back and reads again unchanged, or a message for the user.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/board_text.h"
#include "model/scoring.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    qv::Board board;
    try {
        board = qv::ParseBoardText(text);
    } catch (const qv::BoardTextError& e) {
        if (std::string(e.what()).empty()) std::abort();
        return 0;
    }
    for (int32_t v : board.cells)
        if (v < qv::Empty || v > qv::Blue) std::abort();
    if (qv::ParseBoardText(qv::FormatBoardText(board)) != board) std::abort();
    // Whatever the position, scoring it must be safe.
    (void)qv::TotalScore(qv::Red, board);
    (void)qv::ProjectedScores(board, qv::Blue);
    return 0;
}
