#include "MoveLogText.h"

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
