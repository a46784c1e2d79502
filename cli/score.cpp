#include "cli/common.h"
#include "model/scoring.h"

namespace qv::cli {

void AddScoreCommand(CLI::App& app) {
    auto* command = app.add_subcommand("score", "both colours' scores and projected values");
    auto options = std::make_shared<PositionOptions>();
    AddPositionOptions(*command, *options);
    command->callback([options] {
        const Board board = LoadPosition(*options);
        const auto [redProjected, blueProjected] = ProjectedScores(board, Red);
        const int32_t pieces = board.Pieces();
        nlohmann::ordered_json out;
        out["red"] = {{"score", TotalScore(Red, board)}, {"projected", redProjected}};
        out["blue"] = {{"score", TotalScore(Blue, board)}, {"projected", blueProjected}};
        out["pieces"] = pieces;
        out["to_move"] = ColourName(SideToMove(board));
        std::cout << JsonLine(out) << "\n";
    });
}

}  // namespace qv::cli
