// analyse: every position of a saved game searched for its side to move, and
// each move's own value and what it gave away.

#include <unistd.h>

#include <cstdio>

#include "cli/common.h"
#include "model/savedgame.h"
#include "tuning/analysis.h"

namespace qv::cli {
namespace {

struct AnalyseOptions {
    std::string game;
    SearchOptions search;
};

nlohmann::ordered_json PositionJson(const PositionAnalysis& p) {
    nlohmann::ordered_json out;
    out["moves"] = p.moves;
    out["to_move"] = ColourName(p.toMove);
    out["red"] = p.red;
    out["blue"] = p.blue;
    if (p.moves > 0) {
        nlohmann::ordered_json played;
        played["point"] = PointName(p.played.column, p.played.row);
        played["column"] = p.played.column;
        played["row"] = p.played.row;
        played["colour"] = ColourName(p.playedColour);
        const auto orNull = [](const std::optional<int32_t>& v) {
            return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json();
        };
        played["value"] = orNull(p.playedValue);
        played["loss"] = orNull(p.loss);
        out["played"] = played;
    }
    out["suggestion"] = SuggestionJson(p.request, p.suggestion);
    return out;
}

void Run(const AnalyseOptions& o) {
    std::vector<Point> moves;
    try {
        moves = LoadGameFile(o.game);
    } catch (const GameError& e) {
        throw UsageError("--game " + o.game + ": " + e.what());
    }
    AnalysisSettings settings;
    settings.blue = settings.red = PlayerOf(o.search);

    Engine engine;
    CatchInterrupts();
    const bool tty = ::isatty(2) != 0;
    const size_t total = moves.size() + 1;
    const auto cancelOnInterrupt = [&engine] {
        if (Interrupted()) engine.Cancel();
    };
    const std::vector<PositionAnalysis> positions = AnalyseGame(
        engine, moves, settings,
        [&](const PositionAnalysis& p) {
            std::fprintf(stderr, "%sposition %d/%zu%s", tty ? "\r" : "", p.moves + 1, total,
                         tty ? "   " : "\n");
            std::fflush(stderr);
            NoteThreads(o.search.threads, p.suggestion);
            cancelOnInterrupt();
        },
        cancelOnInterrupt);
    if (tty) std::fprintf(stderr, "\n");

    nlohmann::ordered_json out;
    out["depth"] = o.search.depth;
    out["width"] = o.search.width;
    out["full_width"] = o.search.fullWidth;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const PositionAnalysis& p : positions) list.push_back(PositionJson(p));
    out["positions"] = list;
    if (positions.size() < total) out["cancelled"] = true;
    std::cout << JsonLine(out) << "\n";
}

}  // namespace

void AddAnalyseCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "analyse", "search every position of a saved game for its side to move, as suggest does");
    auto o = std::make_shared<AnalyseOptions>();
    AddText(*command, "--game", o->game, "the saved game")->required();
    AddSearchOptions(*command, o->search, /*strong=*/false);
    command->callback([o] { Run(*o); });
}

}  // namespace qv::cli
