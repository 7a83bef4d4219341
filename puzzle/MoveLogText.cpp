#include "MoveLogText.h"

#include <algorithm>
#include <cassert>

namespace {

const char* const directionNames[] = {"right", "left", "up", "down"};

}  // namespace

const char* directionName(uint8_t move) { return directionNames[move >> 6]; }

std::string formatMoveLog(const std::vector<uint8_t>& log) {
  static const char digits[] = "0123456789ABCDEF";
  std::string line;
  line.reserve(3 * log.size());
  for (size_t k = 0; k < log.size(); ++k) {
    if (k > 0) line += ' ';
    line += digits[log[k] >> 4];
    line += digits[log[k] & 0xF];
  }
  return line;
}

std::string formatCountedMove(const std::vector<uint8_t>& log, size_t first, size_t count) {
  assert(count > 0 && first + count <= log.size());
  // Past the end of the log there is nothing to name; never read beyond it.
  if (first >= log.size()) return std::string();
  count = std::min(count, log.size() - first);
  std::string line = "piece " + std::to_string(log[first] & 0x3F);
  for (size_t k = first; k < first + count; ++k) {
    assert((log[k] & 0x3F) == (log[first] & 0x3F) && "one counted move moves one piece");
    line += ' ';
    line += directionName(log[k]);
  }
  return line;
}

std::string formatCountedMoves(const std::vector<uint8_t>& log,
                               const std::vector<uint16_t>& stepsPerMove) {
  std::string text;
  size_t first = 0;
  for (const uint16_t steps : stepsPerMove) {
    text += formatCountedMove(log, first, steps);
    text += '\n';
    first += steps;
  }
  assert(first == log.size());
  return text;
}
