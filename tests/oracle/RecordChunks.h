// Records of a fixed size appended one after another in chunks of one huge
// page, so that a record never moves once written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "search/memory/MemoryBudget.h"
#include "search/memory/PageBlock.h"

class RecordChunks {
 public:
  // Records of `recordBytes` bytes, charged to `budget` chunk by chunk.
  RecordChunks(size_t recordBytes, MemoryBudget& budget)
      : recordBytes_(recordBytes),
        perChunk_(static_cast<uint32_t>(hugePageBytes / recordBytes)),
        charge_(&budget) {}

  uint32_t count() const { return count_; }
  uint8_t* at(uint32_t index) const {
    return chunks_[index / perChunk_].get() + (index % perChunk_) * recordBytes_;
  }
  // Room for one more record; false when the budget or the system refuses,
  // or 2^32 - 1 records are held.
  bool reserve();
  // Appends a copy of `record`; reserve must have been granted.
  void append(const uint8_t* record);
  // Gives back every chunk and its charge.
  void clear();

 private:
  size_t recordBytes_ = 1;
  uint32_t perChunk_ = 1;
  uint32_t count_ = 0;
  std::vector<PageBlock> chunks_;
  BudgetCharge charge_;
};
