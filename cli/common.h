#pragma once
// What the subcommands share: reading a position and a weight vector from the
// options, and writing JSON.

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "engine/types.h"
#include "model/board.h"

namespace qv::cli {

// Bad arguments or input: the message goes to stderr and the exit code is 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// --board TEXT or --game FILE; neither gives the empty board.
struct PositionOptions {
    std::string board;
    std::string game;
};
void AddPositionOptions(CLI::App& command, PositionOptions& options);
Board LoadPosition(const PositionOptions& options);

// 64 cells, row 1 (the top row) first, each row from column 1 to 8: '.' empty,
// r/R Red, b/B Blue; '/' and white space are ignored.
Board ParseBoardText(const std::string& text);

// --weights W0,...,W15
void AddWeightsOption(CLI::App& command, std::string& weights);
// 16 comma-separated integers; empty text gives the default weights. option
// names the argument in messages.
PotentialWeights ParseWeights(const std::string& text, const std::string& option = "--weights");

const char* ColourName(int32_t colour);

// One line, with ", " and ": " between the parts.
std::string JsonLine(const nlohmann::ordered_json& value);

// Every subcommand registers itself with the application; the callback runs
// when the subcommand is chosen.
void AddScoreCommand(CLI::App& app);
void AddSuggestCommand(CLI::App& app);
void AddPotentialsCommand(CLI::App& app);
void AddPlayCommands(CLI::App& app);
void AddEvolveCommand(CLI::App& app);
void AddBenchCommand(CLI::App& app);

}  // namespace qv::cli
