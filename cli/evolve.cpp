// evolve: the genetic evolution of the weights, headless, optionally playing
// the games on several threads.

#include <unistd.h>

#include <atomic>
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

// Set when the run fails: the games still in progress end at once.
std::atomic<bool> gAbandoned{false};

int PlayOne(const EngineProfile& red, const EngineProfile& blue) {
    Engine engine;
    PotentialWeights weights = DefaultWeights();
    Board board;
    float redScore = 0, blueScore = 0;
    // Once interrupted, the game's searches end at once; the run is halted
    // before the round's results count.
    const auto stop = [&engine] {
        if (Interrupted() || gAbandoned) engine.Abort();
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

// An output file, named by its option in messages.
struct Output {
    const char* option;
    std::string path;
    std::optional<TraceFile> file;

    void Open(std::string lineEnd) {
        try {
            file.emplace(path, std::move(lineEnd));
        } catch (const GameError& e) {
            throw UsageError(Name() + ": " + e.what());
        }
    }
    std::string Name() const { return std::string(option) + " " + path; }
    // The run stopped early: what is complete is kept.
    void Finish(const char* last) noexcept {
        try {
            if (!file || !file->IsOpen()) return;
            if (last) file->Line(last);
            file->Close();
        } catch (const GameError&) {
        }
    }
};

void Run(const EvolveOptions& o) {
    Output trace{"--trace", o.trace.empty() ? DefaultTracePath() : o.trace, {}};
    Output summary{"--summary", o.summary, {}};
    if (!o.summary.empty() && SameOutput(trace.path, summary.path))
        throw UsageError("--trace and --summary name the same file: " + summary.path);
    const uint32_t seed = o.seed ? *o.seed : TimeOfDaySeed();
    // Nothing is created before every option and file has been checked; a
    // refused summary leaves the trace untouched.
    trace.Open("\r\n");
    if (!o.summary.empty()) summary.Open("\n");

    ParallelRounds pool(o.jobs, PlayOne);
    if (pool.Threads() < o.jobs)
        std::fprintf(stderr,
                     "quadrivane-cli: only %d of %d threads could be started; playing on %d (the "
                     "trace is the same)\n",
                     pool.Threads(), o.jobs, pool.Threads());
    Progress progress(o.rounds);
    EvolutionHooks hooks;
    int finished = 0;
    hooks.playRound = [&](const std::array<Pairing, kGamesPerRound>& pairs) {
        const auto results = pool.PlayRound(pairs);
        finished += kGamesPerRound;
        return results;
    };
    hooks.roundFinished = [&](int round) { progress.Show(round, finished); };
    // An interrupt halts the run as Cancel does: the trace ends with "End".
    hooks.cancelRequested = Interrupted;
    if (summary.file) {
        hooks.roundSummary = [&summary](int round, const Population& population) {
            try {
                summary.file->Line(SummaryLine(SummariseRound(round, population)));
            } catch (const GameError& e) {
                throw OutputError(summary.Name() + ": " + e.what());
            }
        };
    }
    CatchInterrupts();
    bool completed = false;
    try {
        completed = RunEvolution(seed, o.rounds, *trace.file, hooks);
    } catch (const GameError& e) {
        // Only the trace's own writes throw this.
        gAbandoned = true;
        summary.Finish(nullptr);
        throw OutputError(trace.Name() + ": " + e.what());
    } catch (...) {
        // A failed summary or game: the trace ends as a halted run does.
        gAbandoned = true;
        trace.Finish("End");
        summary.Finish(nullptr);
        throw;
    }
    try {
        if (summary.file) summary.file->Close();
    } catch (const GameError& e) {
        throw OutputError(summary.Name() + ": " + e.what());
    }
    progress.Done(completed);
    std::printf("trace written to %s (seed %u)\n", trace.path.c_str(), seed);
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
    command->callback([o] { Run(*o); });
}

}  // namespace qv::cli
