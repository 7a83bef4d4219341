// The list's selection and the window of rows it scrolls: the selected
// entry is always one of the rows shown.
#pragma once

#include <cstddef>

class ShelfCursor {
 public:
  // A list of `entries` of which `rows` are shown at a time (rows >= 1),
  // the first selected.
  ShelfCursor(size_t entries, size_t rows);

  // Moves the selection by `delta` entries, stopping at either end, and
  // scrolls no more than it takes to keep it shown.
  void moveBy(long delta);

  size_t selected() const { return selected_; }
  // The first entry shown; the rows show [first(), first() + shown()).
  size_t first() const { return first_; }
  size_t shown() const;
  size_t entries() const { return entries_; }

 private:
  size_t entries_;
  size_t rows_;
  size_t selected_ = 0;
  size_t first_ = 0;
};
