#include "tuning/match.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>

#include "engine/evaluate.h"
#include "model/scoring.h"

namespace qv {

namespace {

int64_t Number(const std::string& player, const std::string& key, const std::string& text,
               int64_t lo, int64_t hi) {
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi)
        throw std::invalid_argument("engine '" + player + "': " + key + "=" + text +
                                    " is not a whole number in " + std::to_string(lo) + ".." +
                                    std::to_string(hi));
    return v;
}

bool Decided(const Board& board) {
    const float v = EvaluatePosition(1, static_cast<float>(TotalScore(Red, board)),
                                     static_cast<float>(TotalScore(Blue, board)));
    return std::fabs(v) > kDecided;
}

double EloOf(double score) {
    return -400.0 * std::log10(1.0 / score - 1.0);
}

}  // namespace

EngineSpec ParseEngineSpec(const std::string& text) {
    EngineSpec player;
    player.text = text;
    const size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    if (kind == "classic") {
        player.kind = SearchKind::Classic;
    } else if (kind == "strong") {
        player.kind = SearchKind::Strong;
    } else {
        throw std::invalid_argument("engine '" + text + "': expected classic:... or strong:...");
    }
    const std::string rest = colon == std::string::npos ? "" : text.substr(colon + 1);
    bool movetime = false, nodes = false, knobs = false;
    for (size_t start = 0; start < rest.size();) {
        size_t comma = rest.find(',', start);
        if (comma == std::string::npos) comma = rest.size();
        const std::string item = rest.substr(start, comma - start);
        start = comma + 1;
        const size_t eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        const bool hasValue = eq != std::string::npos;
        const auto number = [&](int64_t lo, int64_t hi) {
            return Number(text, key, value, lo, hi);
        };
        bool known = true;
        if (player.kind == SearchKind::Classic) {
            if (key == "depth" && hasValue)
                player.depth = static_cast<int32_t>(number(1, 15));
            else if (key == "width" && hasValue)
                player.width = static_cast<int32_t>(number(1, 64));
            else if (key == "full-width" && !hasValue)
                player.fullWidth = true;
            else
                known = false;
        } else if (!hasValue) {
            known = false;
        } else if (key == "movetime") {
            player.movetimeMs = static_cast<int32_t>(number(1, 600000));
            movetime = true;
        } else if (key == "nodes") {
            player.nodes = number(1, 1000000000000);
            nodes = true;
        } else if (key == "table-mib") {
            player.tableMiB = static_cast<int32_t>(number(1, 4096));
        } else if (key == "version") {
            player.version = static_cast<int32_t>(number(1, 2));
        } else if (key == "corner1" || key == "corner2" || key == "corner3") {
            player.strong.eval.corner[key.back() - '0'] = static_cast<int32_t>(number(0, 256));
        } else if (key == "tempo") {
            player.strong.eval.tempo = static_cast<int32_t>(number(0, 1024));
        } else if (key == "qwidth") {
            player.strong.quiesceWidth = static_cast<int32_t>(number(0, 64));
        } else if (key == "qdepth") {
            player.strong.quiesceDepth = static_cast<int32_t>(number(0, 64));
        } else if (key == "futility1" || key == "futility2") {
            (key.back() == '1' ? player.strong.futility1 : player.strong.futility2) =
                static_cast<int32_t>(number(0, 1000));
        } else if (key == "lmp1" || key == "lmp2") {
            (key.back() == '1' ? player.strong.lateMoves1 : player.strong.lateMoves2) =
                static_cast<int32_t>(number(0, 64));
        } else if (key == "rfpdepth") {
            player.strong.reverseDepth = static_cast<int32_t>(number(0, 64));
        } else if (key == "rfpmargin") {
            player.strong.reverseMargin = static_cast<int32_t>(number(0, 1000));
        } else if (key == "nullstatic") {
            player.strong.nullStatic = number(0, 1) == 1;
        } else if (key == "ttfrom") {
            player.strong.tableFrom = static_cast<int32_t>(number(1, 65));
        } else if (key == "potdepth") {
            player.strong.potentialsFrom = static_cast<int32_t>(number(1, 65));
        } else if (key == "cashed") {
            player.strong.eval.cashed = static_cast<int32_t>(number(0, 256));
        } else if (key == "aspiration") {
            player.strong.aspiration = static_cast<int32_t>(number(1, 1000));
        } else if (key == "lmr") {
            player.strong.lateReduction = static_cast<int32_t>(number(0, 400));
        } else if (key == "null") {
            player.strong.nullReduction = static_cast<int32_t>(number(0, 6));
        } else if (key == "selective") {
            player.strong.selective = number(0, 1) == 1;
        } else if (key == "start") {
            player.strong.startBelowPercent = static_cast<int32_t>(number(1, 100));
        } else {
            known = false;
        }
        if (!known)
            throw std::invalid_argument("engine '" + text + "': unknown setting '" + item + "'");
        knobs = knobs || (player.kind == SearchKind::Strong && key != "movetime" &&
                          key != "nodes" && key != "table-mib" && key != "version");
    }
    if (player.version == 1 && knobs)
        throw std::invalid_argument("engine '" + text +
                                    "': version=1 takes only movetime, nodes and table-mib");
    if (movetime && nodes)
        throw std::invalid_argument("engine '" + text + "': give movetime or nodes, not both");
    return player;
}

std::vector<MatchMove> MatchOpening(uint64_t seed, int32_t pair, int32_t plies) {
    std::seed_seq seq{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32),
                      static_cast<uint32_t>(pair)};
    std::mt19937_64 random(seq);
    while (true) {
        Board board;
        std::vector<MatchMove> moves;
        bool decided = false;
        for (int32_t ply = 0; ply < plies && ply < kPoints - 1 && !decided; ++ply) {
            int free[kPoints];
            int n = 0;
            for (int p = 0; p < kPoints; ++p)
                if (board[p] == Empty) free[n++] = p;
            const int p = free[random() % static_cast<uint64_t>(n)];
            const int32_t colour = ColourOfMove(ply + 1);
            board[p] = colour;
            moves.push_back({ColumnOf(p), RowOf(p), colour});
            decided = Decided(board);
        }
        if (!decided) return moves;
    }
}

MatchPlayer::MatchPlayer(const EngineSpec& player) : spec_(player) {}

ScoredMove MatchPlayer::Move(const Board& board, int32_t colour) {
    SearchRequest request;
    request.kind = spec_.kind;
    request.position = board;
    request.colour = colour;
    request.depth = spec_.depth;
    request.width = spec_.width;
    request.fullWidth = spec_.fullWidth;
    request.movetimeMs = spec_.movetimeMs;
    request.nodes = spec_.nodes;
    request.tableMiB = spec_.tableMiB;
    if (spec_.kind == SearchKind::Strong && spec_.version == 1)
        return v1_.Run(request, strong::v1::Params{}, {}, nullptr, nullptr).line[1];
    if (spec_.kind == SearchKind::Strong)
        return strong_.Run(request, spec_.strong, {}, nullptr, nullptr).line[1];
    return engine_.Search(request).line[1];
}

GameRecord PlayMatchGame(MatchPlayer& red, MatchPlayer& blue,
                         const std::vector<MatchMove>& opening) {
    GameRecord g;
    Board board;
    for (const MatchMove& m : opening) {
        board(m.column, m.row) = m.colour;
        g.moves.push_back(m);
    }
    g.openingPlies = static_cast<int32_t>(opening.size());
    while (board.CountOf(Empty) > 0 && !Decided(board)) {
        const int32_t colour = SideToMove(board);
        const ScoredMove m = (colour == Red ? red : blue).Move(board, colour);
        if (!OnBoard(m.column, m.row) || board(m.column, m.row) != Empty) break;
        board(m.column, m.row) = colour;
        g.moves.push_back({m.column, m.row, colour});
    }
    g.redScore = TotalScore(Red, board);
    g.blueScore = TotalScore(Blue, board);
    g.winner = g.redScore > g.blueScore ? Red : g.blueScore > g.redScore ? Blue : Empty;
    return g;
}

std::vector<GameRecord> PlayMatch(const MatchOptions& o,
                                  const std::function<void(const GameRecord&)>& onGame,
                                  const std::function<bool()>& stop) {
    std::vector<GameRecord> games(static_cast<size_t>(std::max(o.games, 0)));
    std::vector<char> done(games.size(), 0);
    std::atomic<int32_t> next{0};
    std::atomic<bool> stopped{false};
    std::mutex lock;
    const auto work = [&] {
        // Each thread its own players: their tables and engines stay theirs.
        MatchPlayer first(o.first), second(o.second);
        while (!stopped) {
            const int32_t g = next++;
            if (g >= o.games) break;
            if (stop && stop()) {
                stopped = true;
                break;
            }
            const bool firstIsRed = !o.alternate || g % 2 == 0;
            GameRecord record =
                firstIsRed
                    ? PlayMatchGame(first, second, MatchOpening(o.seed, g / 2, o.openingPlies))
                    : PlayMatchGame(second, first, MatchOpening(o.seed, g / 2, o.openingPlies));
            if (stop && stop()) {
                stopped = true;
                break;
            }
            record.game = g + 1;
            record.firstIsRed = firstIsRed;
            const std::lock_guard<std::mutex> held(lock);
            games[static_cast<size_t>(g)] = record;
            done[static_cast<size_t>(g)] = 1;
            if (onGame) onGame(record);
        }
    };
    const int32_t threads = std::clamp(o.concurrency, 1, 64);
    std::vector<std::thread> helpers;
    for (int32_t i = 1; i < threads; ++i) helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers) t.join();
    std::vector<GameRecord> finished;
    for (size_t i = 0; i < games.size(); ++i)
        if (done[i]) finished.push_back(games[i]);
    return finished;
}

MatchSummary Summarise(const std::vector<GameRecord>& games) {
    MatchSummary s;
    for (const GameRecord& g : games) {
        ++s.games;
        const int32_t firstColour = g.firstIsRed ? Red : Blue;
        if (g.winner == Empty)
            ++s.draws;
        else if (g.winner == firstColour)
            ++s.wins;
        else
            ++s.losses;
    }
    if (s.games == 0) return s;
    const double n = s.games;
    const double mean = (s.wins + 0.5 * s.draws) / n;
    s.score = 100.0 * mean;
    const double variance = (s.wins * (1 - mean) * (1 - mean) +
                             s.draws * (0.5 - mean) * (0.5 - mean) + s.losses * mean * mean) /
                            n;
    const double margin = 1.959964 * std::sqrt(variance / n);
    const auto elo = [](double m) -> std::optional<double> {
        if (m <= 0.0 || m >= 1.0) return std::nullopt;
        return EloOf(m);
    };
    s.elo = elo(mean);
    s.eloLow = elo(mean - margin);
    s.eloHigh = elo(mean + margin);
    return s;
}

SprtResult Sprt(const MatchSummary& s, double elo0, double elo1) {
    SprtResult r;
    constexpr double alpha = 0.05, beta = 0.05;
    r.lower = std::log(beta / (1 - alpha));
    r.upper = std::log((1 - beta) / alpha);
    if (s.games > 0) {
        const double n = s.games;
        const double mean = (s.wins + 0.5 * s.draws) / n;
        const double variance = (s.wins * (1 - mean) * (1 - mean) +
                                 s.draws * (0.5 - mean) * (0.5 - mean) + s.losses * mean * mean) /
                                n;
        const auto expected = [](double elo) { return 1.0 / (1.0 + std::pow(10.0, -elo / 400.0)); };
        const double s0 = expected(elo0), s1 = expected(elo1);
        if (variance > 0) r.llr = n * (s1 - s0) * (2 * mean - s0 - s1) / (2 * variance);
    }
    r.verdict = r.llr >= r.upper ? "H1" : r.llr <= r.lower ? "H0" : "continue";
    return r;
}

}  // namespace qv
