#include "ui/EngineRunner.h"

namespace qv::ui {

EngineRunner::EngineRunner(QObject* parent) : QObject(parent) {
    thread_.setObjectName(QStringLiteral("engine"));
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

EngineRunner::~EngineRunner() {
    Shutdown(-1);
}

void EngineRunner::Post(std::function<void()> job) {
    if (shuttingDown_) return;
    QMetaObject::invokeMethod(worker_, std::move(job), Qt::QueuedConnection);
}

void EngineRunner::Deliver(std::function<void()> f) {
    // Dropped by Qt if the runner is gone by then; the runner outlives its
    // thread, so it cannot go while a job is delivering.
    QMetaObject::invokeMethod(
        this,
        [this, f = std::move(f)] {
            if (!shuttingDown_) f();
        },
        Qt::QueuedConnection);
}

bool EngineRunner::Shutdown(int milliseconds) {
    shuttingDown_ = true;
    if (!thread_.isRunning()) return true;
    engine_.Abort();
    thread_.quit();
    const bool ended =
        milliseconds < 0 ? thread_.wait() : thread_.wait(QDeadlineTimer(milliseconds));
    return ended;
}

}  // namespace qv::ui
