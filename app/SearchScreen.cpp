#include "SearchScreen.h"

#include <SDL.h>

#include <cstdio>

#include "FrameLoop.h"
#include "model/MoveByte.h"
#include "render/Draw.h"
#include "render/Video.h"

namespace {

// Shows the previous progress frame and draws the next: the text, the count
// of positions explored so far below the board, and the root layout. Events
// are pumped here so that an Escape pressed during the search reaches the
// latch.
void drawProgressFrame(const Camera& camera, const BoardState& root, const SolveStats& stats) {
  pumpEvents();
  presentFrame();
  camera.applyView();
  beginText();
  drawLabel("Calcul solution...", {-5, 6, 0}, {15, 0, 0}, {0, 1, 0});
  char count[64];
  const int length = std::snprintf(count, sizeof count,
                                   "%llu positions explor\xe9"
                                   "es",
                                   static_cast<unsigned long long>(stats.positions));
  drawLabel(count, {-5, -2, 0}, {0.6 * length, 0, 0}, {0, 0.6, 0});
  endText();
  drawBoard(root);
}

}  // namespace

SolveResult runSearchScreen(const Camera& camera, const BoardState& root) {
  // Move bytes name 64 pieces at most, and the goal needs the square.
  if (root.pieceCount() == 0 || root.pieceCount() > maxLoggedPieces) return SolveResult();
  SolveOptions options;
  options.shouldStop = [] { return keyPressed(SDLK_ESCAPE, 0) != 0; };
  options.progress = [&](const SolveStats& stats) { drawProgressFrame(camera, root, stats); };
  return solveBoard(root, options);
}
