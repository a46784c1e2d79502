#pragma once

#include <array>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "tuning/evolution.h"

namespace qv {

// Plays the games of the evolution's rounds on several threads. A game's
// result depends only on the two players' playing genes, so results are
// kept by those genes, and as soon as the two players of a next-round game
// are known (both games that feed it are over and neither player can be
// eliminated) that game is started ahead; idle threads then have work while
// the last games of a round finish. The trace stays the same whatever the
// number of threads.
class ParallelRounds {
  public:
    using PlayGame = std::function<int(const EngineProfile& red, const EngineProfile& blue)>;

    // Plays on as many of the threads as the system could start (Threads());
    // throws std::system_error when it could start none.
    ParallelRounds(int threads, PlayGame play);
    ~ParallelRounds();
    ParallelRounds(const ParallelRounds&) = delete;
    ParallelRounds& operator=(const ParallelRounds&) = delete;

    // A game that threw ends the round with its exception, on the calling
    // thread; no game is started after it.
    std::array<int, kGamesPerRound> PlayRound(const std::array<Pairing, kGamesPerRound>& pairs);

    int Threads() const { return static_cast<int>(threads_.size()); }

    // Games played so far, ahead of their round included.
    int GamesPlayed();

  private:
    using Key = std::array<int32_t, 24>;
    static constexpr int kRoundsAhead = 3;
    enum class State { Queued, Running, Done };
    struct Job {
        EngineProfile red, blue;
        State state = State::Queued;
        int result = 0;
    };

    static Key KeyOf(const EngineProfile& red, const EngineProfile& blue);
    // With the lock held.
    const Key& Request(const EngineProfile& red, const EngineProfile& blue, bool urgent);
    void Work();

    PlayGame play_;
    std::mutex mutex_;
    std::condition_variable workWaiting_;
    std::condition_variable gameDone_;
    std::map<Key, Job> jobs_;
    std::deque<Key> urgent_;
    std::deque<Key> ahead_;
    int played_ = 0;
    bool stopping_ = false;
    std::exception_ptr failure_;  // the first game that threw
    std::vector<std::thread> threads_;
};

}  // namespace qv
