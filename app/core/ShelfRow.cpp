#include "ShelfRow.h"

#include <optional>

namespace {

constexpr char cutMark[] = "..";

std::string fitted(const std::string& text, size_t columns) {
  constexpr size_t markLength = sizeof cutMark - 1;
  if (text.size() <= columns) return text;
  if (columns <= markLength) return text.substr(0, columns);
  return text.substr(0, columns - markLength) + cutMark;
}

}  // namespace

ShelfRow shelfRow(const Shelf::Entry& entry, MoveMetric metric, size_t nameColumns) {
  const BoardSize size = entry.board.size;
  const std::optional<int64_t> count = entry.info.countIn(metric);
  return {fitted(entry.name, nameColumns),
          std::to_string(size.width) + "x" + std::to_string(size.height),
          count ? std::to_string(*count) : "-"};
}
