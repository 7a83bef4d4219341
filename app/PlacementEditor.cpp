#include "PlacementEditor.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "FrameLoop.h"
#include "app/core/MetricChoice.h"
#include "input/EventPump.h"
#include "model/EditorRules.h"
#include "puzzle/PuzzleFile.h"
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
      overlay.addMessage({-5, 6, 0}, 2000, "Une piece est d\xe9ja pr\xe9sente !");
      break;
    case Placement::full:
      overlay.addMessage({-5, 6, 0}, 2000, "64 pieces au maximum !");
      break;
  }
}

// Writes the layout to a new puzzle-N.txt in the working directory and says
// so on the overlay; a failure changes nothing but the message.
void saveLayout(const BoardState& board, MessageOverlay& overlay) {
  std::string error;
  if (const std::optional<std::string> name = saveNewPuzzleFile(board, ".", error)) {
    overlay.addMessage({-5, 6, 0}, 3000, "Enregistr\xe9 : %s", name->c_str());
    return;
  }
  std::fprintf(stderr, "cavel: %s\n", error.c_str());
  overlay.addMessage({-5, 6, 0}, 3000, "Echec de l'enregistrement !");
}

// Backspace takes the last piece off. S saves once the square stands, as
// Return searches only then: a file without it is no puzzle.
void handleLayoutKeys(EditorCursor& cursor, BoardState& board, MessageOverlay& overlay) {
  KeyLatch& keys = keyLatch();
  if (keys.takePress(SDLK_BACKSPACE)) removeLastPiece(cursor, board);
  if (keys.takePress(SDLK_s) && canSearch(board)) saveLayout(board, overlay);
}

// The metric in force and its key, below the board where the later screens
// count.
void drawMetricLine(MoveMetric metric) {
  const char* line = metricLine(metric);
  drawLabel(line, {-5, -2, 0}, {0.5 * std::strlen(line), 0, 0}, {0, 0.6, 0});
}

void drawPhaseTexts(int placedCount) {
  if (placedCount == 0) {
    drawLabel("Placez la piece a sortir...", {-5, 8, 0}, {15, 0, 0}, {0, 1, 0});
    drawLabel("Fleches et espace...", {-5, 7, 0}, {15, 0, 0}, {0, 1, 0});
    return;
  }
  drawLabel("Placez les autres pieces...", {-5, 8, 0}, {15, 0, 0}, {0, 1, 0});
  drawLabel("O & P pour changer, Return pour finir...", {-5, 7, 0}, {15, 0, 0}, {0, 0.8, 0});
}

}  // namespace

EditorChoice runPlacementEditor(const Camera& camera, BoardState& board, MoveMetric& metric,
                                MessageOverlay& overlay) {
  EditorCursor cursor = startingCursor(board);
  const auto nothingBefore = []() -> std::optional<EditorChoice> { return std::nullopt; };
  const auto keys = [&]() -> std::optional<EditorChoice> {
    KeyLatch& latch = keyLatch();
    if (latch.takePress(SDLK_ESCAPE)) return EditorChoice::quit;
    handleCursorKeys(cursor, board);
    handleSpace(cursor, board, overlay);
    handleLayoutKeys(cursor, board, overlay);
    if (latch.takePress(SDLK_m)) metric = nextMetric(metric);
    if (latch.takePress(SDLK_RETURN) && canSearch(board)) return EditorChoice::search;
    if (latch.takePress(SDLK_h) && canSearch(board)) return EditorChoice::analyze;
    settleCursor(cursor);
    return std::nullopt;
  };
  const auto draw = [&] {
    drawPieceAt(cursor.piece, {-4, 0, 0}, 1.0f);
    drawBoard(board);
    drawPiece(cursor.piece, 0.5f);
    beginText();
    drawPhaseTexts(board.pieceCount());
    drawMetricLine(metric);
    overlay.drawMessages();
    endText();
  };
  // Closed: like Escape, the end of the program, with nothing saved.
  return runFrames<EditorChoice>(camera, nothingBefore, keys, draw).value_or(EditorChoice::quit);
}
