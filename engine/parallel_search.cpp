#include "engine/parallel_search.h"

#include <new>
#include <system_error>

#include "engine/searcher.h"

namespace qv::search_detail {

Parallel::Parallel(SearchEngine& engine, int32_t threads) : requested_(threads) {
    const fast::Bits none;
    ownerHelper_ = std::make_unique<Searcher>(engine, none, fast::Kept::kNone);
    ownerHelper_->stop = &ownerStop_;
    // The numbers do not depend on the count of threads: when the system
    // cannot give every one asked for (memory, a limit on processes), the
    // search goes on with those it has. Everything is allocated before any
    // thread starts, so that no helper ever waits on a half-built object.
    try {
        for (int32_t i = 1; i < threads; ++i) {
            auto helper = std::make_unique<Helper>();
            helper->searcher = std::make_unique<Searcher>(engine, none, fast::Kept::kNone);
            helper->searcher->stop = &helper->stop;
            helper->cache.Begin();  // its table
            helpers_.push_back(std::move(helper));
        }
    } catch (const std::bad_alloc&) {
    }
    const auto watch = [this] {
        return static_cast<uint32_t>(Threads()) <= std::thread::hardware_concurrency();
    };
    watch_ = watch();
    size_t started = 0;
    try {
        for (; started < helpers_.size(); ++started)
            helpers_[started]->thread =
                std::thread([this, started] { HelperLoop(static_cast<int32_t>(started)); });
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    if (started < helpers_.size()) {
        // The helpers that run read the list under the lock.
        std::lock_guard<SpinLock> lock(mutex_);
        helpers_.erase(helpers_.begin() + static_cast<std::ptrdiff_t>(started), helpers_.end());
        watch_ = watch();
    }
}

Parallel::~Parallel() {
    {
        std::lock_guard<SpinLock> lock(mutex_);
        quit_ = true;
        Changed();
    }
    changed_.notify_all();
    for (auto& helper : helpers_) helper->thread.join();
}

void Parallel::Wait(std::unique_lock<SpinLock>& lock) {
    ++waiting_;
    changed_.wait(lock);
    --waiting_;
}

void Parallel::Changed() {
    epoch_.store(epoch_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    if (waiting_ > 0) changed_.notify_all();
}

void Parallel::WaitForChange(std::unique_lock<SpinLock>& lock) {
    // A few hundred microseconds: longer than the owner takes to open its
    // next split point or a helper to finish a task near the horizon. No
    // pause instruction in the loop: in a virtual machine a run of them can
    // make the hypervisor take the processor away.
    constexpr int32_t kWatch = 1 << 18;
    const uint32_t seen = epoch_.load(std::memory_order_relaxed);
    if (watch_) {
        lock.unlock();
        for (int32_t i = 0; i < kWatch && epoch_.load(std::memory_order_acquire) == seen; ++i) {
        }
        lock.lock();
    }
    if (epoch_.load(std::memory_order_relaxed) == seen) Wait(lock);
}

void Parallel::Begin(const Searcher& owner, bool shallowFirst) {
    std::lock_guard<SpinLock> lock(mutex_);
    shallowFirst_ = shallowFirst;
    for (auto& helper : helpers_) {
        helper->searcher->total = owner.total;
        helper->searcher->width = owner.width;
        helper->searcher->watchCancel = owner.watchCancel;
        helper->searcher->halted = false;
        helper->cache.Begin();
        helper->searcher->cache = &helper->cache;
    }
    ownerHelper_->total = owner.total;
    ownerHelper_->width = owner.width;
    ownerHelper_->watchCancel = owner.watchCancel;
    ownerHelper_->halted = false;
    // What it finds while the owner waits is of the owner's search.
    ownerHelper_->cache = owner.cache;
    for (SplitPoint& node : points_) node.open = false;
    active_ = true;
    Changed();
}

void Parallel::End() {
    std::unique_lock<SpinLock> lock(mutex_);
    active_ = false;
    Changed();
    for (SplitPoint& node : points_) {
        if (!node.open) continue;
        node.open = false;
        ++node.generation;
        for (int32_t k = 0; k < node.count; ++k) Stop(node.tasks[static_cast<size_t>(k)]);
    }
    // No helper may touch the engine's tables once the search has returned.
    while (busy_ > 0) WaitForChange(lock);
}

void Parallel::Open(SplitPoint& node) {
    std::lock_guard<SpinLock> lock(mutex_);
    ++node.generation;
    node.next = 0;
    node.at = 0;
    node.open = true;
    Changed();
}

void Parallel::Close(SplitPoint& node) {
    std::lock_guard<SpinLock> lock(mutex_);
    node.open = false;
    ++node.generation;
    for (int32_t k = 0; k < node.count; ++k) Stop(node.tasks[static_cast<size_t>(k)]);
}

void Parallel::Stop(Task& task) {
    if (task.state.load(std::memory_order_relaxed) != Task::State::kRunning) return;
    if (task.worker >= 0 && task.worker < static_cast<int32_t>(helpers_.size()))
        helpers_[static_cast<size_t>(task.worker)]->stop.store(true, std::memory_order_relaxed);
}

void Parallel::Update(SplitPoint& node, int32_t at, float alpha, int hint) {
    node.at.store(at, std::memory_order_relaxed);
    // Only the owner writes the inputs: it may read them without the lock.
    if (node.alpha == alpha && node.hint == hint) return;
    std::lock_guard<SpinLock> lock(mutex_);
    node.alpha = alpha;
    node.hint = hint;
    bool freed = false;
    for (int32_t k = at; k < node.count; ++k) {
        Task& t = node.tasks[static_cast<size_t>(k)];
        const Task::State state = t.state.load(std::memory_order_relaxed);
        if (state != Task::State::kRunning && state != Task::State::kDone) continue;
        if (t.alpha == alpha && t.hint == hint) continue;
        // Searched, or being searched, for inputs the serial order no longer
        // gives: free for another try.
        Stop(t);
        t.state.store(Task::State::kFree, std::memory_order_relaxed);
        freed = true;
    }
    if (freed) {
        node.next = 0;
        Changed();
    }
}

bool Parallel::Take(SplitPoint& node, int32_t index, float alpha, int hint, PredictedLine& line,
                    int64_t& positions, Noted& noted) {
    Task& t = node.tasks[static_cast<size_t>(index)];
    // Without the lock while nobody searches the task.
    Task::State state = t.state.load(std::memory_order_acquire);
    if (state == Task::State::kFree &&
        t.state.compare_exchange_strong(state, Task::State::kOwner, std::memory_order_acquire))
        return false;
    if (state == Task::State::kOwner) return false;
    std::unique_lock<SpinLock> lock(mutex_, std::defer_lock);
    for (;;) {
        state = t.state.load(std::memory_order_acquire);
        // Read only once the task is done, or under the lock: a helper writes
        // them when it takes the task.
        const auto same = [&] { return t.alpha == alpha && t.hint == hint; };
        switch (state) {
            case Task::State::kFree:
                if (t.state.compare_exchange_strong(state, Task::State::kOwner,
                                                    std::memory_order_acquire))
                    return false;
                break;
            case Task::State::kOwner:
                return false;
            case Task::State::kDone:
                t.state.store(Task::State::kOwner, std::memory_order_relaxed);
                if (!same()) return false;
                for (int32_t i = node.ply + 1; i <= 16; ++i)
                    line[static_cast<size_t>(i)] = t.line[static_cast<size_t>(i)];
                positions += t.positions;
                if (t.noted.kind != Noted::Kind::kNone) noted = t.noted;
                return true;
            case Task::State::kRunning:
                if (!lock.owns_lock()) {
                    lock.lock();
                    break;  // look again, now that it cannot change under us
                }
                if (!same()) {
                    Stop(t);
                    t.state.store(Task::State::kOwner, std::memory_order_relaxed);
                    return false;
                }
                // Wanted and on its way: help with another meanwhile (its own
                // node's later moves only: anything bigger could keep the
                // serial order waiting).
                if (!RunOne(lock, -1, *ownerHelper_, &node)) WaitForChange(lock);
                break;
        }
    }
}

bool Parallel::RunOne(std::unique_lock<SpinLock>& lock, int32_t worker, Searcher& s,
                      SplitPoint* only) {
    // Stopped: any task it took would end at once, and stay to be done.
    if (s.halted) return false;
    // The owner helps with its own node; helpers look at the open nodes in
    // the order Begin was given.
    SplitPoint* node = nullptr;
    Task* task = nullptr;
    int32_t index = 0;
    const bool shallow = shallowFirst_ && worker >= 0;
    for (size_t i = 0; i < points_.size() && task == nullptr; ++i) {
        SplitPoint& p = points_[shallow ? i : points_.size() - 1 - i];
        if (!p.open || (only != nullptr && &p != only)) continue;
        while (p.next < p.count && p.tasks[static_cast<size_t>(p.next)].state.load(
                                       std::memory_order_relaxed) != Task::State::kFree)
            ++p.next;
        // Helpers keep ahead of the owner, who takes its next move itself.
        const int32_t at = p.at.load(std::memory_order_relaxed) + 1;
        for (int32_t k = worker >= 0 && at > p.next ? at : p.next; k < p.count; ++k) {
            Task& t = p.tasks[static_cast<size_t>(k)];
            Task::State state = Task::State::kFree;
            if (t.state.load(std::memory_order_relaxed) == state &&
                t.state.compare_exchange_strong(state, Task::State::kRunning,
                                                std::memory_order_acquire)) {
                node = &p;
                task = &t;
                index = k;
                break;
            }
        }
    }
    if (task == nullptr) return false;
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
    if (worker >= 0) {
        helpers_[static_cast<size_t>(worker)]->stop.store(false);
        ++busy_;
    }
    lock.unlock();

    // The positions since the thread last polled carry over: a thread that
    // only searches small tasks still polls.
    s.polledAt = s.polledAt - s.positions;
    s.positions = 0;
    s.noted = Noted{};
    PredictedLine line;
    inputs.search(s, inputs, move, alpha, hint, line);
    const bool stopped = s.Aborted();

    lock.lock();
    if (worker >= 0) --busy_;
    Task& t = node->tasks[static_cast<size_t>(index)];
    if (node->generation == generation &&
        t.state.load(std::memory_order_relaxed) == Task::State::kRunning && t.worker == worker) {
        if (stopped) {
            t.state.store(Task::State::kFree, std::memory_order_relaxed);
            node->next = 0;
        } else {
            for (int32_t i = ply + 1; i <= 16; ++i)
                t.line[static_cast<size_t>(i)] = line[static_cast<size_t>(i)];
            t.positions = s.positions;
            t.noted = s.noted;
            t.state.store(Task::State::kDone, std::memory_order_release);
        }
    }
    Changed();
    return true;
}

void Parallel::HelperLoop(int32_t worker) {
    std::unique_lock<SpinLock> lock(mutex_);
    Searcher& s = *helpers_[static_cast<size_t>(worker)]->searcher;
    for (;;) {
        while (!quit_ && !active_) WaitForChange(lock);
        if (quit_) return;
        while (active_ && !quit_)
            if (!RunOne(lock, worker, s)) WaitForChange(lock);
    }
}

}  // namespace qv::search_detail
