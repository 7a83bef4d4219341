#include "MemoryLine.h"

#include <cstdio>

std::string memoryLine(uint64_t bytes) {
  const double megabytes = bytes / 1048576.0;
  char line[48];
  // Below what rounds to 1024 Mo; from there, gigabytes.
  if (megabytes < 1023.5) {
    std::snprintf(line, sizeof line, "M\xe9moire : %.0f Mo", megabytes);
  } else {
    const int tenths = static_cast<int>(megabytes / 1024 * 10 + 0.5);
    std::snprintf(line, sizeof line, "M\xe9moire : %d,%d Go", tenths / 10, tenths % 10);
  }
  return line;
}
