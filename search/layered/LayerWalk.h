// Rebuilding the solution from the stored layers: the positions on shortest
// solutions are marked from the goal layer down, then a walk from the root
// takes each time the first move that enters a marked position. The design
// note (docs/layered-search.md) says why this is the plain search's answer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/MoveByte.h"
#include "runs/SortedBlocks.h"
#include "search/core/BoardGeometry.h"
#include "search/core/MetricMoves.h"
#include "search/core/PieceGroups.h"
#include "search/memory/KeyBuffer.h"
#include "search/memory/MemoryBudget.h"

template <typename Codec, typename CellMask>
class LayerWalk {
  using Key = typename Codec::KeyType;

 public:
  // Moves counted in `metric`.
  LayerWalk(MoveMetric metric, const PieceGroups& groups, const BoardGeometry<CellMask>& geometry,
            const Codec& codec, MemoryBudget& budget)
      : groups_(groups),
        geometry_(geometry),
        moves_(metric, geometry),
        codec_(codec),
        budget_(budget) {}

  // Marks `goals` (sorted) as the layer above `layers`, then, layer by layer
  // down to 1, the positions next to a marked one above. False when the
  // budget refuses.
  bool markBackwards(const std::vector<SortedBlocks<Key>>& layers, const std::vector<Key>& goals) {
    const size_t top = layers.size();
    for (size_t j = 0; j <= top; ++j) marked_.emplace_back(&budget_);
    for (const Key& goal : goals) {
      if (!marked_[top].push(goal)) return false;
    }
    for (size_t j = top; j-- > 1;) {
      KeyBuffer<Key> candidates(&budget_);
      if (!neighbours(marked_[j + 1], candidates)) return false;
      RunCursor<Key> layer(&layers[j], candidates.empty() ? nullptr : candidates.data(), nullptr);
      for (const Key& key : candidates) {
        layer.seek(key);
        if (layer.valid() && layer.key() == key && !marked_[j].push(key)) return false;
      }
    }
    return true;
  }

  // Walks `moves` moves from the root, whose pieces stand at `rootCells` in
  // the board's order: appends the move byte of each one-cell step to `log`
  // and the steps of each move to `stepsPerMove`, and leaves the goal
  // position's cells in `cells`.
  bool forward(size_t moves, const uint8_t* rootCells, uint8_t* cells, std::vector<uint8_t>& log,
               std::vector<uint16_t>& stepsPerMove) const {
    std::copy(rootCells, rootCells + groups_.pieceCount, cells);
    for (size_t j = 0; j < moves; ++j) {
      if (!move(cells, marked_[j + 1], log, stepsPerMove)) return false;
    }
    return true;
  }

 private:
  // The keys next to any of `keys`, sorted, without repeats.
  bool neighbours(const KeyBuffer<Key>& keys, KeyBuffer<Key>& found) const {
    typename Codec::Decoded d;
    bool ok = true;
    for (const Key& key : keys) {
      codec_.decode(key, d);
      for (int k = 0; k < groups_.pieceCount; ++k) {
        moves_.forEachDestination(groups_.shapeOf[k], d.cell[k], d.occupied, [&](uint8_t to) {
          int movedTo;
          ok = ok && found.push(codec_.childKey(d, k, to, movedTo));
        });
      }
      if (!ok) return false;
    }
    std::sort(found.data(), found.data() + found.size());
    found.setSize(std::unique(found.data(), found.data() + found.size()) - found.data());
    return true;
  }

  // Takes the first move from `cells`, in piece order and then in the
  // metric's order, into a position of `next`.
  bool move(uint8_t* cells, const KeyBuffer<Key>& next, std::vector<uint8_t>& log,
            std::vector<uint16_t>& stepsPerMove) const {
    CellMask occupied = 0;
    for (int i = 0; i < groups_.pieceCount; ++i) {
      occupied |= geometry_.mask[groups_.shapeOfLabel[i]][cells[i]];
    }
    for (int i = 0; i < groups_.pieceCount; ++i) {
      const int shape = groups_.shapeOfLabel[i];
      const uint8_t from = cells[i];
      bool found = false;
      moves_.forEachDestination(shape, from, occupied, [&](uint8_t to) {
        if (found) return;
        cells[i] = to;
        found = std::binary_search(next.begin(), next.end(), codec_.encode(cells));
        if (!found) cells[i] = from;
      });
      if (!found) continue;
      std::vector<uint8_t> directions;
      moves_.appendSteps(shape, from, cells[i], occupied, directions);
      for (const uint8_t direction : directions) {
        log.push_back(encodeMove(i, moveDx[direction], moveDy[direction]));
      }
      stepsPerMove.push_back(static_cast<uint16_t>(directions.size()));
      return true;
    }
    return false;
  }

  const PieceGroups& groups_;
  const BoardGeometry<CellMask>& geometry_;
  const MetricMoves<CellMask> moves_;
  const Codec& codec_;
  MemoryBudget& budget_;
  std::vector<KeyBuffer<Key>> marked_;
};
