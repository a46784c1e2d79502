#include "tuning/engine_game.h"

#include "play/game_loop.h"

namespace qv {

void ClearPoints(Board& board) {
    board.cells.fill(Empty);
}

SearchResult EngineMove(Engine& engine, const PotentialWeights& weights, const Board& board,
                        int32_t colour, int32_t depth, int32_t width, int32_t commonSearchDepth,
                        const EngineGameHooks& hooks) {
    PlayerSpec player;
    player.depth = depth;
    player.width = width;
    player.weights = weights;
    const SearchRequest request = MakeSearchRequest(player, board, colour, commonSearchDepth);
    if (hooks.searchStarting) hooks.searchStarting();
    SearchResult result = engine.Search(request, hooks.rootMove, hooks.poll);
    // Once Cancel stands, the rest of the game is played with each search's
    // first root move; the one that was running when it came needs that too.
    if (result.cancelled && result.rootMoves == 0 && !result.boardWasFull &&
        !engine.AbortRequested())
        result = engine.Search(request, hooks.rootMove, hooks.poll);
    if (hooks.searchFinished) hooks.searchFinished();
    return result;
}

PlayerSpec ProfileSpec(const EngineProfile& profile, const PotentialWeights& live) {
    PlayerSpec description;
    description.weights = live;
    for (int i : kPlayingWeights) description.weights[i] = profile[i];
    if (profile[kSearchFlag] == 1) {
        description.depth = profile[kDepth];
        description.width = profile[kWidth];
    } else {
        description.kind = PlayerKind::Potential;
    }
    return description;
}

ProfilePlayer::ProfilePlayer(Engine& engine, const EngineProfile& profile,
                             const PotentialWeights& live, int32_t commonSearchDepth,
                             const EngineGameHooks& hooks)
    : engine_(engine),
      spec_(ProfileSpec(profile, live)),
      commonSearchDepth_(commonSearchDepth),
      hooks_(hooks) {}

MoveReply ProfilePlayer::GenMove(const MoveRequest& request) {
    if (spec_.kind == PlayerKind::Potential) return PotentialPlayer(spec_.weights).GenMove(request);
    MoveReply reply;
    reply.search = EngineMove(engine_, spec_.weights, request.position, request.colour, spec_.depth,
                              spec_.width, commonSearchDepth_, hooks_);
    reply.move = reply.search.line[1];
    return reply;
}

int PlayEngineGame(Engine& engine, PotentialWeights& weights, Board& board,
                   const EngineProfile& first, const EngineProfile& second, float& redScore,
                   float& blueScore, int32_t commonSearchDepth, const EngineGameHooks& hooks) {
    const PotentialWeights live = weights;
    ProfilePlayer red(engine, first, live, commonSearchDepth, hooks);
    ProfilePlayer blue(engine, second, live, commonSearchDepth, hooks);
    ClearPoints(board);
    // The colour whose weights were installed last: the last one asked.
    int32_t asked = Empty;
    GameHooks game;
    game.moveStarting = [&asked](Player&, MoveRequest& request) { asked = request.colour; };
    game.moved = [&](const GameMove& m, const Board& after, const MoveReply&) {
        board = after;
        if (hooks.moved) hooks.moved(m.column, m.row, m.colour);
    };
    // An Abort ends the game at once; what it found means nothing.
    game.stop = [&engine] { return engine.AbortRequested(); };
    const GameRecord g = PlayGame(red, blue, {}, game);
    redScore = static_cast<float>(g.redScore);
    blueScore = static_cast<float>(g.blueScore);
    // A side that finds no move gets 1000: on a full board, the side to move.
    int32_t noMove = g.end == GameEnd::NoMove ? g.endColour : Empty;
    if (g.end == GameEnd::BoardFull) noMove = asked = SideToMove(g.board);
    if (noMove != Empty) (noMove == Blue ? blueScore : redScore) += 1000.0f;
    if (asked != Empty) weights = ProfileSpec(asked == Red ? first : second, live).weights;
    return redScore > blueScore ? kRedWon : kBlueWon;
}

std::pair<EngineProfile, EngineProfile> PlayRoundProfiles(const PotentialWeights& live) {
    EngineProfile red = live, blue = live;
    const int32_t redGenes[] = {9, 3, 4, 7, 4, 0, 5, 4, 2, 2, 3};
    const int32_t blueGenes[] = {9, 3, 1, 6, 3, 1, 2, 4, 9, 4, 10};
    const int elements[] = {kDepth, kWidth, 3, 4, 5, 6, 7, 8, 13, 14, 15};
    for (int i = 0; i < 11; ++i) {
        red[elements[i]] = redGenes[i];
        blue[elements[i]] = blueGenes[i];
    }
    return {red, blue};
}

}  // namespace qv
