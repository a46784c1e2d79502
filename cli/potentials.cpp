#include "cli/common.h"
#include "engine/engine.h"
#include "tuning/diagnostics.h"

namespace qv::cli {
namespace {

struct PotentialsOptions {
    PositionOptions position;
    bool ranked = false;
    bool red = false;
    bool blue = false;
    std::string weights;
};

void Run(const PotentialsOptions& o) {
    if (o.ranked + o.red + o.blue != 1)
        throw UsageError("potentials: choose one of --ranked, --red and --blue");
    const Board board = LoadPosition(o.position);
    const PotentialWeights weights = ParseWeights(o.weights);
    std::vector<std::string> lines;
    if (o.ranked) {
        Engine engine;
        lines = RankedPotentialsListing(engine, weights, board);
    } else {
        lines = ColourPotentialsListing(board, weights, o.red ? Red : Blue);
    }
    for (const std::string& line : lines) std::cout << line << "\n";
}

}  // namespace

void AddPotentialsCommand(CLI::App& app) {
    auto* command = app.add_subcommand("potentials", "list the move potentials of a position");
    auto o = std::make_shared<PotentialsOptions>();
    AddPositionOptions(*command, o->position);
    auto* ranked = command->add_flag("--ranked", o->ranked, "Red's candidates in ranking order");
    auto* red = command->add_flag("--red", o->red, "the balance after a Red piece on each point");
    auto* blue =
        command->add_flag("--blue", o->blue, "the balance after a Blue piece on each point");
    ranked->excludes(red)->excludes(blue);
    red->excludes(blue);
    AddWeightsOption(*command, o->weights);
    command->callback([o] { Run(*o); });
}

}  // namespace qv::cli
