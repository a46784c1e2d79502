#include "engine/parallel_search.h"

#include "engine/searcher.h"

namespace qv::search_detail {

Parallel::Parallel(SearchEngine& engine, int32_t threads) : engine_(engine) {
    const fast::Bits none;
    ownerHelper_ = std::make_unique<Searcher>(engine, none, fast::Kept::kNone);
    ownerHelper_->stop = &ownerStop_;
    for (int32_t i = 1; i < threads; ++i) {
        auto helper = std::make_unique<Helper>();
        helper->searcher = std::make_unique<Searcher>(engine, none, fast::Kept::kNone);
        helper->searcher->stop = &helper->stop;
        helpers_.push_back(std::move(helper));
    }
    for (int32_t i = 0; i < static_cast<int32_t>(helpers_.size()); ++i)
        helpers_[static_cast<size_t>(i)]->thread = std::thread([this, i] { HelperLoop(i); });
}

Parallel::~Parallel() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    for (auto& helper : helpers_) helper->thread.join();
}

// Waking a thread costs a system call: only when one waits.
void Parallel::Wait(std::unique_lock<std::mutex>& lock) {
    ++waiting_;
    changed_.wait(lock);
    --waiting_;
}

void Parallel::Changed() {
    if (waiting_ > 0) changed_.notify_all();
}

void Parallel::Begin(const Searcher& owner) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& helper : helpers_) {
        helper->searcher->total = owner.total;
        helper->searcher->width = owner.width;
    }
    ownerHelper_->total = owner.total;
    ownerHelper_->width = owner.width;
    for (SplitPoint& node : points_) node.open = false;
    active_ = true;
    ++session_;
    changed_.notify_all();
}

void Parallel::End() {
    std::unique_lock<std::mutex> lock(mutex_);
    active_ = false;
    for (SplitPoint& node : points_) {
        if (!node.open) continue;
        node.open = false;
        ++node.generation;
        for (int32_t k = 0; k < node.count; ++k) Stop(node.tasks[static_cast<size_t>(k)]);
    }
    changed_.notify_all();
    // No helper may touch the engine's tables once the search has returned.
    while (busy_ > 0) Wait(lock);
}

void Parallel::Open(SplitPoint& node) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++node.generation;
    node.next = 0;
    node.at = 0;
    node.open = true;
    Changed();
}

void Parallel::Close(SplitPoint& node) {
    std::lock_guard<std::mutex> lock(mutex_);
    node.open = false;
    ++node.generation;
    for (int32_t k = node.next; k < node.count; ++k) Stop(node.tasks[static_cast<size_t>(k)]);
}

void Parallel::Stop(Task& task) {
    if (task.state != Task::State::kRunning) return;
    if (task.worker >= 0 && task.worker < static_cast<int32_t>(helpers_.size()))
        helpers_[static_cast<size_t>(task.worker)]->stop.store(true, std::memory_order_relaxed);
}

void Parallel::Update(SplitPoint& node, int32_t at, float alpha, int hint) {
    std::lock_guard<std::mutex> lock(mutex_);
    node.at = at;
    if (node.alpha == alpha && node.hint == hint) return;
    node.alpha = alpha;
    node.hint = hint;
    bool freed = false;
    for (int32_t k = node.next; k < node.count; ++k) {
        Task& t = node.tasks[static_cast<size_t>(k)];
        if (t.state != Task::State::kRunning && t.state != Task::State::kDone) continue;
        if (t.alpha == alpha && t.hint == hint) continue;
        // Searched, or being searched, for inputs the serial order no longer
        // gives: free for another try.
        Stop(t);
        t.state = Task::State::kFree;
        freed = true;
    }
    if (freed) {
        node.next = 0;
        Changed();
    }
}

bool Parallel::Take(SplitPoint& node, int32_t index, float alpha, int hint, PredictedLine& line,
                    int64_t& positions, Noted& noted) {
    std::unique_lock<std::mutex> lock(mutex_);
    Task& t = node.tasks[static_cast<size_t>(index)];
    for (;;) {
        const bool same = t.alpha == alpha && t.hint == hint;
        switch (t.state) {
            case Task::State::kFree:
            case Task::State::kOwner:
                t.state = Task::State::kOwner;
                return false;
            case Task::State::kDone:
                t.state = Task::State::kOwner;
                if (!same) return false;
                for (int32_t i = node.ply + 1; i <= 16; ++i)
                    line[static_cast<size_t>(i)] = t.line[static_cast<size_t>(i)];
                positions += t.positions;
                if (t.noted.kind != Noted::Kind::kNone) noted = t.noted;
                return true;
            case Task::State::kRunning:
                if (!same) {
                    Stop(t);
                    t.state = Task::State::kOwner;
                    return false;
                }
                // Wanted and on its way: help with another meanwhile.
                // (Its own node's later moves only: anything bigger could keep
                // the serial order waiting.)
                if (!RunOne(lock, -1, *ownerHelper_, &node)) Wait(lock);
                break;
        }
    }
}

bool Parallel::RunOne(std::unique_lock<std::mutex>& lock, int32_t worker, Searcher& s,
                      SplitPoint* only) {
    // The deepest open node first: the owner needs its moves soonest.
    SplitPoint* node = nullptr;
    Task* task = nullptr;
    int32_t index = 0;
    for (size_t d = points_.size(); d-- > 0 && task == nullptr;) {
        SplitPoint& p = points_[d];
        if (!p.open || (only != nullptr && &p != only)) continue;
        while (p.next < p.count && p.tasks[static_cast<size_t>(p.next)].state != Task::State::kFree)
            ++p.next;
        // Helpers keep ahead of the owner, who takes its next move itself.
        for (int32_t k = worker >= 0 && p.at + 1 > p.next ? p.at + 1 : p.next; k < p.count; ++k)
            if (p.tasks[static_cast<size_t>(k)].state == Task::State::kFree) {
                node = &p;
                task = &p.tasks[static_cast<size_t>(k)];
                index = k;
                break;
            }
    }
    if (task == nullptr) return false;
    task->state = Task::State::kRunning;
    task->worker = static_cast<int8_t>(worker);
    task->alpha = node->alpha;
    task->hint = static_cast<int8_t>(node->hint);
    const uint32_t generation = node->generation;
    const NodeInputs inputs = node->inputs;
    const int move = task->move;
    const float alpha = task->alpha;
    const int hint = task->hint;
    const int32_t ply = node->ply;
    s.board = node->board;
    if (worker >= 0) helpers_[static_cast<size_t>(worker)]->stop.store(false);
    lock.unlock();

    s.positions = 0;
    s.polledAt = 0;
    s.noted = Noted{};
    PredictedLine line;
    inputs.search(s, inputs, move, alpha, hint, line);
    const bool stopped = s.Aborted();

    lock.lock();
    Task& t = node->tasks[static_cast<size_t>(index)];
    if (node->generation == generation && t.state == Task::State::kRunning && t.worker == worker) {
        if (stopped) {
            t.state = Task::State::kFree;
            node->next = 0;
        } else {
            for (int32_t i = ply + 1; i <= 16; ++i)
                t.line[static_cast<size_t>(i)] = line[static_cast<size_t>(i)];
            t.positions = s.positions;
            t.noted = s.noted;
            t.state = Task::State::kDone;
        }
    }
    Changed();
    return true;
}

void Parallel::HelperLoop(int32_t worker) {
    std::unique_lock<std::mutex> lock(mutex_);
    Searcher& s = *helpers_[static_cast<size_t>(worker)]->searcher;
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || active_; });
        if (quit_) return;
        ++busy_;
        while (active_ && !quit_)
            if (!RunOne(lock, worker, s)) Wait(lock);
        --busy_;
        Changed();
    }
}

}  // namespace qv::search_detail
