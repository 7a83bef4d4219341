// Long lines of the window's messages, shared out over lines that stay
// readable within the window's 400 pixels.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The most characters of a message line before its glyphs grow too narrow
// to read: the overlay draws 0.6-unit glyphs from x = -5, and the window
// ends at x = 11.2, so 27 fit at full width; beyond 36 a glyph would be
// under 11 pixels wide.
constexpr size_t readableLineLength = 36;

// `text` as one line when it has at most `longest` characters, else as two
// of nearly equal length, the first the longer.
std::vector<std::string> splitIntoLines(const std::string& text,
                                        size_t longest = readableLineLength);

// `text` without the white space (spaces, tabs, line ends) around it.
std::string trimmed(const std::string& text);
