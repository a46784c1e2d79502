#include "engine/strong_table.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

namespace qv::strong {

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

const Entry* Table::Probe(uint64_t key) const {
    const Bucket& b = buckets_[key & mask_];
    for (const Entry& e : b.entries)
        if (e.key == key && e.Generation() == generation_) return &e;
    return nullptr;
}

void Table::Store(uint64_t key, int32_t value, int decided, int move, int32_t draft, Bound bound) {
    Bucket& b = buckets_[key & mask_];
    Entry* slot = nullptr;
    for (Entry& e : b.entries) {
        const bool live = e.Generation() == generation_;
        if (live && e.key == key) {
            slot = &e;
            // A shallower result keeps the move of a deeper one it cannot
            // replace.
            if (draft < e.draft && bound != Bound::kExact) return;
            break;
        }
        if (!live) {
            if (slot == nullptr || slot->Generation() == generation_) slot = &e;
        } else if (slot == nullptr ||
                   (slot->Generation() == generation_ && e.draft < slot->draft)) {
            slot = &e;
        }
    }
    slot->key = key;
    slot->value = value;
    slot->move = static_cast<int8_t>(move);
    slot->draft = static_cast<int8_t>(draft);
    slot->bound = bound;
    slot->flags =
        static_cast<uint8_t>((generation_ << 2) | (decided != 0 ? Entry::kDecidedFlag : 0) |
                             (decided > 0 ? Entry::kWinFlag : 0));
}

}  // namespace qv::strong
