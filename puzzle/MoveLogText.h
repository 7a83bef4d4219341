// The move log as text: one two-digit hexadecimal byte per move.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// "C8 03 85": the bytes in upper-case hexadecimal, separated by single
// spaces; an empty log gives an empty line.
std::string formatMoveLog(const std::vector<uint8_t>& log);
