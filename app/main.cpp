// The program's entry: one window, one puzzle, a fixed line of screens with
// ways back to the editor.
#include <GL/gl.h>

#include <utility>

#include "AnalysisOutcome.h"
#include "BoardSizeScreen.h"
#include "CommandLine.h"
#include "PlacementEditor.h"
#include "ResultScreens.h"
#include "SearchScreen.h"
#include "Startup.h"
#include "platform/FatalError.h"
#include "render/BoardView.h"
#include "render/MessageOverlay.h"

namespace {

// H in the editor: the layout's whole set of positions analysed, then the
// editor goes on with its hardest start, or with the layout as it was.
void analyzeLayout(const Camera& camera, BoardState& board, MoveMetric metric,
                   MessageOverlay& overlay) {
  AnalysisOutcome outcome = outcomeOfAnalysis(board, runAnalysisScreen(camera, board, metric));
  board = std::move(outcome.layout);
  if (outcome.message.empty()) return;
  overlay.addMessage(aboveBoard(board.size, {-5, 6, 0}), 4000, "%s", outcome.message.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  // A puzzle file is read first: a bad one is reported before any window.
  const CommandLine command = readCommandLine(argc, argv);
  openProgramWindow();
  const std::string fontPath = loadProgramFont();
  MessageOverlay overlay(fontPath.c_str());
  if (!overlay.hasFont()) abortMissingFile(fontPath);
  const Camera camera = placeCamera();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DEPTH_TEST);
  glColor3f(0.5f, 0.5f, 0.5f);

  // A puzzle file skips the size screen: the editor goes on with its layout.
  BoardState board = command.board ? *command.board : BoardState(runBoardSizeScreen(camera));
  // The editor's M changes it for the searches that follow.
  MoveMetric metric = command.metric;
  // A search stopped with Escape, and E on a result screen, go back to the
  // editor with the layout that was searched; an analysis goes back to it
  // whichever way it ends.
  for (;;) {
    const EditorChoice choice = runPlacementEditor(camera, board, metric, overlay);
    if (choice == EditorChoice::quit) return 0;
    if (choice == EditorChoice::analyze) {
      analyzeLayout(camera, board, metric, overlay);
      continue;
    }
    const SolveResult result = runSearchScreen(camera, board, metric);
    if (!showResult(board, result, camera)) return 0;
  }
}
