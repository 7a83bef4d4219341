#include "BoardSizeScreen.h"

#include <SDL.h>

#include <cstring>

#include "FrameLoop.h"
#include "input/EventPump.h"
#include "render/BoardView.h"
#include "render/Draw.h"

namespace {

// What ends the screen: Escape, which ends the program, or a choice.
struct SizeScreenEnd {
  std::optional<SizeChoice> choice;
};

// Applies the arrows pressed since the last pump.
void handleSizeKeys(BoardSize& size) {
  KeyLatch& keys = keyLatch();
  if (keys.takePress(SDLK_RIGHT) && size.width < maxBoardWidth) ++size.width;
  if (keys.takePress(SDLK_LEFT) && size.width > minBoardWidth) --size.width;
  if (keys.takePress(SDLK_UP) && size.height < maxBoardHeight) ++size.height;
  if (keys.takePress(SDLK_DOWN) && size.height > minBoardHeight) --size.height;
}

// The key to the list, below the grid where the editor names the metric.
void drawShelfLine() {
  const char* line = "L : la collection de puzzles";
  drawLabel(line, {-5, -2, 0}, {0.5 * std::strlen(line), 0, 0}, {0, 0.6, 0});
}

}  // namespace

std::optional<SizeChoice> runBoardSizeScreen(const Camera& camera, BoardSize& size) {
  // The frames look through this camera, which follows the height chosen.
  Camera view = boardCamera(camera, size);
  const auto nothingBefore = []() -> std::optional<SizeScreenEnd> { return std::nullopt; };
  const auto keys = [&]() -> std::optional<SizeScreenEnd> {
    KeyLatch& latch = keyLatch();
    if (latch.takePress(SDLK_ESCAPE)) return SizeScreenEnd{std::nullopt};
    handleSizeKeys(size);
    view = boardCamera(camera, size);
    if (latch.takePress(SDLK_RETURN)) return SizeScreenEnd{SizeChoice::editor};
    if (latch.takePress(SDLK_l)) return SizeScreenEnd{SizeChoice::shelf};
    return std::nullopt;
  };
  const auto draw = [&] {
    // Only the grid: the exit is shown once there is a board to fill.
    drawGrid(size);
    beginText();
    drawLabel("Utilisez les fleches...", aboveBoard(size, {-5, 8, 0}), {15, 0, 0}, {0, 1, 0});
    drawLabel("Return pour valider...", aboveBoard(size, {-5, 7, 0}), {15, 0, 0}, {0, 1, 0});
    drawShelfLine();
    endText();
  };
  // Closed: like Escape, the end of the program.
  return runFrames<SizeScreenEnd>(view, nothingBefore, keys, draw)
      .value_or(SizeScreenEnd{std::nullopt})
      .choice;
}
