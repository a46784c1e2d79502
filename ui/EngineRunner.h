#pragma once

#include <QObject>
#include <QThread>
#include <functional>

#include "engine/engine.h"

namespace qv::ui {

// Runs the program's long work, one job at a time, on a thread of its own,
// with the one Engine the jobs search with. A single long-lived thread
// rather than a pool: the program never runs two long jobs at once, the
// engine keeps the tables it built for the weights in use, and closing the
// window must stop and wait for a thread it knows.
//
// Jobs reach the window's thread only through Deliver; Cancel and Abort reach
// a running search through the engine's atomic flags.
class EngineRunner : public QObject {
    Q_OBJECT
  public:
    explicit EngineRunner(QObject* parent = nullptr);
    ~EngineRunner() override;

    // Queues the job for the worker thread.
    void Post(std::function<void()> job);
    // From a job: runs f on the thread this runner belongs to, in order. After
    // Shutdown nothing more is delivered.
    void Deliver(std::function<void()> f);

    // For jobs only (and Cancel/Abort, which any thread may use).
    qv::Engine& SearchEngine() { return engine_; }

    void Cancel() { engine_.Cancel(); }
    // Stops whatever runs at once and waits for the worker to end; returns
    // false if it did not end within the time.
    bool Shutdown(int milliseconds);
    bool ShuttingDown() const { return shuttingDown_; }

  private:
    qv::Engine engine_;
    QThread thread_;
    QObject* worker_ = nullptr;  // lives on thread_
    bool shuttingDown_ = false;
};

}  // namespace qv::ui
