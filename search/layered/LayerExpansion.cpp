#include "LayerExpansion.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "keys/CompactCodec.h"
#include "model/MoveMetric.h"
#include "search/core/StepMoves.h"

template <typename Codec, typename CellMask>
LayerExpansion<Codec, CellMask>::LayerExpansion(MoveMetric metric, const Codec& codec,
                                                const PieceGroups& groups,
                                                const BoardGeometry<CellMask>& geometry,
                                                const GoalWatch<CellMask>& watch,
                                                MemoryBudget& budget, SearchControl& control,
                                                const RunStorage& storage, ThreadTeam& team,
                                                int backBytes, size_t bufferBytes)
    : codec_(codec),
      groups_(groups),
      geometry_(geometry),
      metric_(metric),
      watch_(watch),
      budget_(budget),
      control_(control),
      storage_(storage),
      team_(team),
      format_(codec.keyBits(), backBytes) {
  const BoardSize size = geometry.size;
  const size_t perPiece = metric == MoveMetric::step   ? moveDirectionCount
                          : metric == MoveMetric::line ? size.width + size.height - 2
                                                       : size.cellCount() - 1;
  mostChildren_ = perPiece * groups.pieceCount;
  for (int d = 0; d < moveDirectionCount; ++d) stepOffset_[d] = moveDx[d] + moveDy[d] * size.width;
  const size_t bufferKeys = std::max(bufferBytes / sizeof(Key) / team.size(), mostChildren_ + 1);
  for (int t = 0; t < team.size(); ++t) {
    workers_.push_back(std::make_unique<Worker>(*this, bufferKeys));
  }
  if (watch.goalCell >= 0 && metric == MoveMetric::step) {
    std::copy(watch.within[1], watch.within[1] + maxBoardCells, nearGoal_);
    nearGoal_[watch.goalCell] = false;
  }
}

template <typename Codec, typename CellMask>
bool LayerExpansion<Codec, CellMask>::expand(const SortedBlocks<Key>& layer,
                                             const LayerBacks& blockBacks, const KeyRanges& first,
                                             NearGoal nearGoal, const std::function<bool()>& stop) {
  keepNearGoal_ = nearGoal == NearGoal::keepApart;
  const bool nextToGoal = expandNearFirst(layer, blockBacks, first, stop);
  keepNearGoal_ = false;
  return nextToGoal;
}

template <typename Codec, typename CellMask>
bool LayerExpansion<Codec, CellMask>::expandNearFirst(const SortedBlocks<Key>& layer,
                                                      const LayerBacks& blockBacks,
                                                      const KeyRanges& first,
                                                      const std::function<bool()>& stop) {
  // The blocks that may hold positions of `first`: from the one where a
  // range starts to the one where it ends. Spans of blocks rather than a
  // list, so that memory does not grow with the layer.
  BlockSpans shared;
  size_t split = 0;
  for (const auto& [from, to] : first) {
    if (layer.empty() || to < layer.block(0).first) continue;
    const size_t low = layer.blockFor(from);
    const size_t high = layer.blockFor(to) + 1;
    if (!shared.empty() && low <= shared.back().second) {
      split += high - std::min(high, shared.back().second);
      shared.back().second = std::max(high, shared.back().second);
    } else {
      split += high - low;
      shared.push_back({low, high});
    }
  }
  // Both passes on the same threads: each sorts what it generated.
  const int threads = layer.blockCount() < 2 ? 1 : static_cast<int>(workers_.size());
  const auto foundNextToGoal = [this] {
    for (const auto& worker : workers_) {
      if (!worker->nextToGoal.empty()) return true;
    }
    return false;
  };
  if (split > 0) {
    const Pass nearFirst{&shared, split, threads, RangeSide::inside, AfterPass::sortNearGoal};
    expandBlocks(layer, blockBacks, nearFirst, first, shared);
    if (control_.halted()) return false;
    if (foundNextToGoal()) return true;
    if (stop() || control_.halted()) return true;
  }
  const Pass rest{nullptr, layer.blockCount(), threads, RangeSide::outside, AfterPass::sortAll};
  expandBlocks(layer, blockBacks, rest, first, shared);
  // In steps only the first positions can make such children; in the other
  // metrics there are no first positions, and any may.
  return !control_.halted() && foundNextToGoal();
}

template <typename Codec, typename CellMask>
std::vector<KeyRange<typename Codec::KeyType>> LayerExpansion<Codec, CellMask>::nearRecords()
    const {
  std::vector<KeyRange<Key>> ranges;
  for (const auto& worker : workers_) {
    if (!worker->nearRecords.empty()) {
      ranges.push_back({worker->nearRecords.begin(), worker->nearRecords.end()});
    }
  }
  return ranges;
}

template <typename Codec, typename CellMask>
bool LayerExpansion<Codec, CellMask>::probe(const Key* positions, const uint32_t* backs,
                                            size_t count) {
  std::atomic<size_t> next{0};
  constexpr size_t chunk = 4096;
  const int threads = count <= chunk ? 1 : static_cast<int>(workers_.size());
  const bool keep = keepNearGoal_;
  keepNearGoal_ = false;
  team_.run(threads, [&](int t) {
    Worker& worker = startWorker(t);
    for (size_t begin; (begin = next.fetch_add(chunk)) < count && !control_.halted();) {
      for (size_t i = begin; i < std::min(count, begin + chunk); ++i) {
        if (!makeRoom(worker)) return;
        const size_t held = worker.children.records().size();
        expandOne(positions[i], backs ? backs[i] : noBackMoves, worker);
        worker.children.records().setSize(held);
      }
      control_.expanded += std::min(count, begin + chunk) - begin;
      control_.poll();
    }
  });
  keepNearGoal_ = keep;
  for (const auto& worker : workers_) {
    if (!worker->nextToGoal.empty()) return true;
  }
  return false;
}

template <typename Codec, typename CellMask>
bool LayerExpansion<Codec, CellMask>::childrenNextToGoal(std::vector<Key>& found) const {
  found.clear();
  size_t count = 0;
  for (const auto& worker : workers_) count += worker->nextToGoal.size();
  BudgetCharge charge(&budget_);
  if (!charge.add(count * sizeof(Key))) return false;
  found.reserve(count);
  for (const auto& worker : workers_) {
    found.insert(found.end(), worker->nextToGoal.begin(), worker->nextToGoal.end());
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return true;
}

template <typename Codec, typename CellMask>
bool LayerExpansion<Codec, CellMask>::hasRuns() const {
  for (const auto& worker : workers_) {
    if (!worker->children.runs().empty()) return true;
  }
  return false;
}

template <typename Codec, typename CellMask>
void LayerExpansion<Codec, CellMask>::addSources(
    const Key* low, const Key* high, std::vector<std::unique_ptr<KeySource<Key>>>& sources) const {
  for (const auto& worker : workers_) {
    const Key* begin = worker->children.records().begin();
    const Key* end = worker->children.records().end();
    if (low) begin = std::lower_bound(begin, end, *low);
    if (high) end = std::lower_bound(begin, end, *high);
    if (begin != end) sources.push_back(std::make_unique<KeySource<Key>>(begin, end));
    for (const SortedBlocks<Key>& run : worker->children.runs()) {
      auto source = std::make_unique<KeySource<Key>>(&run, low, high);
      if (source->valid()) sources.push_back(std::move(source));
    }
  }
}

template <typename Codec, typename CellMask>
void LayerExpansion<Codec, CellMask>::addRanges(const Key* low, const Key* high,
                                                std::vector<KeyRange<Key>>& ranges) const {
  for (const auto& worker : workers_) {
    const Key* begin = worker->children.records().begin();
    const Key* end = worker->children.records().end();
    if (low) begin = std::lower_bound(begin, end, *low);
    if (high) end = std::lower_bound(begin, end, *high);
    if (begin != end) ranges.push_back({begin, end});
  }
}

template <typename Codec, typename CellMask>
void LayerExpansion<Codec, CellMask>::clear() {
  for (const auto& worker : workers_) {
    worker->children.clear();
    worker->nextToGoal.clear();
    worker->nearRecords.clear();
  }
}

template <typename Codec, typename CellMask>
void LayerExpansion<Codec, CellMask>::releaseNearRecords() {
  for (const auto& worker : workers_) worker->nearRecords.release();
}

template <typename Codec, typename CellMask>
void LayerExpansion<Codec, CellMask>::release() {
  for (const auto& worker : workers_) {
    worker->children.release();
    worker->nextToGoal.release();
    worker->nearRecords.release();
  }
}

// Expands the positions of the blocks the pass names, on its threads; in
// the blocks of `shared`, only those on the pass's side of `ranges`.
template <typename Codec, typename CellMask>
void LayerExpansion<Codec, CellMask>::expandBlocks(const SortedBlocks<Key>& layer,
                                                   const LayerBacks& blockBacks, const Pass& pass,
                                                   const KeyRanges& ranges,
                                                   const BlockSpans& shared) {
  const bool inside = pass.side == RangeSide::inside;
  std::atomic<size_t> next{0};
  team_.run(pass.threads, [&](int t) {
    Worker& worker = startWorker(t);
    const std::unique_ptr<Key[]> keys(new Key[blockKeys]);
    const std::unique_ptr<uint32_t[]> read(new uint32_t[blockKeys]);
    for (size_t n; (n = next.fetch_add(1)) < pass.count && !control_.halted();) {
      const size_t b = pass.spans ? nthBlock(*pass.spans, n) : n;
      const bool inShared = holds(shared, b);
      const int size = layer.decodeBlock(b, keys.get());
      const uint32_t* backs = nullptr;
      if (!blockBacks.empty() && size > 0 &&
          !(backs = blockBacks.of(layer, b, static_cast<uint32_t>(size), read.get()))) {
        control_.fail(SolveOutcome::spillFailed, spillReadFailure);
        return;
      }
      size_t range = 0;
      int expanded = 0;
      for (int i = 0; i < size; ++i) {
        if (inShared) {
          while (range < ranges.size() && ranges[range].second < keys[i]) ++range;
          const bool in = range < ranges.size() && !(keys[i] < ranges[range].first);
          if (in != inside) continue;
        }
        if (!makeRoom(worker)) return;
        expandOne(keys[i], backs ? backs[i] : noBackMoves, worker);
        ++expanded;
      }
      control_.expanded += expanded;
      control_.poll();
    }
    if (pass.after == AfterPass::sortNearGoal) {
      if (keepNearGoal_) worker.children.sort(worker.nearRecords);
      return;
    }
    if (!worker.children.sort(worker.children.records()) ||
        !worker.children.compact(ChildRuns<Key>::mergeWidth / 2)) {
      return;
    }
    // The merge that follows needs no scratch. But fresh memory costs the
    // system time to clear, so the scratch stays for the next layer's sort
    // while the search holds less than half its budget; nearer the limit it
    // goes back, so that it does not add to the merge's peak. On disk it
    // always goes back: clearing it again costs little beside the disk's
    // time, and the merge's peak then does not depend on the threads'
    // timing.
    if (2 * budget_.held() > budget_.limit() || storage_.spills()) {
      worker.children.releaseScratch();
    }
  });
}

// Worker t, ready to decode keys in order from the first.
template <typename Codec, typename CellMask>
typename LayerExpansion<Codec, CellMask>::Worker& LayerExpansion<Codec, CellMask>::startWorker(
    int t) {
  Worker& worker = *workers_[t];
  worker.decoded = typename Codec::Decoded();
  worker.upper.reset();
  return worker;
}

template <typename Codec, typename CellMask>
void LayerExpansion<Codec, CellMask>::expandSteps(const Key& key, uint32_t backs, Worker& worker) {
  typename Codec::Decoded& d = worker.decoded;
  codec_.decode(key, d);
  // The legal moves as bits 4k + direction, found without branches: the
  // pieces that can move are few and unpredictable. Each word of 16 pieces
  // is gathered in a register: or-ing into the array would chain every
  // piece's bits to the previous one's store.
  uint64_t legal[maxLoggedPieces / 16] = {};
  const CellMask occupied = d.occupied;
  int first = 0;
  if constexpr (Codec::keepsUpperGroups) {
    worker.upper.update(d, groups_, geometry_);
    worker.upper.legalBits(occupied & ~d.taken, legal);
    first = groups_.last().first;
  }
  while (first < groups_.pieceCount) {
    const int end = std::min((first & ~15) + 16, groups_.pieceCount);
    uint64_t word = 0;
    for (int k = first; k < end; ++k) {
      const CellMask* entered = geometry_.entered[groups_.shapeOf[k]][d.cell[k]];
      word |= freeSteps(entered, occupied) << (4 * (k & 15));
    }
    legal[first >> 4] |= word;
    first = end;
  }
  // An arrival sweeps the cells its move back enters.
  Arrivals<CellMask>& arrivals = worker.arrivals;
  arrivals.clear();
  for (uint32_t rest = backs; rest != noBackMoves; rest = rest >> 8 | 0xFF000000u) {
    const uint32_t back = rest & 0xFF;
    legal[back >> 6] &= ~(uint64_t{1} << (back & 63));
    const int piece = static_cast<int>(back >> 2);
    const int shape = groups_.shapeOf[piece];
    const int cell = d.cell[piece];
    const int direction = static_cast<int>(back & 3);
    arrivals.add(piece, back, Arrivals<CellMask>::moveOrder(shape, cell, direction ^ 1),
                 geometry_.entered[shape][cell][direction]);
  }
  KeyBuffer<Key>& records = worker.children.records();
  Key* out = records.data() + records.size();
  const int backBytes = format_.backBytes();
  for (int word = 0; word <= (groups_.pieceCount - 1) >> 4; ++word) {
    for (uint64_t bits = legal[word]; bits != 0; bits &= bits - 1) {
      const int move = 64 * word + __builtin_ctzll(bits);
      const int k = move >> 2;
      const int direction = move & 3;
      const int shape = groups_.shapeOf[k];
      const int cell = d.cell[k];
      // Moves of two pieces that leave each other's way commute. When this
      // one could have come before an arrival of a later order, the child
      // is also the child of the position that made it first: leave it to
      // that one.
      const uint8_t to = static_cast<uint8_t>(cell + stepOffset_[direction]);
      bool later;
      const uint32_t commute =
          arrivals.commuting(k, geometry_.entered[shape][cell][direction],
                             Arrivals<CellMask>::moveOrder(shape, to, direction), later);
      if (later) continue;
      int movedTo;
      const Key child = codec_.childKey(d, k, to, movedTo);
      const uint32_t carried =
          backBytes > 0 ? arrivals.carried(groups_, k, movedTo, direction, commute, backBytes)
                        : noBackMoves;
      out = writeChild(worker, out, k, cell, to, child, carried);
    }
  }
  records.setSize(out - records.data());
}

// The moves of the line and path metrics (CountedMoves.h).
template <typename Codec, typename CellMask>
void LayerExpansion<Codec, CellMask>::expandCounted(const Key& key, uint32_t backs,
                                                    Worker& worker) {
  typename Codec::Decoded& d = worker.decoded;
  codec_.decode(key, d);
  const int backBytes = format_.backBytes();
  KeyBuffer<Key>& records = worker.children.records();
  Key* out = records.data() + records.size();
  const Arrivals<CellMask>& arrivals = worker.counted.arrivals();
  worker.counted.forEach(
      d.cell, d.occupied, backs, [&](int k, int to, int direction, uint32_t commute) {
        int movedTo;
        const Key child = codec_.childKey(d, k, static_cast<uint8_t>(to), movedTo);
        const uint32_t carried =
            backBytes > 0 ? arrivals.carried(groups_, k, movedTo, direction, commute, backBytes)
                          : noBackMoves;
        out = writeChild(worker, out, k, d.cell[k], to, child, carried);
      });
  records.setSize(out - records.data());
}

template <typename Codec, typename CellMask>
[[gnu::always_inline]] inline typename Codec::KeyType* LayerExpansion<Codec, CellMask>::writeChild(
    Worker& worker, Key* out, int k, int from, int to, const Key& child, uint32_t carried) {
  const int shape = groups_.shapeOf[k];
  const int zeroCell = k == 0 ? to : worker.decoded.cell[0];
  if (watch_.mayEnterFrom(zeroCell)) {
    const CellMask childOccupied =
        (worker.decoded.occupied & ~geometry_.mask[shape][from]) | geometry_.mask[shape][to];
    if (watch_.entersGoalFrom(zeroCell, childOccupied)) keep(worker.nextToGoal, child);
  }
  *out = format_.recordWith(child, carried);
  if (keepNearGoal_ && nearGoal_[zeroCell]) keep(worker.nearRecords, *out);
  return out + 1;
}

template <typename Codec, typename CellMask>
void LayerExpansion<Codec, CellMask>::keep(KeyBuffer<Key>& buffer, const Key& key) {
  if (!buffer.push(key)) control_.fail(SolveOutcome::outOfMemory);
}

#define INSTANTIATE(Key, CellMask) \
  template class LayerExpansion<CompactCodec<Key, CellMask>, CellMask>;
FOR_EACH_LAYERED_CODEC(INSTANTIATE)
