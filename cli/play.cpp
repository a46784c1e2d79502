// play and play-round: one engine-against-engine game, headless.

#include "cli/common.h"
#include "engine/engine.h"
#include "model/settings.h"
#include "tuning/engine_game.h"

namespace qv::cli {
namespace {

struct PlayOptions {
    std::string red;
    std::string blue;
};

void Play(const EngineProfile& first, const EngineProfile& second) {
    Engine engine;
    Board board;
    nlohmann::ordered_json moves = nlohmann::ordered_json::array();
    EngineGameHooks hooks;
    hooks.moved = [&moves](int32_t c, int32_t r, int32_t colour) {
        moves.push_back({{"column", c},
                         {"row", r},
                         {"point", PointName(c, r)},
                         {"colour", ColourName(colour)}});
    };
    float red = 0, blue = 0;
    PotentialWeights weights = DefaultWeights();
    const int result = PlayEngineGame(engine, weights, board, first, second, red, blue,
                                      TSettings().SearchDepth, hooks);
    nlohmann::ordered_json out;
    out["moves"] = moves;
    out["red_score"] = static_cast<int64_t>(red);
    out["blue_score"] = static_cast<int64_t>(blue);
    out["result"] = result;
    std::cout << JsonLine(out) << "\n";
}

}  // namespace

void AddPlayCommands(CLI::App& app) {
    auto* play = app.add_subcommand(
        "play", "play one engine game: Red with the first profile, Blue with the second");
    auto o = std::make_shared<PlayOptions>();
    AddText(*play, "--red-profile", o->red,
            "Red's 16 comma-separated integers (search flag, depth 1..15, width 1..64, weights)")
        ->required();
    AddText(*play, "--blue-profile", o->blue, "Blue's 16 comma-separated integers")->required();
    play->callback([o] {
        Play(ParseProfile(o->red, "--red-profile"), ParseProfile(o->blue, "--blue-profile"));
    });

    auto* round = app.add_subcommand(
        "play-round", "play the demonstration game of the two fixed profiles (depth 9, width 3)");
    round->callback([] {
        const auto [red, blue] = PlayRoundProfiles(DefaultWeights());
        Play(red, blue);
    });
}

}  // namespace qv::cli
