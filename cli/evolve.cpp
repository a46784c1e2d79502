// evolve: the genetic evolution of the weights, headless, optionally playing
// the games on several threads.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "cli/common.h"
#include "engine/engine.h"
#include "model/savedgame.h"
#include "model/settings.h"
#include "tuning/engine_game.h"
#include "tuning/evolution.h"
#include "tuning/parallel_rounds.h"
#include "tuning/trace.h"

namespace qv::cli {
namespace {

struct EvolveOptions {
    std::optional<uint32_t> seed;
    int32_t rounds = 100;
    std::string trace;
    std::string summary;
    int32_t jobs = 1;
};

// One JSON line a round: the genes' means and ranges, the top of the ladder.
std::string SummaryLine(const RoundSummary& s) {
    nlohmann::ordered_json genes = nlohmann::ordered_json::array();
    for (const GeneRange& g : s.genes)
        genes.push_back({{"gene", g.gene}, {"mean", g.mean}, {"min", g.min}, {"max", g.max}});
    const ProfileView top(s.top);
    nlohmann::ordered_json out;
    out["round"] = s.round;
    out["genes"] = genes;
    out["top"] = {{"identity", top.Identity()},
                  {"wins", top.Wins()},
                  {"losses", top.Losses()},
                  {"profile", s.top}};
    return JsonLine(out);
}

int PlayOne(const EngineProfile& red, const EngineProfile& blue) {
    Engine engine;
    PotentialWeights weights = DefaultWeights();
    Board board;
    float redScore = 0, blueScore = 0;
    // Once interrupted, the game's searches end at once; the run is halted
    // before the round's results count.
    const auto stop = [&engine] {
        if (Interrupted()) engine.Abort();
    };
    EngineGameHooks hooks;
    hooks.searchStarting = stop;
    hooks.rootMove = [&stop](const SearchProgress&) { stop(); };
    return PlayEngineGame(engine, weights, board, red, blue, redScore, blueScore,
                          TSettings().SearchDepth, hooks);
}

class Progress {
  public:
    explicit Progress(int rounds) : rounds_(rounds), tty_(::isatty(2) != 0) {}

    void Show(int round, int games) {
        const double elapsed = Seconds();
        const int total = rounds_ * kGamesPerRound;
        const double left = games > 0 ? elapsed / games * (total - games) : 0;
        std::fprintf(stderr, "%sround %d/%d, game %d/%d, %.1f s elapsed, about %.1f s left%s",
                     tty_ ? "\r" : "", round, rounds_, games, total, elapsed, left,
                     tty_ ? "   " : "\n");
        std::fflush(stderr);
    }
    void Done(bool completed) {
        std::fprintf(stderr, "%s%s after %.2f s\n", tty_ ? "\n" : "",
                     completed ? "Evolution finished" : "Evolution halted", Seconds());
    }

  private:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    int rounds_;
    bool tty_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

void Run(const EvolveOptions& o) {
    const std::string path = o.trace.empty() ? DefaultTracePath() : o.trace;
    const uint32_t seed = o.seed ? *o.seed : TimeOfDaySeed();
    Progress progress(o.rounds);
    EvolutionHooks hooks;
    int finished = 0;
    ParallelRounds pool(o.jobs, PlayOne);
    hooks.playRound = [&](const std::array<Pairing, kGamesPerRound>& pairs) {
        const auto results = pool.PlayRound(pairs);
        finished += kGamesPerRound;
        return results;
    };
    hooks.roundFinished = [&](int round) { progress.Show(round, finished); };
    // An interrupt halts the run as Cancel does: the trace ends with "End".
    hooks.cancelRequested = Interrupted;
    TraceFile trace(path);
    std::optional<TraceFile> summary;
    if (!o.summary.empty()) {
        try {
            summary.emplace(o.summary, "\n");
        } catch (const GameError& e) {
            throw UsageError("--summary " + o.summary + ": " + e.what());
        }
        hooks.roundSummary = [&summary](int round, const Population& population) {
            summary->Line(SummaryLine(SummariseRound(round, population)));
        };
    }
    CatchInterrupts();
    const bool completed = RunEvolution(seed, o.rounds, trace, hooks);
    progress.Done(completed);
    std::printf("trace written to %s (seed %u)\n", path.c_str(), seed);
}

}  // namespace

void AddEvolveCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "evolve", "run the genetic evolution of the weights and write its trace");
    auto o = std::make_shared<EvolveOptions>();
    AddInteger(
        *command, "--seed", 0, UINT32_MAX,
        [o](int64_t seed) { o->seed = static_cast<uint32_t>(seed); },
        "32-bit state of the random sequence, 0..4294967295 (default: the time of day, UTC, in "
        "ms)");
    AddInteger(*command, "--rounds", o->rounds, 1, 1000000,
               "rounds of ten games, 1..1000000 (default 100)");
    AddText(*command, "--trace", o->trace, "trace file (default: " + DefaultTracePath() + ")");
    AddText(*command, "--summary", o->summary,
            "also write one JSON line a round: the genes' means and ranges, the top of the "
            "ladder");
    AddInteger(*command, "--jobs", o->jobs, 1, 64,
               "threads playing the games of a round, 1..64 (default 1)");
    command->callback([o] {
        try {
            Run(*o);
        } catch (const GameError& e) {
            throw UsageError("trace file: " + std::string(e.what()));
        }
    });
}

}  // namespace qv::cli
