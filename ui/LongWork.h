#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "engine/engine.h"
#include "model/board.h"
#include "tuning/analysis.h"
#include "tuning/evolution.h"
#include "ui/EngineRunner.h"

namespace qv::ui {

// The kinds of long work; at most one runs at a time. ComputerMove is the
// computer's search for the colour it plays, and the pause before its move.
enum class LongWork { None, Suggestion, ComputerMove, Analysis, EngineGame, Evolution };

// The one piece of long work that runs, on the engine runner's thread, and
// the way what it finds gets back to the window: a job notes its news here
// and the window takes them in on its own time, at most UpdateHz times a
// second, so no amount of reporting floods its queue.
class TLongWork : public QObject {
    Q_OBJECT
  public:
    explicit TLongWork(QObject* parent = nullptr);
    ~TLongWork() override;

    LongWork Work() const { return work_; }
    bool Idle() const { return work_ == LongWork::None; }
    // The computer is finding (or about to play) its move: the position is its.
    bool ComputerThinking() const { return work_ == LongWork::ComputerMove; }
    // An engine game or the evolution: the board belongs to it.
    bool Tuning() const { return work_ == LongWork::EngineGame || work_ == LongWork::Evolution; }
    // The person's edits of the board wait.
    bool BoardLocked() const { return Tuning() || ComputerThinking(); }

    // How often the window looks at what long work has noted for it.
    static constexpr int UpdateHz = 40;
    // Runs on the worker thread after each root move of any search; tests use
    // it to act at a known point of the work.
    std::function<void(const SearchProgress&)> WorkerRootMoveHook;

    // The engine every job searches with, shared so that one Cancel reaches
    // whatever searches on it. For jobs (and the flags, which any thread may use).
    qv::Engine& SearchEngine() { return runner_.SearchEngine(); }
    void Cancel() { runner_.Cancel(); }
    bool CancelRequested() { return runner_.SearchEngine().CancelRequested(); }

    void Begin(LongWork work);
    void End();
    // The failure is reported (and, by Fail, the work ends).
    void ReportFailure(const QString& message) { emit workFailed(message); }
    void Fail(const QString& message);
    // Runs the job on the worker; a failure it throws ends the work so.
    void Post(std::function<void()> job);
    // From a job: runs f on the window's thread after showing every update
    // noted before it.
    void Deliver(std::function<void()> f);

    // What the worker has noted since the window last looked: the latest of
    // each kind that only shows a state, and every round and position in order.
    struct Updates {
        std::optional<int> percent;
        std::optional<Board> board;
        std::optional<std::array<int, 4>> game;  // round, game, red and blue identity
        std::vector<RoundSummary> rounds;
        std::vector<PositionAnalysis> positions;
    };
    // From a job: notes an update for the window.
    template <class F>
    void Note(F&& change) {
        std::lock_guard lock(updatesMutex_);
        change(updates_);
    }
    // From a job, after each root move: the hook and the progress bar.
    void ReportProgress(const SearchProgress& p);
    // On the window's thread, at once.
    void ShowProgress(int percent) { emit progressChanged(percent); }

    // Stops everything at once and waits for the worker, up to the time
    // (forever when negative): the window is closing.
    void Shutdown(int milliseconds);

  signals:
    void workStarted(qv::ui::LongWork work);
    void workEnded(qv::ui::LongWork work);
    // After workEnded, once the window has seen it: other work may begin.
    void idle();
    void workFailed(const QString& message);
    // The progress bar's 0..100 for the search in progress; during long work
    // the latest value, at most UpdateHz times a second.
    void progressChanged(int percent);
    // The news noted by the jobs, in this order.
    void boardPublished(const qv::Board& board);
    // The game in progress (the latest one when several began since the last look).
    void evolutionGameStarting(int round, int game, int redId, int blueId);
    void evolutionRoundFinished(const qv::RoundSummary& summary);
    void analysisPosition(const qv::PositionAnalysis& position);

  private:
    void ShowUpdates();

    LongWork work_ = LongWork::None;
    std::mutex updatesMutex_;
    Updates updates_;
    QTimer updateTimer_;
    EngineRunner runner_;
};

}  // namespace qv::ui
