// Where the back moves of the newest layer's positions lie, block by block:
// in the buffers of the threads that merged them, or, when the search
// spills, in a file of the layer's that goes once the layer is expanded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "runs/SpillFile.h"

class LayerBacks {
 public:
  bool empty() const { return inMemory_.empty() && !file_; }
  void clear() {
    inMemory_.clear();
    file_.reset();
  }

  // The back moves of the `count` positions of block b of `layer`, one a
  // position: read into `scratch` (room for `count`) when they are on
  // disk; null when the file cannot be read back.
  template <typename Layer>
  const uint32_t* of(const Layer& layer, size_t b, uint32_t count, uint32_t* scratch) const {
    if (!file_) return inMemory_[b];
    const size_t bytes = size_t{count} * sizeof(uint32_t);
    return file_->read(scratch, bytes, layer.sideOffset(b)) ? scratch : nullptr;
  }

  // Block by block, in order, where in memory; or the file the layer's
  // writers wrote them to beside its keys (SortedBlocks::sideOffset).
  std::vector<const uint32_t*> inMemory_;
  std::shared_ptr<SpillFile> file_;
};
