#include "BoardSizeScreen.h"

#include <SDL.h>

#include "FrameLoop.h"
#include "input/EventPump.h"
#include "render/BoardView.h"
#include "render/Draw.h"

namespace {

// What the screen ends with: a size, or nothing for Escape.
struct SizeChoice {
  std::optional<BoardSize> size;
};

// Applies the arrows pressed since the last pump; true when Return ends the
// screen.
bool handleSizeKeys(BoardSize& size) {
  KeyLatch& keys = keyLatch();
  if (keys.takePress(SDLK_RIGHT) && size.width < maxBoardWidth) ++size.width;
  if (keys.takePress(SDLK_LEFT) && size.width > minBoardWidth) --size.width;
  if (keys.takePress(SDLK_UP) && size.height < maxBoardHeight) ++size.height;
  if (keys.takePress(SDLK_DOWN) && size.height > minBoardHeight) --size.height;
  return keys.takePress(SDLK_RETURN);
}

}  // namespace

std::optional<BoardSize> runBoardSizeScreen(const Camera& camera) {
  BoardSize size;
  // The frames look through this camera, which follows the height chosen.
  Camera view = camera;
  const auto nothingBefore = []() -> std::optional<SizeChoice> { return std::nullopt; };
  const auto keys = [&]() -> std::optional<SizeChoice> {
    if (keyLatch().takePress(SDLK_ESCAPE)) return SizeChoice{std::nullopt};
    const bool chosen = handleSizeKeys(size);
    view = boardCamera(camera, size);
    if (chosen) return SizeChoice{size};
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
  // Closed: like Escape, the end of the program.
  return runFrames<SizeChoice>(view, nothingBefore, keys, draw)
      .value_or(SizeChoice{std::nullopt})
      .size;
}
