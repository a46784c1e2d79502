#include "engine/strong_table.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

namespace qv::strong {

namespace {

uint64_t Load(const uint64_t& word) {
    return std::atomic_ref<uint64_t>(const_cast<uint64_t&>(word)).load(std::memory_order_relaxed);
}

void Save(uint64_t& word, uint64_t v) {
    std::atomic_ref<uint64_t>(word).store(v, std::memory_order_relaxed);
}

}  // namespace

void Table::Free::operator()(Bucket* b) const {
    std::free(b);
}

void Table::Resize(int32_t mebibytes) {
    mebibytes = std::max(mebibytes, 1);
    if (mebibytes == mebibytes_ && buckets_) return;
    const uint64_t bytes = static_cast<uint64_t>(mebibytes) << 20;
    const uint64_t count = std::bit_floor(bytes / sizeof(Bucket));
    buckets_.reset();
    buckets_.reset(static_cast<Bucket*>(std::calloc(count, sizeof(Bucket))));
    if (!buckets_) throw std::bad_alloc();
    mask_ = count - 1;
    mebibytes_ = mebibytes;
    generation_ = 0;
}

void Table::NewSearch() {
    if (++generation_ > 63) {
        std::memset(static_cast<void*>(buckets_.get()), 0, (mask_ + 1) * sizeof(Bucket));
        generation_ = 1;
    }
}

Entry Table::Read(const Slot& s) {
    const uint64_t data = Load(s.data);
    Entry e;
    e.key = Load(s.check) ^ data;
    e.value = static_cast<int32_t>(static_cast<uint32_t>(data));
    e.move = static_cast<int8_t>(data >> 32);
    e.draft = static_cast<int8_t>(data >> 40);
    e.bound = static_cast<Bound>((data >> 48) & 0xff);
    e.flags = static_cast<uint8_t>(data >> 56);
    return e;
}

void Table::Write(Slot& s, const Entry& e) {
    const uint64_t data = static_cast<uint64_t>(static_cast<uint32_t>(e.value)) |
                          static_cast<uint64_t>(static_cast<uint8_t>(e.move)) << 32 |
                          static_cast<uint64_t>(static_cast<uint8_t>(e.draft)) << 40 |
                          static_cast<uint64_t>(e.bound) << 48 |
                          static_cast<uint64_t>(e.flags) << 56;
    Save(s.check, e.key ^ data);
    Save(s.data, data);
}

bool Table::Probe(uint64_t key, Entry& out) const {
    const Bucket& b = buckets_[key & mask_];
    for (const Slot& s : b.slots) {
        const Entry e = Read(s);
        if (e.key == key && e.Generation() == generation_) {
            out = e;
            return true;
        }
    }
    return false;
}

void Table::Store(uint64_t key, int32_t value, int decided, int move, int32_t draft, Bound bound) {
    Bucket& b = buckets_[key & mask_];
    Slot* slot = nullptr;
    Entry chosen{};
    for (Slot& s : b.slots) {
        const Entry e = Read(s);
        const bool live = e.Generation() == generation_;
        if (live && e.key == key) {
            slot = &s;
            // A shallower result keeps the move of a deeper one it cannot
            // replace.
            if (draft < e.draft && bound != Bound::kExact) return;
            break;
        }
        if (!live) {
            if (slot == nullptr || chosen.Generation() == generation_) {
                slot = &s;
                chosen = e;
            }
        } else if (slot == nullptr ||
                   (chosen.Generation() == generation_ && e.draft < chosen.draft)) {
            slot = &s;
            chosen = e;
        }
    }
    Entry e;
    e.key = key;
    e.value = value;
    e.move = static_cast<int8_t>(move);
    e.draft = static_cast<int8_t>(draft);
    e.bound = bound;
    e.flags = static_cast<uint8_t>((generation_ << 2) | (decided != 0 ? Entry::kDecidedFlag : 0) |
                                   (decided > 0 ? Entry::kWinFlag : 0));
    Write(*slot, e);
}

}  // namespace qv::strong
