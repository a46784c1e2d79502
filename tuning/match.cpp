#include "tuning/match.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <random>
#include <system_error>
#include <thread>

#include "model/rules.h"
#include "model/scoring.h"

namespace qv {

namespace {

double EloOf(double score) {
    return -400.0 * std::log10(1.0 / score - 1.0);
}

// The seed of the players' choices in game g (from 0) of a match.
uint64_t GameSeed(uint64_t seed, int32_t g) {
    std::seed_seq seq{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32),
                      static_cast<uint32_t>(g), 0x6c657665u};
    uint32_t words[2];
    seq.generate(words, words + 2);
    return uint64_t{words[0]} << 32 | words[1];
}

}  // namespace

int64_t MatchClockMs(const MatchOptions& o, const PlayerSpec& p) {
    if (p.kind == PlayerKind::Strong && p.timePerGameMs > 0) return p.timePerGameMs;
    return o.timePerGameMs > 0 ? o.timePerGameMs : -1;
}

std::vector<GameMove> MatchOpening(uint64_t seed, int32_t pair, int32_t plies) {
    std::seed_seq seq{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32),
                      static_cast<uint32_t>(pair)};
    std::mt19937_64 random(seq);
    while (true) {
        Board board;
        std::vector<GameMove> moves;
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

std::vector<MatchGame> PlayMatch(
    const MatchOptions& o, const std::function<void(const MatchGame&)>& onGame,
    const std::function<bool()>& stop,
    const std::function<void(int32_t started, int32_t asked)>& fewerThreads) {
    const int32_t n = std::max(o.games, 0);
    std::vector<MatchGame> games(static_cast<size_t>(n));
    std::vector<char> done(games.size(), 0), counted(games.size(), 0);
    std::atomic<int32_t> next{0};
    // Everything below is under the lock; halt is also read without it.
    std::mutex lock;
    std::condition_variable ended;
    std::atomic<bool> halt{false};
    std::exception_ptr failure;
    std::vector<Player*> players;
    int32_t running = 0;
    const auto haltAll = [&] {
        halt = true;
        for (Player* p : players) p->Abort();
    };

    const auto play = [&] {
        // Each thread its own players: their tables and engines stay theirs.
        const std::unique_ptr<Player> firstPlayer = MakePlayer(o.first);
        const std::unique_ptr<Player> secondPlayer = MakePlayer(o.second);
        Player& first = *firstPlayer;
        Player& second = *secondPlayer;
        struct Listed {
            std::mutex& lock;
            std::vector<Player*>& players;
            Player* mine[2];
            ~Listed() {
                const std::lock_guard<std::mutex> held(lock);
                std::erase_if(players, [this](Player* p) { return p == mine[0] || p == mine[1]; });
            }
        } listed{lock, players, {&first, &second}};
        {
            const std::lock_guard<std::mutex> held(lock);
            players.push_back(&first);
            players.push_back(&second);
            if (halt) haltAll();
        }
        GameHooks hooks;
        // A halted game means nothing: it is left as it stands.
        hooks.stop = [&halt] { return halt.load(); };
        while (!halt) {
            const int32_t g = next++;
            if (g >= n) break;
            const bool firstIsRed = !o.alternate || g % 2 == 0;
            const std::vector<GameMove> opening = MatchOpening(o.seed, g / 2, o.openingPlies);
            MatchGame record;
            const uint64_t seed = GameSeed(o.seed, g);
            const int64_t firstClock = MatchClockMs(o, o.first);
            const int64_t secondClock = MatchClockMs(o, o.second);
            static_cast<GameRecord&>(record) =
                firstIsRed
                    ? PlayGame(first, second, opening, hooks, seed, {firstClock, secondClock})
                    : PlayGame(second, first, opening, hooks, seed, {secondClock, firstClock});
            record.game = g + 1;
            record.firstIsRed = firstIsRed;
            const std::lock_guard<std::mutex> held(lock);
            if (halt) break;  // stopped during the game: it means nothing
            const auto at = static_cast<size_t>(g);
            games[at] = std::move(record);
            done[at] = 1;
            const size_t a = at - at % 2, b = std::min(a + 1, games.size() - 1);
            if (!done[a] || !done[b]) continue;
            counted[a] = counted[b] = 1;
            if (onGame) {
                onGame(games[a]);
                if (b != a) onGame(games[b]);
            }
        }
    };
    const auto work = [&] {
        try {
            play();
        } catch (...) {
            const std::lock_guard<std::mutex> held(lock);
            if (!failure) failure = std::current_exception();
            haltAll();
        }
        const std::lock_guard<std::mutex> held(lock);
        --running;
        ended.notify_all();
    };

    const int32_t asked = std::clamp(o.concurrency, 1, 64);
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(asked));
    try {
        for (int32_t i = 0; i < asked; ++i) {
            {
                const std::lock_guard<std::mutex> held(lock);
                ++running;
            }
            try {
                threads.emplace_back(work);
            } catch (...) {
                const std::lock_guard<std::mutex> held(lock);
                --running;
                throw;
            }
        }
    } catch (const std::system_error& e) {
        if (threads.empty())
            throw std::system_error(e.code(), "cannot start " + std::to_string(asked) + " threads");
    } catch (const std::bad_alloc&) {
        if (threads.empty()) throw;
    }
    std::unique_lock<std::mutex> held(lock);
    const auto started = static_cast<int32_t>(threads.size());
    if (started < asked && fewerThreads) fewerThreads(started, asked);
    while (running > 0) {
        ended.wait_for(held, std::chrono::milliseconds(10));
        if (!halt && stop && stop()) haltAll();
    }
    held.unlock();
    for (std::thread& t : threads) t.join();
    if (failure) std::rethrow_exception(failure);
    std::vector<MatchGame> out;
    for (size_t i = 0; i < games.size(); ++i)
        if (counted[i]) out.push_back(std::move(games[i]));
    return out;
}

MatchSummary Summarise(const std::vector<MatchGame>& games) {
    MatchSummary s;
    for (const MatchGame& g : games) {
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
