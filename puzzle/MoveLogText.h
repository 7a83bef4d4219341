// The move log as text: hexadecimal bytes, and counted moves in words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// "C8 03 85": the bytes in upper-case hexadecimal, separated by single
// spaces; an empty log gives an empty line.
std::string formatMoveLog(const std::vector<uint8_t>& log);

// "right", "left", "up" or "down": the direction of a move byte (bits 6 and 7).
const char* directionName(uint8_t move);

// "piece 3 right right up": the `count` steps of `log` from `first`, which
// form one counted move of one piece (the piece of the first step is named).
std::string formatCountedMove(const std::vector<uint8_t>& log, size_t first, size_t count);

// One formatCountedMove line per counted move, each ending in a newline;
// `stepsPerMove` must add up to the length of `log`.
std::string formatCountedMoves(const std::vector<uint8_t>& log,
                               const std::vector<uint16_t>& stepsPerMove);
