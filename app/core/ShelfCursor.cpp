#include "ShelfCursor.h"

#include <algorithm>
#include <cassert>

ShelfCursor::ShelfCursor(size_t entries, size_t rows) : entries_(entries), rows_(rows) {
  assert(rows >= 1);
}

void ShelfCursor::moveBy(long delta) {
  if (entries_ == 0) return;
  const long last = static_cast<long>(entries_) - 1;
  selected_ = static_cast<size_t>(std::clamp(static_cast<long>(selected_) + delta, 0L, last));
  if (selected_ < first_) first_ = selected_;
  if (selected_ >= first_ + rows_) first_ = selected_ + 1 - rows_;
}

size_t ShelfCursor::shown() const { return std::min(rows_, entries_ - first_); }
