// libFuzzer target: the puzzle file reader must take any bytes without a
// fault; whatever it accepts must be a board the search can take, with
// items about the puzzle that keep their rules, and must read back the same
// layout, without the items, from the text the writer makes of it.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "model/MoveByte.h"
#include "puzzle/PuzzleFile.h"

namespace {

// No control byte of Latin-1 (C0, DEL, C1) and nothing blank at either end.
bool isShowableText(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) return false;
  }
  return text.front() != ' ' && text.back() != ' ';
}

bool keepsItsRules(const PuzzleInfo& info) {
  if (!info.name.empty() && !isShowableText(info.name)) return false;
  if (!info.source.empty() && !isShowableText(info.source)) return false;
  for (const std::string& note : info.notes) {
    if (!isShowableText(note)) return false;
  }
  if (info.published && info.published->moves < 0) return false;
  if (info.positions && *info.positions < 1) return false;
  for (size_t i = 0; i < info.counts.size(); ++i) {
    if (info.counts[i].moves < 0) return false;
    for (size_t j = 0; j < i; ++j) {
      if (info.counts[j].metric == info.counts[i].metric) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PuzzleError error;
  PuzzleInfo info;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<BoardState> board = parsePuzzle(text, info, error);
  if (!board) {
    if (error.message.empty() || error.line < 0) std::abort();
    return 0;
  }
  if (!board->size.isValid()) std::abort();
  if (!keepsItsRules(info)) std::abort();
  if (board->pieceCount() < 1 || board->pieceCount() > maxLoggedPieces) std::abort();
  if (board->pieces[0].shapeIndex() != 0) std::abort();
  for (int i = 0; i < board->pieceCount(); ++i) {
    if (!board->canPlace(board->pieces[i], i)) std::abort();
  }
  PuzzleInfo written;
  const std::optional<BoardState> again = parsePuzzle(formatPuzzle(*board), written, error);
  if (!again || !written.empty() || again->size != board->size ||
      again->pieceCount() != board->pieceCount()) {
    std::abort();
  }
  for (int i = 0; i < board->pieceCount(); ++i) {
    const Piece& a = board->pieces[i];
    const Piece& b = again->pieces[i];
    if (a.shapeIndex() != b.shapeIndex() || a.x() != b.x() || a.y() != b.y()) std::abort();
  }
  return 0;
}
