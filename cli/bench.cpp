#include <cmath>
#include <cstdio>

#include "cli/common.h"
#include "engine/bench_set.h"
#include "engine/engine.h"

namespace qv::cli {
namespace {

// The strong player's bench: each position on this node budget.
constexpr int64_t kStrongBenchNodes = 200000;

struct BenchOptions {
    int32_t depth = 0;  // 0: the setting's own
    int32_t width = 0;
    bool fullWidth = false;
    int32_t threads = 1;
    bool strong = false;
    int64_t nodes = kStrongBenchNodes;
};

struct Setting {
    int32_t depth;
    int32_t width;
    bool fullWidth;
};

struct Totals {
    double ms = 0;
    int64_t positions = 0;
};

// Each bench position searched by the player on one engine (and so one set
// of threads); describe gives the rest of its line.
template <typename Describe>
void RunPositions(const PlayerSpec& player, bool strong, Totals& totals, Describe describe) {
    int index = 0;
    Engine engine;
    for (const BenchPosition& p : kBenchPositions) {
        ++index;
        const Board board = BenchBoard(p);
        const int32_t colour = SideToMove(board);
        const SearchResult result = engine.Search(MakeSearchRequest(player, board, colour));
        NoteThreads(player.threads, result, strong);
        std::printf("%2d %-34s %-4s %s %10lld positions %9.3f ms\n", index,
                    std::string(p.name).c_str(), ColourName(colour), describe(result).c_str(),
                    static_cast<long long>(result.positions), result.elapsedMs);
        totals.ms += result.elapsedMs;
        totals.positions += result.positions;
    }
}

void RunSetting(const Setting& s, int32_t threads, Totals& totals) {
    PlayerSpec player;
    player.depth = s.depth;
    player.width = s.width;
    player.fullWidth = s.fullWidth;
    player.threads = threads;
    const std::string search = s.fullWidth ? "full width" : "width " + std::to_string(s.width);
    char text[64];
    std::snprintf(text, sizeof text, "depth %2d %-10s", s.depth, search.c_str());
    RunPositions(player, false, totals, [&text](const SearchResult&) { return std::string(text); });
}

void RunStrong(const BenchOptions& o, Totals& totals) {
    PlayerSpec player;
    player.kind = PlayerKind::Strong;
    player.nodes = o.nodes;
    player.threads = o.threads;
    if (o.depth > 0) player.strong.maxDepth = o.depth;
    RunPositions(player, true, totals, [](const SearchResult& result) {
        const ScoredMove& m = result.line[1];
        char text[64];
        std::snprintf(text, sizeof text, "depth %2d %-4s %6lld", result.depthReached,
                      PointName(m.column, m.row).c_str(), static_cast<long long>(result.value));
        return std::string(text);
    });
}

void Run(const BenchOptions& o) {
    if (o.strong && (o.width != 0 || o.fullWidth))
        throw UsageError(
            "--strong searches on a node budget: --width and --full-width are not read by it");

    std::vector<Setting> settings;
    if (o.depth == 0 && o.width == 0 && !o.fullWidth) {
        settings = {{kBenchDepth, kBenchWidth, false}, {kBenchFullWidthDepth, 0, true}};
    } else if (o.fullWidth) {
        settings = {{o.depth ? o.depth : kBenchFullWidthDepth, 0, true}};
    } else {
        settings = {{o.depth ? o.depth : kBenchDepth, o.width ? o.width : kBenchWidth, false}};
    }
    Totals totals;
    if (o.strong)
        RunStrong(o, totals);
    else
        for (const Setting& s : settings) RunSetting(s, o.threads, totals);
    const double seconds = totals.ms / 1000.0;
    std::printf("Total time (ms) : %lld\n", static_cast<long long>(std::llround(totals.ms)));
    std::printf("Positions evaluated : %lld\n", static_cast<long long>(totals.positions));
    std::printf(
        "Positions/second : %lld\n",
        static_cast<long long>(
            seconds > 0 ? std::llround(static_cast<double>(totals.positions) / seconds) : 0));
}

}  // namespace

void AddBenchCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "bench",
        "time the searches on a fixed set of positions; the total of positions evaluated is the "
        "search's signature");
    auto o = std::make_shared<BenchOptions>();
    AddInteger(*command, "--depth", o->depth, 1, 15,
               "search depth, 1..15 (default 11, full width " +
                   std::to_string(kBenchFullWidthDepth) +
                   "); with --strong the last iteration, for the time to a depth");
    auto* width = AddInteger(
        *command, "--width", o->width, 1, 64,
        "candidates tried at inner nodes, 1..64 (default " + std::to_string(kBenchWidth) + ")");
    command->add_flag("--full-width", o->fullWidth, "full-width searches only")->excludes(width);
    AddThreadsOption(*command, o->threads);
    auto* strong = command->add_flag(
        "--strong", o->strong,
        "the strong player on a node budget instead; its total of positions is its own "
        "signature");
    AddInteger(
        *command, "--nodes", 1, 1000000000000, [o](int64_t v) { o->nodes = v; },
        "with --strong: positions each search may use, 1..10^12 (default " +
            std::to_string(kStrongBenchNodes) + ")")
        ->needs(strong);
    command->footer(
        "Without options both searches run: width-limited at depth 11, width 3, and full width "
        "at depth " +
        std::to_string(kBenchFullWidthDepth) + ".");
    command->callback([o] { Run(*o); });
}

}  // namespace qv::cli
