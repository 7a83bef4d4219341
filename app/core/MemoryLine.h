// The line of the window's search and analysis screens that shows the
// memory the search holds, so that a long analysis shows how close it comes
// to the end of the window's memory.
#pragma once

#include <cstdint>
#include <string>

// "M\xe9moire : 161 Mo", "M\xe9moire : 1,2 Go" (Latin-1, French decimal comma).
std::string memoryLine(uint64_t bytes);
