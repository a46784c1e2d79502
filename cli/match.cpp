#include "tuning/match.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>

#include "cli/common.h"

namespace qv::cli {
namespace {

struct MatchCliOptions {
    std::string red, blue, first, second;
    int32_t games = 2;
    int32_t openings = 4;
    int64_t seed = 1;
    int32_t concurrency = 1;
    std::string gamesOut;
    std::string sprt;
};

EngineSpec EngineOption(const std::string& option, const std::string& text) {
    try {
        return ParseEngineSpec(text);
    } catch (const std::invalid_argument& e) {
        throw UsageError(option + ": " + e.what());
    }
}

nlohmann::ordered_json Rounded(std::optional<double> v) {
    if (!v) return nullptr;
    return std::round(*v * 10.0) / 10.0;
}

nlohmann::ordered_json GameJson(const MatchOptions& o, const GameRecord& g) {
    const auto name = [](const MatchMove& m) { return PointName(m.column, m.row); };
    nlohmann::ordered_json opening = nlohmann::ordered_json::array();
    nlohmann::ordered_json moves = nlohmann::ordered_json::array();
    for (size_t i = 0; i < g.moves.size(); ++i) {
        if (static_cast<int32_t>(i) < g.openingPlies) opening.push_back(name(g.moves[i]));
        moves.push_back({{"point", name(g.moves[i])}, {"colour", ColourName(g.moves[i].colour)}});
    }
    nlohmann::ordered_json out;
    out["game"] = g.game;
    out["red"] = g.firstIsRed ? o.first.text : o.second.text;
    out["blue"] = g.firstIsRed ? o.second.text : o.first.text;
    out["opening"] = opening;
    out["moves"] = moves;
    out["red_score"] = g.redScore;
    out["blue_score"] = g.blueScore;
    out["result"] = g.winner == Red ? "red" : g.winner == Blue ? "blue" : "draw";
    return out;
}

std::pair<double, double> SprtBounds(const std::string& text) {
    const size_t comma = text.find(',');
    try {
        size_t a = 0, b = 0;
        if (comma == std::string::npos) throw std::invalid_argument("no comma");
        const std::string x = text.substr(0, comma), y = text.substr(comma + 1);
        const double elo0 = std::stod(x, &a), elo1 = std::stod(y, &b);
        if (a != x.size() || b != y.size() || !std::isfinite(elo0) || !std::isfinite(elo1) ||
            !(elo0 < elo1))
            throw std::invalid_argument("order");
        return {elo0, elo1};
    } catch (const std::exception&) {
        throw UsageError("--sprt: '" + text + "' is not ELO0,ELO1 with ELO0 < ELO1");
    }
}

void Run(const MatchCliOptions& c) {
    MatchOptions o;
    const bool colours = !c.red.empty() || !c.blue.empty();
    const bool order = !c.first.empty() || !c.second.empty();
    if (colours == order || (colours && (c.red.empty() || c.blue.empty())) ||
        (order && (c.first.empty() || c.second.empty())))
        throw UsageError("give either --red and --blue, or --first and --second");
    o.first = colours ? EngineOption("--red", c.red) : EngineOption("--first", c.first);
    o.second = colours ? EngineOption("--blue", c.blue) : EngineOption("--second", c.second);
    o.alternate = order;
    o.games = c.games;
    o.openingPlies = c.openings;
    o.seed = static_cast<uint64_t>(c.seed);
    o.concurrency = c.concurrency;
    std::optional<std::pair<double, double>> sprt;
    if (!c.sprt.empty()) sprt = SprtBounds(c.sprt);

    std::ofstream out;
    if (!c.gamesOut.empty()) {
        out.open(c.gamesOut, std::ios::binary | std::ios::trunc);
        if (!out) throw UsageError("--games-out " + c.gamesOut + ": cannot be written");
    }
    // Games end out of order on several threads; the file gets them in order.
    std::map<int32_t, std::string> waiting;
    int32_t written = 0, ended = 0, wins = 0, draws = 0, losses = 0;
    const auto onGame = [&](const GameRecord& g) {
        ++ended;
        const int32_t firstColour = g.firstIsRed ? Red : Blue;
        const char* result = g.winner == Empty ? "draw"
                             : g.winner == Red ? "red wins"
                                               : "blue wins";
        (g.winner == Empty ? draws : g.winner == firstColour ? wins : losses)++;
        std::fprintf(stderr, "game %d (%d/%d): red %d, blue %d, %s; first +%d =%d -%d\n", g.game,
                     ended, o.games, g.redScore, g.blueScore, result, wins, draws, losses);
        if (!out.is_open()) return;
        waiting[g.game] = JsonLine(GameJson(o, g));
        while (!waiting.empty() && waiting.begin()->first == written + 1) {
            out << waiting.begin()->second << "\n";
            waiting.erase(waiting.begin());
            ++written;
        }
        out.flush();
    };
    CatchInterrupts();
    const std::vector<GameRecord> games = PlayMatch(o, onGame, [] { return Interrupted(); });
    if (out.is_open()) {
        for (const auto& [game, line] : waiting) out << line << "\n";
        out.close();
        if (!out) throw std::runtime_error("--games-out " + c.gamesOut + ": write failed");
    }

    const MatchSummary s = Summarise(games);
    nlohmann::ordered_json j;
    j["games"] = s.games;
    j["first"] = o.first.text;
    j["second"] = o.second.text;
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
}

}  // namespace

void AddMatchCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "match",
        "play two players against each other: pairs of games from the same random opening, "
        "colours swapped");
    auto o = std::make_shared<MatchCliOptions>();
    const std::string engine =
        " (classic:depth=D,width=W | classic:depth=D,full-width | strong:movetime=MS | "
        "strong:nodes=N)";
    AddText(*command, "--red", o->red, "the player of Red in every game" + engine);
    AddText(*command, "--blue", o->blue, "the player of Blue in every game" + engine);
    AddText(*command, "--first", o->first,
            "the first player, Red in odd games and Blue in even ones" + engine);
    AddText(*command, "--second", o->second, "the second player" + engine);
    AddInteger(*command, "--games", o->games, 1, 1000000, "games to play (default 2)");
    AddInteger(*command, "--openings", o->openings, 0, 32,
               "random plies each pair of games starts from, 0..32 (default 4)");
    AddInteger(
        *command, "--seed", 0, INT64_MAX, [o](int64_t v) { o->seed = v; },
        "seed of the random openings (default 1)");
    AddInteger(*command, "--concurrency", o->concurrency, 1, 64,
               "games played side by side, 1..64 (default 1)");
    AddText(*command, "--games-out", o->gamesOut, "write one JSON line per game to FILE");
    AddText(*command, "--sprt", o->sprt,
            "ELO0,ELO1: a sequential test of ELO0 against ELO1 (alpha = beta = 0.05)");
    command->callback([o] { Run(*o); });
}

}  // namespace qv::cli
