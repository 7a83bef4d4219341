// The program's entry: one window, one puzzle, a fixed line of screens.
#include <GL/gl.h>

#include "BoardSizeScreen.h"
#include "PlacementEditor.h"
#include "ResultScreens.h"
#include "SearchScreen.h"
#include "Startup.h"
#include "model/BoardSize.h"
#include "model/OccupancyGrid.h"
#include "render/Camera.h"
#include "render/Draw.h"
#include "render/MessageOverlay.h"
#include "render/Texture.h"

namespace {

void showResult(const BoardState& initialBoard, const BoardState* solution, SolveOutcome outcome,
                Camera& camera) {
  if (solution != nullptr) {
    replaySolution(initialBoard, *solution, camera);
  } else if (outcome == SolveOutcome::outOfMemory) {
    showMemoryFailure(initialBoard, camera);
  } else {
    showFailure(initialBoard, camera);
  }
}

}  // namespace

int main(int, char**) {
  openProgramWindow();
  fontTexture = static_cast<int>(loadTexture("font.bmp", 32));
  MessageOverlay overlay("font.bmp");
  Camera camera;
  camera.moveForward(-15.0);
  camera.moveRight(boardWidth * 0.5);
  camera.moveUp(boardWidth * 0.5);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DEPTH_TEST);
  glColor3f(0.5f, 0.5f, 0.5f);

  BoardState editedBoard = runBoardSizeScreen(camera);
  allocateOccupancyGrid();
  if (runPlacementEditor(camera, editedBoard, overlay) != 0) return 0;

  const BoardState preSearchCopy = editedBoard;
  SolveOutcome outcome = SolveOutcome::noSolution;
  const std::unique_ptr<BoardState> solution = solve(camera, editedBoard, overlay, &outcome);
  showResult(preSearchCopy, solution.get(), outcome, camera);
  return 0;
}
