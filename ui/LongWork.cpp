#include "ui/LongWork.h"

#include <exception>
#include <utility>

namespace qv::ui {

TLongWork::TLongWork(QObject* parent) : QObject(parent), runner_(this) {
    updateTimer_.setInterval(1000 / UpdateHz);
    connect(&updateTimer_, &QTimer::timeout, this, &TLongWork::ShowUpdates);
}

TLongWork::~TLongWork() {
    runner_.Shutdown(-1);
}

void TLongWork::Begin(LongWork work) {
    work_ = work;
    {
        std::lock_guard lock(updatesMutex_);
        updates_ = Updates{};
    }
    updateTimer_.start();
    emit workStarted(work);
}

void TLongWork::End() {
    const LongWork work = work_;
    if (work == LongWork::None) return;
    work_ = LongWork::None;
    updateTimer_.stop();
    emit workEnded(work);
    emit idle();
}

void TLongWork::Fail(const QString& message) {
    emit workFailed(message);
    End();
}

void TLongWork::Post(std::function<void()> job) {
    runner_.Post([this, job = std::move(job)] {
        try {
            job();
        } catch (const std::exception& e) {
            const QString message = QString::fromLocal8Bit(e.what());
            Deliver([this, message] { Fail(message); });
        }
    });
}

void TLongWork::Deliver(std::function<void()> f) {
    runner_.Deliver([this, f = std::move(f)] {
        ShowUpdates();
        f();
    });
}

void TLongWork::ReportProgress(const SearchProgress& p) {
    if (WorkerRootMoveHook) WorkerRootMoveHook(p);
    Note([&p](Updates& u) { u.percent = p.percent; });
}

void TLongWork::ShowUpdates() {
    Updates u;
    {
        std::lock_guard lock(updatesMutex_);
        std::swap(u, updates_);
    }
    if (runner_.ShuttingDown()) return;
    if (u.board) emit boardPublished(*u.board);
    if (u.game) emit evolutionGameStarting((*u.game)[0], (*u.game)[1], (*u.game)[2], (*u.game)[3]);
    for (const RoundSummary& summary : u.rounds) emit evolutionRoundFinished(summary);
    for (const PositionAnalysis& position : u.positions) emit analysisPosition(position);
    if (u.percent) emit progressChanged(*u.percent);
}

void TLongWork::Shutdown(int milliseconds) {
    updateTimer_.stop();
    runner_.Shutdown(milliseconds);
}

}  // namespace qv::ui
