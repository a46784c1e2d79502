#include "cli/common.h"

#include <signal.h>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <vector>

#include "engine/potentials.h"
#include "model/board_text.h"
#include "model/game.h"
#include "model/savedgame.h"
#include "play/levels.h"

namespace qv::cli {

namespace {

// An optional sign and at least one decimal digit, nothing else.
bool IsDecimal(std::string_view text) {
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
    if (text.empty()) return false;
    for (char ch : text)
        if (ch < '0' || ch > '9') return false;
    return true;
}

// from_chars takes a minus sign but no plus sign.
template <class T>
bool ReadDecimal(std::string_view text, T& value) {
    if (!IsDecimal(text)) return false;
    if (text[0] == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

void RefuseEmptyEqualsValues(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--") return;
        if (arg.size() > 3 && arg.starts_with("--") && arg.find('=') == arg.size() - 1)
            throw UsageError("empty value for " + std::string(arg.substr(0, arg.size() - 1)));
    }
}

CLI::Option* AddText(CLI::App& command, const std::string& name, std::string& value,
                     const std::string& description) {
    // Checks run in the order they are added: this one comes first.
    return command.add_option(name, value, description)->each([name](const std::string& text) {
        if (text.empty()) throw UsageError("empty value for " + name);
    });
}

int64_t ParseDecimal(const std::string& option, const std::string& text, int64_t lo, int64_t hi) {
    if (text.empty()) throw UsageError("empty value for " + option);
    if (!IsDecimal(text)) throw UsageError(option + ": '" + text + "' is not a decimal integer");
    int64_t value = 0;
    if (!ReadDecimal(text, value) || value < lo || value > hi)
        throw UsageError(option + ": " + text + " is outside " + std::to_string(lo) + ".." +
                         std::to_string(hi));
    return value;
}

CLI::Option* AddInteger(CLI::App& command, const std::string& name, int64_t lo, int64_t hi,
                        std::function<void(int64_t)> store, const std::string& description) {
    return command
        .add_option_function<std::string>(
            name,
            [name, lo, hi, store = std::move(store)](const std::string& text) {
                store(ParseDecimal(name, text, lo, hi));
            },
            description)
        ->type_name("INT");
}

CLI::Option* AddInteger(CLI::App& command, const std::string& name, int32_t& value, int32_t lo,
                        int32_t hi, const std::string& description) {
    return AddInteger(
        command, name, lo, hi, [&value](int64_t v) { value = static_cast<int32_t>(v); },
        description);
}

void AddPositionOptions(CLI::App& command, PositionOptions& options) {
    auto* board =
        AddText(command, "--board", options.board,
                "64 cells, top row first, each row left to right: '.' empty, r Red, b Blue "
                "('/' and spaces are ignored)");
    auto* game =
        AddText(command, "--game", options.game, "a saved game file; the position after its moves");
    board->excludes(game);
}

Board ParseBoardText(const std::string& text) {
    try {
        return qv::ParseBoardText(text);
    } catch (const BoardTextError& e) {
        throw UsageError(std::string("--board: ") + e.what());
    }
}

Board LoadPosition(const PositionOptions& options) {
    if (!options.board.empty()) return ParseBoardText(options.board);
    if (!options.game.empty()) {
        try {
            Game game;
            ApplyGame(game, LoadGameFile(options.game));
            return game.board;
        } catch (const GameError& e) {
            throw UsageError("--game " + options.game + ": " + e.what());
        }
    }
    return Board{};
}

void AddWeightsOption(CLI::App& command, std::string& weights) {
    AddText(command, "--weights", weights,
            "the potential weights W0..W15, comma-separated "
            "(default 1,7,3,1,4,3,1,2,4,0,0,0,0,9,4,10)");
}

void AddThreadsOption(CLI::App& command, int32_t& threads) {
    AddInteger(command, "--threads", threads, 1, 64,
               "threads to search on, 1..64 (default 1); the classic result does not depend on "
               "it, the strong player's does");
}

void AddClassicSearchOptions(CLI::App& command, int32_t& depth, int32_t& width, bool& fullWidth) {
    AddInteger(command, "--depth", depth, 1, 15, "search depth in plies, 1..15 (default 11)");
    AddInteger(command, "--width", width, 1, 64,
               "candidates tried at inner nodes, 1..64 (default 3)");
    command.add_flag("--full-width", fullWidth, "search every empty point at every node");
}

void AddSearchOptions(CLI::App& command, SearchOptions& o, bool strong) {
    if (strong) {
        command
            .add_option_function<std::string>(
                "--depth", [&o](const std::string& text) { o.depthText = text; },
                "search depth in plies, 1..15 (default 11); with --strong the last iteration, "
                "1..64")
            ->type_name("INT");
        AddInteger(command, "--width", o.width, 1, 64,
                   "candidates tried at inner nodes, 1..64 (default 3)");
        command.add_flag("--full-width", o.fullWidth, "search every empty point at every node");
    } else {
        AddClassicSearchOptions(command, o.depth, o.width, o.fullWidth);
    }
    AddWeightsOption(command, o.weights);
    AddThreadsOption(command, o.threads);
    if (!strong) return;
    // --level is a whole player: no other search option goes with it.
    std::vector<CLI::Option*> search;
    for (const char* name : {"--depth", "--width", "--full-width", "--weights", "--threads"})
        search.push_back(command.get_option(name));
    auto* flag = command.add_flag(
        "--strong", o.strong,
        "the strong player: iterative deepening with a transposition table, stopped by "
        "--movetime, --nodes or --depth (--width and --full-width are not read)");
    AddInteger(command, "--movetime", o.movetimeMs, 1, 600000,
               "with --strong: thinking time in milliseconds, 1..600000 (default 1000)")
        ->needs(flag);
    AddInteger(
        command, "--nodes", 1, 1000000000000, [&o](int64_t v) { o.nodes = v; },
        "with --strong: positions to search, 1..10^12; the answer is then the same on every "
        "run and --movetime is not read")
        ->needs(flag);
    search.push_back(flag);
    search.push_back(
        AddInteger(command, "--table-mib", o.tableMiB, 1, 4096,
                   "with --strong: transposition table size in MiB, 1..4096 (default 64)")
            ->needs(flag));
    search.push_back(command.get_option("--movetime"));
    search.push_back(command.get_option("--nodes"));
    auto* level = AddInteger(command, "--level", o.level, 1, kLevels,
                             "play as level N, 1..10 (see LEVELS below); the other search "
                             "options then cannot be given");
    for (CLI::Option* other : search) level->excludes(other);
}

PlayerSpec PlayerOf(const SearchOptions& o) {
    if (o.level > 0) return ResolveLevel(o.level);
    int32_t depth = o.depth;
    if (o.depthText)
        depth = static_cast<int32_t>(
            ParseDecimal("--depth", *o.depthText, 1, o.strong ? 64 : kMaxSearchDepth));
    PlayerSpec p =
        PlayerFromChoice({o.fullWidth, o.width, o.strong ? 11 : depth, o.strong, o.movetimeMs},
                         ParseWeights(o.weights), o.threads);
    if (o.strong && o.depthText) p.strong.maxDepth = depth;
    p.nodes = o.nodes;
    p.tableMiB = o.tableMiB;
    return p;
}

PotentialWeights ParseWeights(const std::string& text, const std::string& option) {
    if (text.empty()) return DefaultWeights();
    std::vector<std::string_view> items;
    const std::string_view all(text);
    for (size_t start = 0;;) {
        const size_t comma = all.find(',', start);
        std::string_view item = all.substr(start, comma - start);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        items.push_back(item);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (items.size() != 16)
        throw UsageError(option + ": expected 16 comma-separated integers W0..W15, found " +
                         std::to_string(items.size()));
    PotentialWeights weights{};
    for (size_t i = 0; i < items.size(); ++i)
        if (!ReadDecimal(items[i], weights[i]))
            throw UsageError(option + ": W" + std::to_string(i) + " '" + std::string(items[i]) +
                             "' is not a 32-bit integer");
    if (!PotentialsFinite(weights))
        throw UsageError(option + ": W3..W8 give potentials that are not finite numbers");
    return weights;
}

PotentialWeights ParseProfile(const std::string& text, const std::string& option) {
    const PotentialWeights profile = ParseWeights(text, option);
    if (profile[0] != 1) return profile;  // plays the best-potential point: no search
    struct Limit {
        int element;
        const char* name;
        int32_t lo, hi;
    };
    for (const Limit& l : {Limit{1, "depth", 1, 15}, Limit{2, "width", 1, 64}}) {
        const int32_t v = profile[l.element];
        if (v < l.lo || v > l.hi)
            throw UsageError(option + ": element " + std::to_string(l.element) + " (" + l.name +
                             ") " + std::to_string(v) + " is outside " + std::to_string(l.lo) +
                             ".." + std::to_string(l.hi));
    }
    return profile;
}

const char* ColourName(int32_t colour) {
    return colour == Red ? "red" : "blue";
}

void NoteThreads(int32_t asked, const SearchResult& result, bool strong) {
    static std::atomic<bool> said{false};
    if (result.threads >= asked || said.exchange(true)) return;
    std::fprintf(stderr,
                 "quadrivane-cli: only %d of %d threads could be started; searching on %d%s\n",
                 result.threads, asked, result.threads, strong ? "" : " (the result is the same)");
}

std::string JsonLine(const nlohmann::ordered_json& value) {
    if (value.is_object()) {
        std::string out = "{";
        bool first = true;
        for (const auto& [key, item] : value.items()) {
            if (!first) out += ", ";
            first = false;
            out += nlohmann::json(key).dump() + ": " + JsonLine(item);
        }
        return out + "}";
    }
    if (value.is_array()) {
        std::string out = "[";
        for (size_t i = 0; i < value.size(); ++i) out += (i ? ", " : "") + JsonLine(value[i]);
        return out + "]";
    }
    // A value rounded to zero from below.
    if (value.is_number_float() && value.get<double>() == 0.0) return nlohmann::json(0.0).dump();
    return value.dump();
}

namespace {

// Written by the signal handler, read by the searches' callbacks.
std::atomic<int> gSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void OnInterrupt(int signal) {
    if (gSignal.exchange(signal) != 0) {
        // The second one: the default action, delivered as the handler returns.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
}

}  // namespace

void CatchInterrupts() {
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction old {};
        ::sigaction(signal, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;  // e.g. a background job's SIGINT
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(signal, &action, nullptr);
    }
}

bool Interrupted() {
    return gSignal.load() != 0;
}

int InterruptExitCode() {
    const int signal = gSignal.load();
    return signal != 0 ? 128 + signal : 0;
}

}  // namespace qv::cli
