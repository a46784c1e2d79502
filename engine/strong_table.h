#pragma once
// The strong search's transposition table: buckets of four entries, one
// cache line each, allocated once and kept while its size stays the same.
// Each search has its own generation; an entry of another generation reads
// as empty, so what an earlier search left behind changes nothing.
//
// Every thread of a search reads and writes it without a lock. An entry is
// two 64-bit words, its data and its key XORed with that data, each written
// and read on its own; an entry half written by one thread while another
// reads it fails the key check and reads as empty.

#include <cstdint>
#include <memory>

namespace qv::strong {

enum class Bound : uint8_t { kNone, kUpper, kLower, kExact };

struct Entry {
    uint64_t key;
    int32_t value;
    int8_t move;
    int8_t draft;
    Bound bound;
    // Bit 0: the value is a decided one, stored without its remaining-depth
    // bonus; bit 1: it is a win for the side to move. Once the bonus is off a
    // win found deeper than the node's own depth reads below zero, so the
    // value alone cannot tell a win from a loss. The rest: the generation.
    uint8_t flags;

    static constexpr uint8_t kDecidedFlag = 1;
    static constexpr uint8_t kWinFlag = 2;
    uint8_t Generation() const { return flags >> 2; }
};

class Table {
  public:
    // Rounded down to a power of two buckets; 1 MiB at least.
    void Resize(int32_t mebibytes);
    int32_t Mebibytes() const { return mebibytes_; }
    // A new search: entries of earlier ones no longer count. Not while any
    // thread searches.
    void NewSearch();

    // The key's entry of this search, into out.
    bool Probe(uint64_t key, Entry& out) const;
    // Asks for the key's bucket to be brought into the cache.
    void Prefetch(uint64_t key) const { __builtin_prefetch(&buckets_[key & mask_]); }
    // decided: 0 for an undecided value, +1 for a win, -1 for a loss.
    void Store(uint64_t key, int32_t value, int decided, int move, int32_t draft, Bound bound);

  private:
    // All zero is an empty slot: the table comes zeroed from the system, and
    // generation 0 is never a search's.
    struct Slot {
        uint64_t check;  // key ^ data
        uint64_t data;
    };
    struct alignas(64) Bucket {
        Slot slots[4];
    };
    struct Free {
        void operator()(Bucket* b) const;
    };
    static Entry Read(const Slot& s);
    static void Write(Slot& s, const Entry& e);

    // Zeroed pages the system hands out as they are first touched, rather
    // than all of them at once.
    std::unique_ptr<Bucket[], Free> buckets_;
    uint64_t mask_ = 0;
    int32_t mebibytes_ = 0;
    uint8_t generation_ = 0;  // 1..63 while searching; 0 marks an empty entry
};

}  // namespace qv::strong
