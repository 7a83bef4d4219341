// What a puzzle file may say about its puzzle beside the layout, one item a
// line, each optional (the README describes them):
//
//     name TEXT            the puzzle's name
//     source TEXT          where it was published
//     published N METRIC   the count published there
//     count METRIC N       the count of our own search, once per metric
//     positions N          the size of the layout's whole set of positions
//     note TEXT            any number of remarks
//
// TEXT runs to the end of the line, a '#' included, and is Latin-1; the
// other items end at a '#' as the layout's lines do. formatPuzzle never
// writes them: an edited layout's counts would be wrong.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/MoveMetric.h"

struct PuzzleInfo {
  struct Count {
    MoveMetric metric;
    int64_t moves;
  };

  std::string name;  // empty when the file gives none, as `source`
  std::string source;
  std::optional<Count> published;
  std::vector<Count> counts;  // in the file's order, at most one per metric
  std::optional<int64_t> positions;
  std::vector<std::string> notes;  // in the file's order

  // The `count` line's moves in `metric`, if the file has one.
  std::optional<int64_t> countIn(MoveMetric metric) const;
  // Whether the file gave none of the items.
  bool empty() const;
};

// Whether a line whose first word is `keyword` is one of the items above.
bool isPuzzleInfoItem(std::string_view keyword);

// Reads the item on `line` (the whole line, its keyword first) into `info`.
// False, with what is wrong and how to mend it in `message`, for a
// malformed item, a second one of a kind, or a text with a control byte.
bool readPuzzleInfoItem(std::string_view line, PuzzleInfo& info, std::string& message);
