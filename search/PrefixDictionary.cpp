#include "PrefixDictionary.h"

bool PrefixDictionary::numberOf(const Key128& prefix, uint8_t pieceZero, uint32_t& number) {
  const uint64_t hash = hashOf(prefix);
  Shard& shard = shards_[hash >> (64 - shardBits)];
  std::lock_guard<std::mutex> guard(shard.lock);
  if (shard.used * 2 >= shard.slots.size() && !grow(shard)) {
    exhausted_ = true;
    return false;
  }
  const size_t mask = shard.slots.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    uint32_t& slot = shard.slots[at];
    if (slot != 0 && this->prefix(slot - 1) == prefix) {
      number = slot - 1;
      return true;
    }
    if (slot != 0) continue;
    const uint32_t fresh = next_.fetch_add(1, std::memory_order_relaxed);
    if (fresh == UINT32_MAX || !store(fresh, prefix, pieceZero)) {
      exhausted_ = true;
      return false;
    }
    slot = fresh + 1;
    ++shard.used;
    number = fresh;
    return true;
  }
}

bool PrefixDictionary::grow(Shard& shard) {
  const size_t size = shard.slots.empty() ? 1024 : 2 * shard.slots.size();
  if (!charge((size - shard.slots.size()) * sizeof(uint32_t))) return false;
  std::vector<uint32_t> slots(size, 0);
  for (const uint32_t slot : shard.slots) {
    if (slot == 0) continue;
    for (size_t at = hashOf(prefix(slot - 1)) & (size - 1);; at = (at + 1) & (size - 1)) {
      if (slots[at] != 0) continue;
      slots[at] = slot;
      break;
    }
  }
  shard.slots.swap(slots);
  return true;
}

bool PrefixDictionary::store(uint32_t number, const Key128& prefix, uint8_t pieceZero) {
  const size_t chunk = number >> chunkBits;
  if (chunk >= maxChunks) return false;
  {
    std::lock_guard<std::mutex> guard(chunkLock_);
    if (!chunks_[chunk]) {
      if (!charge(sizeof(Chunk))) return false;
      chunks_[chunk] = std::make_unique<Chunk>();
    }
  }
  chunks_[chunk]->prefixes[number & chunkMask] = prefix;
  chunks_[chunk]->pieceZero[number & chunkMask] = pieceZero;
  return true;
}
