// Numbers for the prefixes of positions that a search meets, so that a
// position's key fits 64 bits where its full compact key would not.
//
// A prefix is the compact key's top digits (the pieces of the larger groups,
// CompactCodec.h); the search meets far fewer of them than the 2^64 and more
// that their digits could spell, since most placements of those pieces
// overlap. Each prefix gets the next free number the first time any thread
// asks for it; the numbers depend on the order of the asks, but keys are only
// compared and looked up, so the search's answer does not. Threads ask side
// by side: the table is cut into shards, each behind a lock of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "LayerKeys.h"
#include "MemoryBlocks.h"

class PrefixDictionary {
 public:
  explicit PrefixDictionary(MemoryBudget& budget) : budget_(budget) { chunks_.resize(maxChunks); }
  ~PrefixDictionary() { budget_.release(charged_.load()); }

  // The number of `prefix`, given one when it has none (with `pieceZero`, the
  // cell of piece 0 in it); false when the budget or the numbers run out.
  bool numberOf(const Key128& prefix, uint8_t pieceZero, uint32_t& number);

  // The prefix numbered `number`, and the cell of its piece 0. A number may
  // be read by any thread that received it.
  const Key128& prefix(uint32_t number) const {
    return chunks_[number >> chunkBits]->prefixes[number & chunkMask];
  }
  uint8_t pieceZero(uint32_t number) const {
    return chunks_[number >> chunkBits]->pieceZero[number & chunkMask];
  }
  uint32_t size() const { return next_.load(std::memory_order_relaxed); }
  // Whether some number could not be given: the search cannot go on.
  bool exhausted() const { return exhausted_.load(std::memory_order_relaxed); }

 private:
  static constexpr int chunkBits = 16;
  static constexpr uint32_t chunkMask = (uint32_t{1} << chunkBits) - 1;
  static constexpr size_t maxChunks = size_t{1} << 16;
  static constexpr int shardBits = 6;

  struct Chunk {
    Key128 prefixes[size_t{1} << chunkBits];
    uint8_t pieceZero[size_t{1} << chunkBits];
  };
  // A slot holds a number plus one (0 is an empty slot); the prefix it
  // stands for is looked up by the number.
  struct alignas(64) Shard {
    std::mutex lock;
    std::vector<uint32_t> slots;
    size_t used = 0;
  };

  static uint64_t hashOf(const Key128& prefix) {
    uint64_t h =
        static_cast<uint64_t>(prefix) ^ static_cast<uint64_t>(prefix >> 64) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 29);
  }
  bool charge(size_t bytes) {
    if (!budget_.charge(bytes)) return false;
    charged_ += bytes;
    return true;
  }
  bool grow(Shard& shard);
  bool store(uint32_t number, const Key128& prefix, uint8_t pieceZero);

  MemoryBudget& budget_;
  std::atomic<size_t> charged_{0};
  Shard shards_[size_t{1} << shardBits];
  std::atomic<uint32_t> next_{0};
  std::atomic<bool> exhausted_{false};
  std::mutex chunkLock_;
  std::vector<std::unique_ptr<Chunk>> chunks_;
};
