// The table that finds a position among those already seen.
//
// Open addressing over uint32 slots, probed linearly from the slot that the
// top bits of a position's 64-bit hash name. A slot holds the record index
// plus one in its low `bits` bits (0 is an empty slot) and, above them, as
// many top bits of the hash as the index leaves free: a tag, so that most
// probes settle without reading a record. The load stays at most 0.85, so
// the index always fits and a probe always meets an empty slot. The table
// keeps no positions itself; whoever owns the records compares them.
#pragma once

#include <cstdint>

#include "search/memory/MemoryBudget.h"
#include "search/memory/PageBlock.h"

class PositionTable {
 public:
  // Charged to `budget` as it grows.
  explicit PositionTable(MemoryBudget& budget) : charge_(&budget) {}

  static constexpr int firstBits = 10;
  static constexpr int lastBits = 30;

  // Whether `records` entries fit under the load limit.
  bool hasRoomFor(uint64_t records) const {
    return records * 20 <= (uint64_t{1} << bits_) * 17 && bits_ != 0;
  }

  // Calls `visit(index)` for every record whose slot tag matches `hash`, in
  // probe order, until it returns true: returns that index, or -1 when an
  // empty slot ends the probe first.
  template <typename Visit>
  int64_t probe(uint64_t hash, Visit visit) const {
    const uint32_t top = static_cast<uint32_t>(hash >> 32);
    const uint32_t tag = top << bits_;
    for (uint32_t slot = homeSlot(hash);; slot = (slot + 1) & mask()) {
      const uint32_t entry = slots()[slot];
      if (entry == 0) return -1;
      if ((entry & ~mask()) != tag) continue;
      const uint32_t index = (entry & mask()) - 1;
      if (visit(index)) return index;
    }
  }

  // Prefetches the home slot of `hash`.
  void prefetch(uint64_t hash) const { __builtin_prefetch(slots() + homeSlot(hash)); }

  // Puts record `index` in the first empty slot from the home of `hash`.
  void place(uint32_t index, uint64_t hash) {
    const uint32_t top = static_cast<uint32_t>(hash >> 32);
    uint32_t slot = homeSlot(hash);
    while (slots()[slot] != 0) slot = (slot + 1) & mask();
    slots()[slot] = (top << bits_) | (index + 1);
  }

  // Doubles the table (or makes the first one) and places records 0 to
  // count - 1 anew, with `hashOf(index)` giving each one's hash. False,
  // keeping the old table, when the budget or the system refuses or the
  // table is at its largest.
  template <typename HashOf>
  bool grow(uint32_t count, HashOf hashOf) {
    const int bits = bits_ == 0 ? firstBits : bits_ + 1;
    if (bits > lastBits) return false;
    const size_t newBytes = PageBlock::heldFor((size_t{1} << bits) * sizeof(uint32_t));
    if (!charge_.add(newBytes)) return false;
    PageBlock fresh((size_t{1} << bits) * sizeof(uint32_t),
                    newBytes >= hugeFrom ? Pages::huge : Pages::small);
    if (!fresh) {
      charge_.remove(newBytes);
      return false;
    }
    const size_t oldBytes = heldBytes();
    PageBlock old = std::move(block_);
    block_ = std::move(fresh);
    bits_ = bits;
    // Hashes go through a small ring so that the slot reads overlap.
    constexpr uint32_t ahead = 16;
    uint64_t hashes[ahead];
    for (uint32_t index = 0; index < count + ahead; ++index) {
      if (index >= ahead) place(index - ahead, hashes[index % ahead]);
      if (index < count) {
        hashes[index % ahead] = hashOf(index);
        prefetch(hashes[index % ahead]);
      }
    }
    PageBlock().swap(old);
    charge_.remove(oldBytes);
    return true;
  }

  // Gives the table back, and its charge.
  void clear() {
    PageBlock().swap(block_);
    bits_ = 0;
    charge_.release();
  }

  size_t heldBytes() const {
    return bits_ == 0 ? 0 : PageBlock::heldFor((size_t{1} << bits_) * sizeof(uint32_t));
  }

 private:
  uint32_t* slots() const { return reinterpret_cast<uint32_t*>(block_.get()); }
  uint32_t mask() const { return (uint32_t{1} << bits_) - 1; }
  uint32_t homeSlot(uint64_t hash) const {
    return static_cast<uint32_t>(hash >> 32) >> (32 - bits_);
  }

  PageBlock block_;
  int bits_ = 0;
  BudgetCharge charge_;
};
