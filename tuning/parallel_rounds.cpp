#include "tuning/parallel_rounds.h"

namespace qv {
namespace {

constexpr int kPlayingGenes[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 15};

// An individual is eliminated once its losses exceed its wins by two.
bool MaySurvive(const EngineProfile& p, bool won) {
    return (p[9] + (won ? 1 : 0)) - (p[10] + (won ? 0 : 1)) > -2;
}

}  // namespace

ParallelRounds::ParallelRounds(int threads, PlayGame play) : play_(std::move(play)) {
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
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
        const int result = play_(job.red, job.blue);
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
    std::unique_lock lock(mutex_);
    std::array<const Key*, kGamesPerRound> keys{};
    for (int g = 0; g < kGamesPerRound; ++g) keys[g] = &Request(pairs[g].red, pairs[g].blue, true);
    workWaiting_.notify_all();

    std::array<int, kGamesPerRound> results{};
    std::array<bool, kGamesPerRound> known{}, startedAhead{};
    int left = kGamesPerRound;
    auto winner = [&](int g) -> const EngineProfile& {
        return results[g] == kRedWon ? pairs[g].red : pairs[g].blue;
    };
    auto loser = [&](int g) -> const EngineProfile& {
        return results[g] == kRedWon ? pairs[g].blue : pairs[g].red;
    };
    while (left > 0) {
        gameDone_.wait(lock, [&] {
            for (int g = 0; g < kGamesPerRound; ++g)
                if (!known[g] && jobs_.at(*keys[g]).state == State::Done) return true;
            return false;
        });
        for (int g = 0; g < kGamesPerRound; ++g)
            if (!known[g] && jobs_.at(*keys[g]).state == State::Done) {
                results[g] = jobs_.at(*keys[g]).result;
                known[g] = true;
                --left;
            }
        // Next round's ladder: W1 W2 | L1 W3 | L2 W4 | ... | L8 W10 | L9 L10.
        bool added = false;
        for (int i = 0; i < kGamesPerRound; ++i) {
            if (startedAhead[i]) continue;
            const int a = i == 0 ? 0 : i - 1;
            const int b = i == 0 ? 1 : (i == kGamesPerRound - 1 ? i : i + 1);
            if (!known[a] || !known[b]) continue;
            startedAhead[i] = true;
            const bool redWon = i == 0;  // first player of game 1 is a winner, else a loser
            const bool blueWon = i != kGamesPerRound - 1;
            const EngineProfile& red = redWon ? winner(a) : loser(a);
            const EngineProfile& blue = blueWon ? winner(b) : loser(b);
            if (!MaySurvive(red, redWon) || !MaySurvive(blue, blueWon)) continue;
            Request(red, blue, false);
            added = true;
        }
        if (added) workWaiting_.notify_all();
    }
    return results;
}

}  // namespace qv
