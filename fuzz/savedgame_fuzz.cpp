// Saved games come from disk and from other people: whatever the bytes, the
// reader must either accept them or leave the game exactly as it was, and an
// accepted game saved again must read back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/savedgame.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

qv::Game StartingGame() {
    qv::Game g;
    g.PlaceMove(3, 4);
    g.PlaceMove(5, 6);
    g.board(1, 1) = qv::Red;  // a setup piece without a slot
    g.RecountMoves();
    return g;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qv::Game game = StartingGame();
    const qv::Game before = game;
    std::vector<qv::Point> moves;
    try {
        moves = qv::ParseGame(bytes);
    } catch (const qv::GameError&) {
        Check(game.board == before.board && game.MoveHistory == before.MoveHistory &&
              game.MoveCount == before.MoveCount);
        return 0;
    }
    Check(moves.size() <= 64);
    qv::ApplyGame(game, moves);
    for (const qv::Point& p : moves) Check(qv::OnBoard(p.column, p.row));

    const std::string saved = qv::FormatGame(game.MoveHistory);
    qv::Game again = StartingGame();
    qv::ApplyGame(again, qv::ParseGame(saved));
    Check(again.board == game.board);
    Check(again.MoveHistory == game.MoveHistory);
    Check(again.MoveCount == game.MoveCount);
    return 0;
}
