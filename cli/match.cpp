#include "tuning/match.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <mutex>

#include "cli/common.h"
#include "model/savedgame.h"
#include "play/levels.h"
#include "tuning/trace.h"

namespace qv::cli {
namespace {

constexpr double kMaxElo = 2000;

struct MatchCliOptions {
    std::string red, blue, first, second;
    int32_t games = 2;
    int32_t openings = 4;
    int64_t seed = 1;
    int32_t concurrency = 1;
    int32_t timePerGameMs = 0;
    std::string gamesOut;
    std::string sprt;
};

PlayerSpec PlayerOption(const std::string& option, const std::string& text) {
    try {
        return ParsePlayerSpec(text);
    } catch (const PlayerSpecError& e) {
        throw UsageError(option + ": " + e.what());
    }
}

nlohmann::ordered_json Rounded(std::optional<double> v) {
    if (!v) return nullptr;
    return std::round(*v * 10.0) / 10.0;
}

// With game clocks: the time left at the end and the moves made on a clock
// that had run out, Red's first.
std::string Clocks(const MatchGame& g) {
    if (g.clockLeftMs[0] < 0 && g.clockLeftMs[1] < 0) return "";
    const auto left = [](int64_t ms) { return ms < 0 ? std::string("null") : std::to_string(ms); };
    return ", \"clock_left_ms\": [" + left(g.clockLeftMs[0]) + ", " + left(g.clockLeftMs[1]) +
           "], \"moves_over_time\": [" + std::to_string(g.movesOverTime[0]) + ", " +
           std::to_string(g.movesOverTime[1]) + "]";
}

// Written out by hand, as JsonLine would: it runs on the match's threads,
// where memory may run out, and a JSON tree that cannot be freed without
// allocating would end the program instead of failing the command.
std::string GameLine(const MatchOptions& o, const MatchGame& g) {
    const auto text = [](const std::string& t) { return nlohmann::json(t).dump(); };
    std::string opening, moves;
    for (size_t i = 0; i < g.moves.size(); ++i) {
        const GameMove& m = g.moves[i];
        const std::string point = text(PointName(m.column, m.row));
        if (static_cast<int32_t>(i) < g.openingPlies) opening += (i ? ", " : "") + point;
        moves += std::string(i ? ", " : "") + "{\"point\": " + point + ", \"colour\": \"" +
                 ColourName(m.colour) + "\"}";
    }
    return "{\"game\": " + std::to_string(g.game) +
           ", \"red\": " + text(FormatPlayerSpec(g.firstIsRed ? o.first : o.second)) +
           ", \"blue\": " + text(FormatPlayerSpec(g.firstIsRed ? o.second : o.first)) +
           ", \"opening\": [" + opening + "], \"moves\": [" + moves +
           "], \"red_score\": " + std::to_string(g.redScore) +
           ", \"blue_score\": " + std::to_string(g.blueScore) + ", \"result\": \"" +
           (g.winner == Red    ? "red"
            : g.winner == Blue ? "blue"
                               : "draw") +
           "\"" +
           (g.end == GameEnd::PlayerFailed
                ? ", \"failure\": " + text(std::string(ColourName(g.endColour)) + ": " + g.failure)
                : "") +
           Clocks(g) + "}";
}

// An optional sign, digits, and a fraction after a point: nothing else.
bool ReadElo(std::string_view text, double& value) {
    size_t i = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const size_t digits = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i == digits) return false;
    if (i < text.size() && text[i] == '.') {
        const size_t fraction = ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        if (i == fraction) return false;
    }
    if (i != text.size()) return false;
    if (text[0] == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value += 0.0;  // no -0
    return std::fabs(value) <= kMaxElo;
}

std::pair<double, double> SprtBounds(const std::string& text) {
    const size_t comma = text.find(',');
    double elo0 = 0, elo1 = 0;
    if (comma == std::string::npos || !ReadElo(std::string_view(text).substr(0, comma), elo0) ||
        !ReadElo(std::string_view(text).substr(comma + 1), elo1) || !(elo0 < elo1))
        throw UsageError("--sprt: '" + text +
                         "' is not ELO0,ELO1: two decimal numbers in -2000..2000 with ELO0 < "
                         "ELO1");
    return {elo0, elo1};
}

void Run(const MatchCliOptions& c) {
    MatchOptions o;
    const bool colours = !c.red.empty() || !c.blue.empty();
    const bool order = !c.first.empty() || !c.second.empty();
    if (colours == order || (colours && (c.red.empty() || c.blue.empty())) ||
        (order && (c.first.empty() || c.second.empty())))
        throw UsageError("give either --red and --blue, or --first and --second");
    o.first = colours ? PlayerOption("--red", c.red) : PlayerOption("--first", c.first);
    o.second = colours ? PlayerOption("--blue", c.blue) : PlayerOption("--second", c.second);
    o.alternate = order;
    o.games = c.games;
    o.openingPlies = c.openings;
    o.seed = static_cast<uint64_t>(c.seed);
    o.concurrency = c.concurrency;
    o.timePerGameMs = c.timePerGameMs;
    std::optional<std::pair<double, double>> sprt;
    if (!c.sprt.empty()) sprt = SprtBounds(c.sprt);
    // A level is printed as the player it is; its name goes with it here.
    const auto nameLevel = [](const char* role, const std::string& text, const PlayerSpec& p) {
        if (text.starts_with("level:"))
            std::fprintf(stderr, "%s: %s, %s\n", role, LevelName(LevelOf(p)).c_str(),
                         FormatPlayerSpec(p).c_str());
    };
    nameLevel(colours ? "red" : "first", colours ? c.red : c.first, o.first);
    nameLevel(colours ? "blue" : "second", colours ? c.blue : c.second, o.second);

    // Every option is checked before the file is made.
    std::optional<TraceFile> out;
    const std::string outName = "--games-out " + c.gamesOut;
    if (!c.gamesOut.empty()) {
        try {
            out.emplace(c.gamesOut, "\n");
        } catch (const GameError& e) {
            throw UsageError(outName + ": " + e.what());
        }
    }
    // Games are handed over in pairs, in any order of pairs; the file gets
    // them in game order. Only the games counted are ever written.
    std::map<int32_t, std::string> waiting;
    int32_t written = 0, counted = 0, wins = 0, draws = 0, losses = 0;
    std::string failure;  // the first write that failed
    const auto onGame = [&](const MatchGame& g) {
        ++counted;
        const int32_t firstColour = g.firstIsRed ? Red : Blue;
        const char* result = g.winner == Empty ? "draw"
                             : g.winner == Red ? "red wins"
                                               : "blue wins";
        (g.winner == Empty ? draws : g.winner == firstColour ? wins : losses)++;
        std::fprintf(stderr, "game %d (%d/%d): red %d, blue %d, %s; first +%d =%d -%d\n", g.game,
                     counted, o.games, g.redScore, g.blueScore, result, wins, draws, losses);
        if (!out || !failure.empty()) return;
        waiting[g.game] = GameLine(o, g);
        try {
            while (!waiting.empty() && waiting.begin()->first == written + 1) {
                out->Line(waiting.begin()->second);
                waiting.erase(waiting.begin());
                ++written;
            }
        } catch (const GameError& e) {
            failure = outName + ": " + e.what();
        }
    };
    const auto fewerThreads = [](int32_t started, int32_t asked) {
        std::fprintf(stderr,
                     "quadrivane-cli: only %d of %d threads could be started; playing %d games "
                     "side by side\n",
                     started, asked, started);
    };
    // The games counted so far go in, in their order.
    const auto finishFile = [&] {
        if (!out || !failure.empty()) return;
        try {
            for (const auto& [game, line] : waiting) out->Line(line);
            out->Close();
        } catch (const GameError& e) {
            failure = outName + ": " + e.what();
        }
    };
    CatchInterrupts();
    std::vector<MatchGame> games;
    try {
        // A failed write ends the match as an interrupt does.
        games = PlayMatch(
            o, onGame, [&failure] { return Interrupted() || !failure.empty(); }, fewerThreads);
    } catch (...) {
        finishFile();
        throw;
    }
    finishFile();

    const MatchSummary s = Summarise(games);
    nlohmann::ordered_json j;
    j["games"] = s.games;
    j["first"] = FormatPlayerSpec(o.first);
    j["second"] = FormatPlayerSpec(o.second);
    if (o.timePerGameMs > 0) j["time_per_game_ms"] = o.timePerGameMs;
    j["wins"] = s.wins;
    j["draws"] = s.draws;
    j["losses"] = s.losses;
    j["score"] = std::round(s.score * 10.0) / 10.0;
    j["elo"] = Rounded(s.elo);
    j["elo_95"] = {Rounded(s.eloLow), Rounded(s.eloHigh)};
    if (sprt) {
        const SprtResult r = Sprt(s, sprt->first, sprt->second);
        j["sprt"] = {{"elo0", sprt->first},
                     {"elo1", sprt->second},
                     {"llr", std::round(r.llr * 1000.0) / 1000.0},
                     {"lower", std::round(r.lower * 1000.0) / 1000.0},
                     {"upper", std::round(r.upper * 1000.0) / 1000.0},
                     {"verdict", r.verdict}};
    } else {
        j["sprt"] = nullptr;
    }
    std::cout << JsonLine(j) << "\n";
    if (!failure.empty()) throw OutputError(failure);
}

}  // namespace

void AddMatchCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "match",
        "play two players against each other: pairs of games from the same random opening, "
        "colours swapped");
    auto o = std::make_shared<MatchCliOptions>();
    const std::string engine = " (see PLAYERS below)";
    AddText(*command, "--red", o->red, "the player of Red in every game" + engine);
    AddText(*command, "--blue", o->blue, "the player of Blue in every game" + engine);
    AddText(*command, "--first", o->first,
            "the first player, Red in odd games and Blue in even ones" + engine);
    AddText(*command, "--second", o->second, "the second player" + engine);
    AddInteger(*command, "--games", o->games, 1, 1000000,
               "games to play, 1..1000000 (default 2), counted in pairs of one opening");
    AddInteger(*command, "--openings", o->openings, 0, 32,
               "random plies each pair of games starts from, 0..32 (default 4)");
    AddInteger(
        *command, "--seed", 0, INT64_MAX, [o](int64_t v) { o->seed = v; },
        "seed of the random openings and of the draws of players that choose (default 1)");
    AddInteger(*command, "--concurrency", o->concurrency, 1, 64,
               "games played side by side, 1..64 (default 1)");
    AddInteger(*command, "--time-per-game", o->timePerGameMs, 1, 86400000,
               "a clock of MS for each player's moves of a game, 1..86400000; a player whose "
               "clock has run out gets 10 ms a move");
    AddText(*command, "--games-out", o->gamesOut, "write one JSON line per game to FILE");
    AddText(*command, "--sprt", o->sprt,
            "ELO0,ELO1: a sequential test of ELO0 against ELO1 (alpha = beta = 0.05); decimal "
            "numbers in -2000..2000, ELO0 < ELO1");
    command->footer(std::string(PlayerGrammar()) + "\n\n" + LevelsTable());
    command->callback([o] { Run(*o); });
}

}  // namespace qv::cli
