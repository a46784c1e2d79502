#pragma once
// One search on several threads with exactly the numbers of one thread.
//
// The owner thread walks the tree in the serial order and is the only one
// that decides anything. Once the first move of a node deep enough is done,
// the node becomes a split point: helpers may search its later moves ahead of
// time, each with the node's alpha (and, in full width, the reply hint) as it
// stands when they start. When the owner reaches such a move it keeps the
// result only if the move was searched with the alpha and hint the serial
// order gives it now, and searches the move itself otherwise; a move the
// serial order never reaches (the node was cut off, or cancelled) is thrown
// away with its positions. A search below a node depends on nothing else (the
// board, the bounds' other half and the scores are the node's; and as every
// searched node takes its first move, whose value lies inside the window, the
// line entries a child leaves are all its own), so the kept results, and with
// them the line, the value, the counts and the last potentials, are the
// serial ones.
//
// Helpers search whole subtrees on their own copies of the board and never
// split them further; only the owner reports progress. Abort, and a Cancel
// made during the search, stop everyone at once; a task so cut short is never
// kept.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/noted.h"
#include "engine/search_board.h"
#include "engine/subtree_cache.h"
#include "engine/types.h"

namespace qv {

class SearchEngine;

namespace search_detail {

struct Searcher;

struct NodeInputs;

// Searches the reply to one move of a split point on a helper's Searcher,
// whose board is the node's: places the move and runs the node's child with
// the alpha and hint given, into line.
using ChildSearch = void (*)(Searcher& s, const NodeInputs& node, int move, float alpha, int hint,
                             PredictedLine& line);

// What a node's children get from the node besides the move, alpha and hint.
struct NodeInputs {
    ChildSearch search = nullptr;
    int32_t colour = 0;
    int32_t remaining = 0;
    float beta = 0.0f;
    float own = 0.0f;
    float other = 0.0f;
};

// The lock around the split points. Its holders never hold it for long, and
// a thread that found it taken would otherwise sleep in the kernel and wake
// much later than the lock is free again: it waits on the spot, and gives
// its processor away only when the holder seems not to run (more threads
// than processors).
class SpinLock {
  public:
    void lock() {
        for (int32_t tries = 0; held_.exchange(true, std::memory_order_acquire);)
            while (held_.load(std::memory_order_relaxed))
                if (++tries % 1024 == 0) std::this_thread::yield();
    }
    bool try_lock() { return !held_.exchange(true, std::memory_order_acquire); }
    void unlock() { held_.store(false, std::memory_order_release); }

  private:
    std::atomic<bool> held_{false};
};

struct Task {
    enum class State : uint8_t {
        kFree,     // a helper may take it
        kRunning,  // a helper searches it
        kDone,     // searched, waiting for the owner
        kOwner,    // the owner has it (or it is a leaf): not for helpers
    };
    // Changes out of kRunning, and helpers' claims, happen under the lock;
    // the owner claims a free task, and takes a done one, without it.
    std::atomic<State> state{State::kFree};
    int8_t move = -1;    // reading index
    int8_t worker = -1;  // the thread that searches it
    int8_t hint = -1;    // the inputs it was searched with
    float alpha = 0.0f;
    // The child's line entries (ply + 1 onwards), positions and last
    // potentials.
    PredictedLine line;
    int64_t positions = 0;
    Noted noted;
};

struct SplitPoint {
    bool open = false;
    uint32_t generation = 0;  // a finished helper checks it before writing
    NodeInputs inputs;
    int32_t ply = 0;
    fast::SearchBoard board;  // the node's, between moves
    // The node's inputs to its next moves, as the owner last set them.
    float alpha = 0.0f;
    int hint = -1;
    int32_t count = 0;           // tasks
    int32_t next = 0;            // the first that may still be free
    std::atomic<int32_t> at{0};  // the owner's task: helpers start after it
    std::array<Task, kPoints> tasks;
};

// The helpers of one SearchEngine, kept between searches.
class Parallel {
  public:
    // threads: the owner and threads - 1 helpers.
    Parallel(SearchEngine& engine, int32_t threads);
    ~Parallel();
    Parallel(const Parallel&) = delete;
    Parallel& operator=(const Parallel&) = delete;

    // The threads that search; fewer than asked for when the system could
    // not start them all.
    int32_t Threads() const { return static_cast<int32_t>(helpers_.size()) + 1; }
    int32_t Requested() const { return requested_; }

    // Around one search by the owner: the helpers' Searchers copy its depth
    // and width. shallowFirst: helpers take the moves of the open node
    // nearest the root first (else the deepest's, which the owner needs
    // soonest). Full-width nodes near the root have many moves whose hint
    // soon settles, so their moves keep; a width-limited node's alpha
    // changes more often, and the deepest node's moves are wanted first.
    void Begin(const Searcher& owner, bool shallowFirst);
    void End();

    // The split point of the owner's node at ply, to fill and then Open.
    SplitPoint& At(int32_t ply) { return points_[static_cast<size_t>(ply)]; }
    void Open(SplitPoint& node);
    void Close(SplitPoint& node);
    // The node's alpha or hint changed: later moves searched with the old
    // ones are of no use.
    void Update(SplitPoint& node, int32_t at, float alpha, int hint);
    // The owner is at task index of the node with these inputs. True: the
    // child's result is in line (entries ply + 1 on), positions and noted.
    // False: the owner searches the move itself.
    bool Take(SplitPoint& node, int32_t index, float alpha, int hint, PredictedLine& line,
              int64_t& positions, Noted& noted);

  private:
    struct Helper {
        std::thread thread;
        std::unique_ptr<Searcher> searcher;
        SubtreeCache cache;
        // Read at every move of the helper's search: on a line of its own.
        alignas(64) std::atomic<bool> stop{false};
    };

    void HelperLoop(int32_t worker);
    // Takes the first free task (of the given node, or of the open nodes in
    // the order Begin chose) and searches it; the lock is held on entry and
    // on return. False: none was free. worker -1 is the owner.
    bool RunOne(std::unique_lock<SpinLock>& lock, int32_t worker, Searcher& s,
                SplitPoint* only = nullptr);
    void Stop(Task& task);

    int32_t requested_ = 1;
    std::vector<std::unique_ptr<Helper>> helpers_;
    std::unique_ptr<Searcher> ownerHelper_;  // the owner's, while it waits
    std::array<SplitPoint, 17> points_;
    SpinLock mutex_;
    std::condition_variable_any changed_;
    bool active_ = false;  // a search runs
    bool shallowFirst_ = false;
    bool quit_ = false;    // the helpers end
    int32_t busy_ = 0;     // helpers searching a task
    int32_t waiting_ = 0;  // threads waiting for a change
    // Never set: the owner's searches ahead are stopped by nobody (only the
    // owner could make them stale, and it is busy with them).
    alignas(64) std::atomic<bool> ownerStop_{false};

    // Waking a thread costs a system call and a wait for the scheduler, more
    // than many tasks take: during a search a thread with nothing to do
    // watches epoch_ for a while before it sleeps (when there is a processor
    // for each thread), and Changed wakes only threads that sleep.
    void Wait(std::unique_lock<SpinLock>& lock);
    void WaitForChange(std::unique_lock<SpinLock>& lock);
    void Changed();
    alignas(64) std::atomic<uint32_t> epoch_{0};  // counts Changed; written under the lock
    bool watch_ = false;                          // a processor for each thread
};

}  // namespace search_detail
}  // namespace qv
