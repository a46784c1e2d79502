#include "tuning/parallel_rounds.h"

#include <algorithm>
#include <new>
#include <string>
#include <system_error>

namespace qv {
namespace {

constexpr int kPlayingGenes[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 15};

// Whether the individual stays in the population after a game it won or lost.
bool MaySurvive(EngineProfile p, bool won) {
    ++p[won ? kWins : kLosses];
    return !ProfileView(p).Eliminated();
}

}  // namespace

ParallelRounds::ParallelRounds(int threads, PlayGame play) : play_(std::move(play)) {
    threads_.reserve(static_cast<size_t>(std::max(threads, 1)));
    try {
        for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error& e) {
        // The results do not depend on the count: play on with those started.
        if (threads_.empty())
            throw std::system_error(e.code(),
                                    "cannot start " + std::to_string(threads) + " threads");
    } catch (const std::bad_alloc&) {
        if (threads_.empty()) throw;
    }
}

ParallelRounds::~ParallelRounds() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workWaiting_.notify_all();
    for (auto& t : threads_) t.join();
}

ParallelRounds::Key ParallelRounds::KeyOf(const EngineProfile& red, const EngineProfile& blue) {
    Key k{};
    for (int i = 0; i < 12; ++i) {
        k[i] = red[kPlayingGenes[i]];
        k[12 + i] = blue[kPlayingGenes[i]];
    }
    return k;
}

const ParallelRounds::Key& ParallelRounds::Request(const EngineProfile& red,
                                                   const EngineProfile& blue, bool urgent) {
    const auto [it, added] = jobs_.try_emplace(KeyOf(red, blue));
    if (added) {
        it->second.red = red;
        it->second.blue = blue;
    }
    if (it->second.state == State::Queued) (urgent ? urgent_ : ahead_).push_back(it->first);
    return it->first;
}

void ParallelRounds::Work() {
    std::unique_lock lock(mutex_);
    while (true) {
        workWaiting_.wait(lock,
                          [this] { return stopping_ || !urgent_.empty() || !ahead_.empty(); });
        if (stopping_) return;
        std::deque<Key>& from = urgent_.empty() ? ahead_ : urgent_;
        Job& job = jobs_.at(from.front());
        from.pop_front();
        if (job.state != State::Queued) continue;
        job.state = State::Running;
        lock.unlock();
        int result = 0;
        try {
            result = play_(job.red, job.blue);
        } catch (...) {
            lock.lock();
            if (!failure_) failure_ = std::current_exception();
            stopping_ = true;
            gameDone_.notify_all();
            return;
        }
        lock.lock();
        job.result = result;
        job.state = State::Done;
        ++played_;
        gameDone_.notify_all();
    }
}

int ParallelRounds::GamesPlayed() {
    std::lock_guard lock(mutex_);
    return played_;
}

std::array<int, kGamesPerRound> ParallelRounds::PlayRound(
    const std::array<Pairing, kGamesPerRound>& pairs) {
    // levels[0] is this round; levels[k] the games k rounds ahead whose
    // players are already known (their records advanced by the games before).
    struct Slot {
        bool known = false;
        Pairing pair;
    };
    std::array<std::array<Slot, kGamesPerRound>, kRoundsAhead + 1> levels{};
    std::unique_lock lock(mutex_);
    for (int g = 0; g < kGamesPerRound; ++g) {
        levels[0][g] = {true, pairs[g]};
        Request(pairs[g].red, pairs[g].blue, true);
    }
    workWaiting_.notify_all();

    auto resultOf = [this](const Pairing& p, int& result) {
        const auto it = jobs_.find(KeyOf(p.red, p.blue));
        if (it == jobs_.end() || it->second.state != State::Done) return false;
        result = it->second.result;
        return true;
    };
    auto after = [](const EngineProfile& p, bool won) {
        EngineProfile q = p;
        ++q[won ? 9 : 10];
        return q;
    };
    std::array<int, kGamesPerRound> results{};
    int seen = -1;
    while (true) {
        gameDone_.wait(lock, [&] { return played_ != seen || failure_; });
        if (failure_) std::rethrow_exception(failure_);
        seen = played_;
        int left = 0;
        for (int g = 0; g < kGamesPerRound; ++g) left += !resultOf(pairs[g], results[g]);
        if (left == 0) return results;

        // The ladder of the next round: W1 W2 | L1 W3 | L2 W4 | ... | L8 W10 | L9 L10.
        bool added = false;
        for (int k = 0; k < kRoundsAhead; ++k)
            for (int i = 0; i < kGamesPerRound; ++i) {
                Slot& next = levels[k + 1][i];
                const int a = i == 0 ? 0 : i - 1;
                const int b = i == 0 ? 1 : (i == kGamesPerRound - 1 ? i : i + 1);
                int ra = 0, rb = 0;
                if (next.known || !levels[k][a].known || !levels[k][b].known ||
                    !resultOf(levels[k][a].pair, ra) || !resultOf(levels[k][b].pair, rb))
                    continue;
                const bool redWon = i == 0;  // game 1 pairs two winners, the others a loser first
                const bool blueWon = i != kGamesPerRound - 1;
                const Pairing& pa = levels[k][a].pair;
                const Pairing& pb = levels[k][b].pair;
                const EngineProfile& red = (ra == kRedWon) == redWon ? pa.red : pa.blue;
                const EngineProfile& blue = (rb == kRedWon) == blueWon ? pb.red : pb.blue;
                if (!MaySurvive(red, redWon) || !MaySurvive(blue, blueWon)) continue;
                next = {true, {after(red, redWon), after(blue, blueWon)}};
                Request(next.pair.red, next.pair.blue, false);
                added = true;
            }
        if (added) workWaiting_.notify_all();
    }
}

}  // namespace qv
