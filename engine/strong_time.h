#pragma once
// When the strong search starts another iteration and when it stops, on a
// thinking time per move or on a clock for the whole game. The clock that
// is read can be replaced, so that the rule can be checked on iterations of
// known lengths.

#include <cstdint>
#include <functional>

namespace qv::strong {

// Milliseconds from any fixed moment.
using Clock = std::function<double()>;
// The steady clock of the machine.
Clock SteadyClock();

// What one move may take.
struct MoveBudget {
    // Another iteration is always started below this.
    double startMs = 0;
    // Above it, one is started only when it is expected to end by targetMs.
    double targetMs = 0;
    // The search stops here, finished or not.
    double hardMs = 0;
};

// movetime T: the move takes between 0.85 T and T. The hard limit leaves a
// little of T for the answer to reach whoever asked.
MoveBudget MovetimeBudget(double movetimeMs);

// A side whose clock has run out still gets this much a move.
constexpr double kClockMinimumMs = 10.0;

// A game clock: what the side to move may spend on this move with timeLeftMs
// on its clock, incrementMs added after each of its moves and movesToGo of
// its moves before the clock is refilled (0: the rest of the game). plies is
// the number of pieces on the board, empties the points still empty. Never
// more than the time left less a safety margin, nor less than
// kClockMinimumMs.
MoveBudget ClockBudget(int64_t timeLeftMs, int64_t incrementMs, int32_t movesToGo, int32_t plies,
                       int32_t empties);

// The share of the clock this move aims at, without the limits of
// ClockBudget: the time left weighed by the plies still to come.
double ClockShareMs(int64_t timeLeftMs, int64_t incrementMs, int32_t movesToGo, int32_t plies,
                    int32_t empties);

// The weight of a move at this ply: highest in the middle game, where games
// are decided.
double PlyWeight(int32_t ply);

// Kept on the stack of one search: no allocation once made.
class TimeManager {
  public:
    TimeManager(const MoveBudget& budget, const Clock& clock);

    double Elapsed() const;
    // After an iteration has finished.
    void IterationDone();
    // Whether the next iteration is to be started.
    bool StartNext() const;
    // Whether the search must stop now.
    bool Expired() const { return Elapsed() >= budget_.hardMs; }
    const MoveBudget& Budget() const { return budget_; }

  private:
    MoveBudget budget_;
    const Clock* clock_;
    double start_ = 0;
    double lastEnd_ = 0;
    double last_ = 0;      // the last finished iteration's time
    double previous_ = 0;  // the one before it
};

}  // namespace qv::strong
