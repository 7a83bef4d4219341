// Rebuilding the solution from the stored layers: the positions on shortest
// solutions are marked from the goal layer down, then a walk from the root
// takes each time the first move that enters a marked position. See the
// design note in LayeredSearch.cpp for why this is the plain search's answer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "MemoryBlocks.h"
#include "MoveTables.h"
#include "PieceGroups.h"
#include "SortedBlocks.h"
#include "model/BoardState.h"
#include "model/MoveByte.h"

template <typename Codec, typename CellMask>
class LayerWalk {
  using Key = typename Codec::KeyType;

 public:
  LayerWalk(const PieceGroups& groups, const MoveTables<CellMask>& tables, const Codec& codec,
            MemoryBudget& budget)
      : groups_(groups), tables_(tables), codec_(codec), budget_(budget) {}
  ~LayerWalk() { budget_.release(charged_); }

  // Marks `goals` (sorted) as the layer above `layers`, then, layer by layer
  // down to 1, the positions next to a marked one above. False when the
  // budget refuses.
  bool markBackwards(const std::vector<SortedBlocks<Key>>& layers, const std::vector<Key>& goals) {
    const size_t top = layers.size();
    marked_.assign(top + 1, {});
    marked_[top] = goals;
    if (!charge(goals.size())) return false;
    for (size_t j = top; j-- > 1;) {
      std::vector<Key> candidates = neighbours(marked_[j + 1]);
      if (!charge(candidates.size())) return false;
      RunCursor<Key> layer(&layers[j], candidates.empty() ? nullptr : &candidates.front(), nullptr);
      for (const Key& key : candidates) {
        layer.seek(key);
        if (layer.valid() && layer.key() == key) marked_[j].push_back(key);
      }
    }
    return true;
  }

  // Walks `moves` moves from the root, whose pieces stand at `cells` in the
  // board's order, and writes the goal position and its log into `solution`.
  bool forward(size_t moves, const uint8_t* rootCells, BoardState& solution) const {
    uint8_t cells[maxLoggedPieces];
    std::copy(rootCells, rootCells + groups_.pieceCount, cells);
    for (size_t j = 0; j < moves; ++j) {
      if (!step(cells, marked_[j + 1], solution)) return false;
    }
    const int width = solution.size.width;
    for (int i = 0; i < groups_.pieceCount; ++i) {
      solution.pieces[i].setX(static_cast<int8_t>(cells[i] % width));
      solution.pieces[i].setY(static_cast<int8_t>(cells[i] / width));
    }
    return true;
  }

 private:
  bool charge(size_t keys) {
    const size_t bytes = keys * sizeof(Key);
    if (!budget_.charge(bytes)) return false;
    charged_ += bytes;
    return true;
  }

  // The keys next to any of `keys`, sorted, without repeats.
  std::vector<Key> neighbours(const std::vector<Key>& keys) const {
    std::vector<Key> found;
    typename Codec::Decoded d;
    for (const Key& key : keys) {
      codec_.decode(key, d);
      for (int k = 0; k < groups_.pieceCount; ++k) {
        const int shape = groups_.shapeOf[k];
        for (int direction = 0; direction < moveDirectionCount; ++direction) {
          if ((tables_.entered[shape][d.cell[k]][direction] & d.occupied) != 0) continue;
          int movedTo;
          found.push_back(
              codec_.childKey(d, k, tables_.step[shape][d.cell[k]][direction], movedTo));
        }
      }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
  }

  // Takes the first move from `cells` into a position of `next`.
  bool step(uint8_t* cells, const std::vector<Key>& next, BoardState& solution) const {
    CellMask occupied = 0;
    for (int i = 0; i < groups_.pieceCount; ++i) {
      occupied |= tables_.mask[solution.pieces[i].shapeIndex()][cells[i]];
    }
    for (int i = 0; i < groups_.pieceCount; ++i) {
      const int shape = solution.pieces[i].shapeIndex();
      const uint8_t from = cells[i];
      for (int direction = 0; direction < moveDirectionCount; ++direction) {
        if ((tables_.entered[shape][from][direction] & occupied) != 0) continue;
        cells[i] = tables_.step[shape][from][direction];
        if (std::binary_search(next.begin(), next.end(), codec_.encode(cells))) {
          solution.appendMove(i, moveDx[direction], moveDy[direction]);
          return true;
        }
        cells[i] = from;
      }
    }
    return false;
  }

  const PieceGroups& groups_;
  const MoveTables<CellMask>& tables_;
  const Codec& codec_;
  MemoryBudget& budget_;
  size_t charged_ = 0;
  std::vector<std::vector<Key>> marked_;
};
