#pragma once
// What the subcommands share: options that refuse what they cannot mean,
// reading a position and a weight vector from them, writing JSON, and the
// interrupts.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>

#include "engine/engine.h"
#include "engine/types.h"
#include "model/board.h"
#include "play/player_description.h"

namespace qv::cli {

// Bad arguments or input: the message goes to stderr and the exit code is 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Output that could not be written (a full disk): the message goes to
// stderr and the exit code is 1.
class OutputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An argument "--name=" with nothing after the '=' (the parser would take the
// next argument as its value): "empty value for --name".
void RefuseEmptyEqualsValues(int argc, char** argv);

// A text option. Given with an empty value it is refused ("empty value for
// --trace") rather than read as not given.
CLI::Option* AddText(CLI::App& command, const std::string& name, std::string& value,
                     const std::string& description);

// An integer option in lo..hi, written in decimal (leading zeros included)
// with an optional sign; store receives the value.
CLI::Option* AddInteger(CLI::App& command, const std::string& name, int64_t lo, int64_t hi,
                        std::function<void(int64_t)> store, const std::string& description);
CLI::Option* AddInteger(CLI::App& command, const std::string& name, int32_t& value, int32_t lo,
                        int32_t hi, const std::string& description);

// The value of an integer option; option names it in messages.
int64_t ParseDecimal(const std::string& option, const std::string& text, int64_t lo, int64_t hi);

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

// --threads N, 1..64: the threads a search runs on (the result is the same).
void AddThreadsOption(CLI::App& command, int32_t& threads);

// --depth, --width and --full-width, with the suggestion buttons' defaults.
void AddClassicSearchOptions(CLI::App& command, int32_t& depth, int32_t& width, bool& fullWidth);

// The search options of the commands that search a position: the classic
// ones and the weights and threads, and (for suggest) the strong player's.
struct SearchOptions {
    int32_t depth = 11;
    int32_t width = 3;
    bool fullWidth = false;
    std::string weights;
    int32_t threads = 1;
    bool strong = false;
    int32_t movetimeMs = 1000;
    int64_t nodes = 0;
    int32_t tableMiB = 64;
    int32_t level = 0;  // 0: none; otherwise the whole player
    // As given: 1..15 for a classic search, the last iteration (1..64) for
    // the strong player; read once it is known which.
    std::optional<std::string> depthText;
};
// strong: the strong player's options and --level too.
void AddSearchOptions(CLI::App& command, SearchOptions& options, bool strong);
// The player the options describe.
PlayerSpec PlayerOf(const SearchOptions& options);
// 16 comma-separated integers, each an optional sign and decimal digits
// (blanks around an item are allowed); empty text gives the default weights.
// Weights whose potentials are not all finite numbers are refused. option
// names the argument in messages.
PotentialWeights ParseWeights(const std::string& text, const std::string& option = "--weights");
// A player's profile: the weights, and when element 0 asks for a search, a
// depth (element 1) of 1..15 and a width (element 2) of 1..64.
PotentialWeights ParseProfile(const std::string& text, const std::string& option);

const char* ColourName(int32_t colour);

// What `suggest` prints for a search: the request's settings, the line, the
// value, the caption and the counters.
nlohmann::ordered_json SuggestionJson(const SearchRequest& request, const SearchResult& result);

// Says on stderr, once a run, that a search ran on fewer threads than asked
// for because the system could not start them all.
void NoteThreads(int32_t asked, const SearchResult& result, bool strong = false);

// One line, with ", " and ": " between the parts; a zero is never written
// "-0.0".
std::string JsonLine(const nlohmann::ordered_json& value);

// From now on the first SIGINT or SIGTERM only asks the command to stop
// (Interrupted() turns true); a second one ends the program at once. A signal
// ignored when the program started stays ignored.
void CatchInterrupts();
bool Interrupted();
// 128 + the signal's number once one arrived (130 for SIGINT, 143 for
// SIGTERM), else 0.
int InterruptExitCode();

// Every subcommand registers itself with the application; the callback runs
// when the subcommand is chosen.
void AddScoreCommand(CLI::App& app);
void AddSuggestCommand(CLI::App& app);
void AddPotentialsCommand(CLI::App& app);
void AddPlayCommands(CLI::App& app);
void AddEvolveCommand(CLI::App& app);
void AddBenchCommand(CLI::App& app);
void AddAnalyseCommand(CLI::App& app);
void AddMatchCommand(CLI::App& app);
void AddEngineCommand(CLI::App& app);

}  // namespace qv::cli
