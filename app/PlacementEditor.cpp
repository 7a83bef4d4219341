#include "PlacementEditor.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FrameLoop.h"
#include "app/core/MessageLines.h"
#include "app/core/MetricChoice.h"
#include "input/EventPump.h"
#include "model/EditorRules.h"
#include "platform/Clipboard.h"
#include "puzzle/LayoutCode.h"
#include "puzzle/PuzzleFile.h"
#include "render/BoardView.h"
#include "render/Draw.h"

namespace {

void handleCursorKeys(EditorCursor& cursor, const BoardState& board) {
  KeyLatch& keys = keyLatch();
  if (keys.takePress(SDLK_o)) cycleShape(cursor, board, +1);
  if (keys.takePress(SDLK_p)) cycleShape(cursor, board, -1);
  if (keys.takePress(SDLK_RIGHT)) moveCursor(cursor, CursorStep::right, board.size);
  if (keys.takePress(SDLK_LEFT)) moveCursor(cursor, CursorStep::left, board.size);
  if (keys.takePress(SDLK_UP)) moveCursor(cursor, CursorStep::up, board.size);
  if (keys.takePress(SDLK_DOWN)) moveCursor(cursor, CursorStep::down, board.size);
}

// Space places the cursor piece where it stood before this pump's arrows.
void handleSpace(EditorCursor& cursor, BoardState& board, MessageOverlay& overlay) {
  if (!keyLatch().takePress(SDLK_SPACE)) return;
  switch (placeCursor(cursor, board)) {
    case Placement::placed:
      break;
    case Placement::occupied:
      overlay.addMessage(aboveBoard(board.size, {-5, 6, 0}), 2000,
                         "Une piece est d\xe9ja pr\xe9sente !");
      break;
    case Placement::full:
      overlay.addMessage(aboveBoard(board.size, {-5, 6, 0}), 2000, "64 pieces au maximum !");
      break;
  }
}

// How long the clipboard's owner may take to hand its text over.
constexpr std::chrono::milliseconds clipboardWait(500);

// C: the layout's code for a few seconds, on two lines where one would be
// too narrow to read, and on the clipboard (both selections).
void copyLayoutCode(const BoardState& board, MessageOverlay& overlay, Clipboard& clipboard) {
  const std::string code = layoutCode(board);
  const std::vector<std::string> lines = splitIntoLines("Code : " + code);
  for (size_t i = 0; i < lines.size(); ++i) {
    const Vector3 place = aboveBoard(board.size, {-5, 6 - 0.7 * static_cast<double>(i), 0});
    overlay.addMessage(place, 5000, "%s", lines[i].c_str());
  }
  if (!clipboard.offer(code)) std::fprintf(stderr, "cavel: the clipboard cannot be had\n");
}

// V: the layout whose code is on the clipboard, in place of the one being
// laid out, as a file opened would; anything else leaves the layout as it
// was and says so.
void pasteLayoutCode(EditorCursor& cursor, BoardState& board, MessageOverlay& overlay) {
  LayoutCodeError error;
  const std::optional<BoardState> pasted =
      decodeLayout(trimmed(readClipboardText(clipboardWait)), error);
  if (!pasted) {
    overlay.addMessage(aboveBoard(board.size, {-5, 6, 0}), 3000, "Code invalide");
    return;
  }
  board = *pasted;
  cursor = startingCursor(board);
}

// Backspace takes the last piece off. S saves once the square stands, as
// Return searches only then: a file without it is no puzzle; C copies the
// layout's code only then too. V pastes a layout at any time.
void handleLayoutKeys(EditorCursor& cursor, BoardState& board, MessageOverlay& overlay,
                      Clipboard& clipboard) {
  KeyLatch& keys = keyLatch();
  if (keys.takePress(SDLK_BACKSPACE)) removeLastPiece(cursor, board);
  if (keys.takePress(SDLK_s) && canSearch(board))
    saveLayout(board, overlay, aboveBoard(board.size, {-5, 6, 0}));
  if (keys.takePress(SDLK_c) && canSearch(board)) copyLayoutCode(board, overlay, clipboard);
  if (keys.takePress(SDLK_v)) pasteLayoutCode(cursor, board, overlay);
}

// The metric in force and its key, below the board where the later screens
// count.
void drawMetricLine(MoveMetric metric) {
  const char* line = metricLine(metric);
  drawLabel(line, {-5, -2, 0}, {0.5 * std::strlen(line), 0, 0}, {0, 0.6, 0});
}

void drawPhaseTexts(const BoardState& board) {
  const Vector3 first = aboveBoard(board.size, {-5, 8, 0});
  const Vector3 second = aboveBoard(board.size, {-5, 7, 0});
  if (board.pieceCount() == 0) {
    drawLabel("Placez la piece a sortir...", first, {15, 0, 0}, {0, 1, 0});
    drawLabel("Fleches et espace...", second, {15, 0, 0}, {0, 1, 0});
    return;
  }
  drawLabel("Placez les autres pieces...", first, {15, 0, 0}, {0, 1, 0});
  drawLabel("O & P pour changer, Return pour finir...", second, {15, 0, 0}, {0, 0.8, 0});
}

}  // namespace

void saveLayout(const BoardState& board, MessageOverlay& overlay, Vector3 messageAt) {
  std::string error;
  if (const std::optional<std::string> name = saveNewPuzzleFile(board, ".", error)) {
    overlay.addMessage(messageAt, 3000, "Enregistr\xe9 : %s", name->c_str());
    return;
  }
  std::fprintf(stderr, "cavel: %s\n", error.c_str());
  overlay.addMessage(messageAt, 3000, "Echec de l'enregistrement !");
}

EditorChoice runPlacementEditor(const Camera& camera, BoardState& board, MoveMetric& metric,
                                MessageOverlay& overlay, Clipboard& clipboard) {
  EditorCursor cursor = startingCursor(board);
  const auto nothingBefore = []() -> std::optional<EditorChoice> { return std::nullopt; };
  const auto keys = [&]() -> std::optional<EditorChoice> {
    KeyLatch& latch = keyLatch();
    if (latch.takePress(SDLK_ESCAPE)) return EditorChoice::quit;
    handleCursorKeys(cursor, board);
    handleSpace(cursor, board, overlay);
    handleLayoutKeys(cursor, board, overlay, clipboard);
    if (latch.takePress(SDLK_m)) metric = nextMetric(metric);
    if (latch.takePress(SDLK_RETURN) && canSearch(board)) return EditorChoice::search;
    if (latch.takePress(SDLK_h) && canSearch(board)) return EditorChoice::analyze;
    if (latch.takePress(SDLK_j) && canSearch(board)) return EditorChoice::play;
    settleCursor(cursor);
    return std::nullopt;
  };
  const auto draw = [&] {
    drawPieceAt(cursor.piece, {-4, 0, 0}, 1.0f);
    drawBoard(board);
    drawPiece(cursor.piece, 0.5f);
    beginText();
    drawPhaseTexts(board);
    drawMetricLine(metric);
    overlay.drawMessages();
    endText();
  };
  // Closed: like Escape, the end of the program, with nothing saved.
  return runFrames<EditorChoice>(boardCamera(camera, board.size), nothingBefore, keys, draw)
      .value_or(EditorChoice::quit);
}
