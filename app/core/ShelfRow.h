// The texts of one row of the list (Latin-1): the puzzle's name, its board
// size and its count in the metric in force, each fitted to its column.
#pragma once

#include <cstddef>
#include <string>

#include "Shelf.h"

struct ShelfRow {
  std::string name;   // cut to the name column, ".." at its end when cut
  std::string size;   // "5x4"
  std::string count;  // the file's count in the metric; "-" when it has none
};

// The characters of the name column: the longest name of the collection,
// "Yi heng zui rong yi jie de bu ju 2", fits whole.
constexpr size_t shelfNameColumns = 34;

ShelfRow shelfRow(const Shelf::Entry& entry, MoveMetric metric,
                  size_t nameColumns = shelfNameColumns);
