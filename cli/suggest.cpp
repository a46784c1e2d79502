#include <cmath>

#include "cli/common.h"
#include "engine/engine.h"
#include "play/levels.h"
#include "play/player.h"

namespace qv::cli {
namespace {

struct SuggestOptions {
    PositionOptions position;
    std::string colour;
    SearchOptions search;
};

// Scores are whole numbers; written as integers (and never as -0).
int64_t Whole(float score) {
    return static_cast<int64_t>(score);
}

void Run(const SuggestOptions& o) {
    // The options first: a bad --depth is named before the position is read.
    const PlayerSpec player = PlayerOf(o.search);
    const Board board = LoadPosition(o.position);
    const int32_t colour = o.colour == "red" ? Red : Blue;
    Engine engine;
    const SearchRequest request = MakeSearchRequest(player, board, colour);
    // An interrupt acts like Cancel: the search stops at once and the best of
    // the root moves finished is printed.
    CatchInterrupts();
    const auto cancelOnInterrupt = [&engine] {
        if (Interrupted()) engine.Cancel();
    };
    SearchResult s;
    if (player.choose > 0) {
        // A player that chooses weighs its root moves itself; its draw is
        // that of a game with seed 0, so the answer is the same every run.
        MoveRequest move;
        move.position = board;
        move.colour = colour;
        move.onProgress = [&](const SearchProgress&) { cancelOnInterrupt(); };
        cancelOnInterrupt();
        s = EnginePlayer(player, engine).GenMove(move).search;
    } else {
        s = engine.Search(
            request, [&](const SearchProgress&) { cancelOnInterrupt(); }, cancelOnInterrupt);
    }

    if (o.search.level == 0) NoteThreads(o.search.threads, s, o.search.strong);
    nlohmann::ordered_json out = SuggestionJson(request, s);
    if (o.search.level > 0) {
        out["level"] = o.search.level;
        out["player"] = FormatPlayerSpec(player);
    }
    std::cout << JsonLine(out) << "\n";
}

}  // namespace

nlohmann::ordered_json SuggestionJson(const SearchRequest& request, const SearchResult& s) {
    nlohmann::ordered_json line = nlohmann::ordered_json::array();
    for (int i = 1; i <= 16 && s.line[i].column != -1; ++i) {
        const ScoredMove& m = s.line[i];
        line.push_back({{"column", m.column},
                        {"row", m.row},
                        {"point", PointName(m.column, m.row)},
                        {"score", Whole(m.score)}});
    }
    nlohmann::ordered_json out;
    out["colour"] = ColourName(request.colour);
    out["depth"] = request.depth;
    out["width"] = request.width;
    out["full_width"] = request.fullWidth;
    out["line"] = line;
    // Cancelled before a root move was finished: no move, and no value.
    const bool noMove = s.cancelled && !s.boardWasFull && s.line[1].column == -1;
    out["value"] = noMove ? nlohmann::ordered_json() : nlohmann::ordered_json(Whole(s.value));
    out["caption"] = s.caption;
    out["positions"] = s.positions;
    out["root_moves"] = s.rootMoves;
    out["elapsed_ms"] = std::round(s.elapsedMs * 1000.0) / 1000.0;
    if (request.kind == SearchKind::Strong) out["depth_reached"] = s.depthReached;
    if (s.cancelled) out["cancelled"] = true;
    return out;
}

void AddSuggestCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("suggest", "search a move for a colour, as the suggestion buttons do");
    auto o = std::make_shared<SuggestOptions>();
    AddPositionOptions(*command, o->position);
    AddText(*command, "--colour", o->colour, "the colour to search for")
        ->required()
        ->check(CLI::IsMember({"red", "blue"}));
    AddSearchOptions(*command, o->search, /*strong=*/true);
    command->footer(LevelsTable());
    command->callback([o] { Run(*o); });
}

}  // namespace qv::cli
