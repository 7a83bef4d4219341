#include "PlacementEditor.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "FrameLoop.h"
#include "MetricChoice.h"
#include "model/EditorRules.h"
#include "puzzle/PuzzleFile.h"
#include "render/BoardView.h"
#include "render/Draw.h"

namespace {

void handleCursorKeys(EditorCursor& cursor, const BoardState& board) {
  if (keyPressed(SDLK_o, 1)) cycleShape(cursor, board, +1);
  if (keyPressed(SDLK_p, 1)) cycleShape(cursor, board, -1);
  if (keyPressed(SDLK_RIGHT, 1)) moveCursor(cursor, CursorStep::right, board.size);
  if (keyPressed(SDLK_LEFT, 1)) moveCursor(cursor, CursorStep::left, board.size);
  if (keyPressed(SDLK_UP, 1)) moveCursor(cursor, CursorStep::up, board.size);
  if (keyPressed(SDLK_DOWN, 1)) moveCursor(cursor, CursorStep::down, board.size);
}

// Space places the cursor piece where it stood before this pump's arrows.
void handleSpace(EditorCursor& cursor, BoardState& board, MessageOverlay& overlay) {
  if (!keyPressed(SDLK_SPACE, 1)) return;
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

// Writes the layout to a new puzzle-N.txt in the working directory and says
// so on the overlay; a failure changes nothing but the message.
void saveLayout(const BoardState& board, MessageOverlay& overlay) {
  std::string error;
  if (const std::optional<std::string> name = saveNewPuzzleFile(board, ".", error)) {
    overlay.addMessage(aboveBoard(board.size, {-5, 6, 0}), 3000, "Enregistr\xe9 : %s",
                       name->c_str());
    return;
  }
  std::fprintf(stderr, "cavel: %s\n", error.c_str());
  overlay.addMessage(aboveBoard(board.size, {-5, 6, 0}), 3000, "Echec de l'enregistrement !");
}

// Backspace takes the last piece off. S saves once the square stands, as
// Return searches only then: a file without it is no puzzle.
void handleLayoutKeys(EditorCursor& cursor, BoardState& board, MessageOverlay& overlay) {
  if (keyPressed(SDLK_BACKSPACE, 1)) removeLastPiece(cursor, board);
  if (keyPressed(SDLK_s, 1) && canSearch(board)) saveLayout(board, overlay);
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

EditorChoice runPlacementEditor(const Camera& camera, BoardState& board, MoveMetric& metric,
                                MessageOverlay& overlay) {
  EditorCursor cursor = startingCursor(board);
  const auto escape = []() -> std::optional<EditorChoice> {
    if (keyPressed(SDLK_ESCAPE, 0)) return EditorChoice::quit;
    return std::nullopt;
  };
  const auto keys = [&]() -> std::optional<EditorChoice> {
    handleCursorKeys(cursor, board);
    handleSpace(cursor, board, overlay);
    handleLayoutKeys(cursor, board, overlay);
    if (keyPressed(SDLK_m, 1)) metric = nextMetric(metric);
    if (keyPressed(SDLK_RETURN, 1) && canSearch(board)) return EditorChoice::search;
    if (keyPressed(SDLK_h, 1) && canSearch(board)) return EditorChoice::analyze;
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
  return runFrames<EditorChoice>(boardCamera(camera, board.size), escape, keys, draw)
      .value_or(EditorChoice::quit);
}
