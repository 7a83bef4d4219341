#include "BoardSizeScreen.h"

#include <SDL.h>

#include "FrameLoop.h"
#include "render/BoardView.h"
#include "render/Draw.h"

namespace {

// Applies the arrows latched since the last pump; true when Return ends the
// screen.
bool handleSizeKeys(BoardSize& size) {
  if (keyPressed(SDLK_RIGHT, 1) && size.width < maxBoardWidth) ++size.width;
  if (keyPressed(SDLK_LEFT, 1) && size.width > minBoardWidth) --size.width;
  if (keyPressed(SDLK_UP, 1) && size.height < maxBoardHeight) ++size.height;
  if (keyPressed(SDLK_DOWN, 1) && size.height > minBoardHeight) --size.height;
  return keyPressed(SDLK_RETURN, 1) != 0;
}

}  // namespace

BoardSize runBoardSizeScreen(const Camera& camera) {
  BoardSize size;
  // The frames look through this camera, which follows the height chosen.
  Camera view = camera;
  const auto escape = [&]() -> std::optional<BoardSize> {
    if (keyPressed(SDLK_ESCAPE, 0)) return size;
    return std::nullopt;
  };
  const auto keys = [&]() -> std::optional<BoardSize> {
    const bool chosen = handleSizeKeys(size);
    view = boardCamera(camera, size);
    if (chosen) return size;
    return std::nullopt;
  };
  const auto draw = [&] {
    // Only the grid: the exit is shown once there is a board to fill.
    drawGrid(size);
    beginText();
    drawLabel("Utilisez les fleches...", aboveBoard(size, {-5, 8, 0}), {15, 0, 0}, {0, 1, 0});
    drawLabel("Return pour valider...", aboveBoard(size, {-5, 7, 0}), {15, 0, 0}, {0, 1, 0});
    endText();
  };
  // Closed: the size as it stands; the editor, which comes next, ends at once.
  return runFrames<BoardSize>(view, escape, keys, draw).value_or(size);
}
