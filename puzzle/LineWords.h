// The words of one line of a puzzle file, shared by the reader of the
// layout and the reader of the items about the puzzle.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Spaces, tabs and the carriage return of a file saved with CRLF endings.
bool isLineSpace(char c);

// The words of `line` up to a '#', separated by spaces and tabs.
std::vector<std::string_view> lineWords(std::string_view line);

// `word` as messages echo it: at most 20 bytes, other than printable ASCII
// as '?', and "..." after a longer word.
std::string printableWord(std::string_view word);
