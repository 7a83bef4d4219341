// How cavel-solve --info prints what a puzzle file says of its puzzle (the
// items of puzzle/PuzzleInfo.h), with its size and layout code: as text
// lines or as JSON members.
#pragma once

#include <string>

#include "JsonObject.h"
#include "model/BoardState.h"
#include "puzzle/PuzzleInfo.h"

// The file's items as the file writes them, a line each and in its order
// of kinds: name, source, published, the counts, positions, the notes; the
// texts in the file's own bytes (Latin-1), so that the lines read back as
// the same items. Then "size W H" and "code cavel:...".
std::string formatInfo(const PuzzleInfo& info, const BoardState& board);

// The same as members of `json`, the texts converted to UTF-8: name and
// source (when the file has them), published (an object of moves and
// metric, when given), counts (an object of moves by metric, in the file's
// order), positions (when given), notes (an array), width and height. The
// code is the caller's.
void addInfo(JsonObject& json, const PuzzleInfo& info, const BoardState& board);
