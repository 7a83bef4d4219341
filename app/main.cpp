// The program's entry: one window, one puzzle, a fixed line of screens with
// ways back to the editor.
#include <GL/gl.h>

#include <optional>
#include <utility>

#include "BoardSizeScreen.h"
#include "CommandLine.h"
#include "PlacementEditor.h"
#include "PlayScreen.h"
#include "ResultScreens.h"
#include "SearchScreen.h"
#include "ShelfScreen.h"
#include "Startup.h"
#include "app/core/AnalysisOutcome.h"
#include "platform/Clipboard.h"
#include "platform/FatalError.h"
#include "render/BoardView.h"
#include "render/MessageOverlay.h"

namespace {

// H in the editor: the layout's whole set of positions analysed, then the
// editor goes on with its hardest start, or with the layout as it was.
// False when the window was closed meanwhile.
bool analyzeLayout(const Camera& camera, BoardState& board, MoveMetric metric,
                   MessageOverlay& overlay) {
  const std::optional<AnalysisResult> analysis = runAnalysisScreen(camera, board, metric);
  if (!analysis) return false;
  AnalysisOutcome outcome = outcomeOfAnalysis(board, *analysis);
  board = std::move(outcome.layout);
  if (!outcome.message.empty()) {
    overlay.addMessage(aboveBoard(board.size, {-5, 6, 0}), 4000, "%s", outcome.message.c_str());
  }
  return true;
}

// Return in the editor: the search, then the screen of its result. Whether
// the editor comes next.
bool searchLayout(const Camera& camera, const BoardState& board, MoveMetric metric) {
  const std::optional<SolveResult> result = runSearchScreen(camera, board, metric);
  return result && showResult(board, *result, camera) == ResultChoice::editor;
}

// The board size screen, and the list of the collection that L opens from
// it: the layout the editor starts from (an empty board of the size chosen,
// or a puzzle of the list), or nothing when the program ends. M in the list
// changes `metric`.
std::optional<BoardState> chooseStart(const Camera& camera, MoveMetric& metric) {
  BoardSize size;
  for (;;) {
    const std::optional<SizeChoice> choice = runBoardSizeScreen(camera, size);
    if (!choice) return std::nullopt;
    if (*choice == SizeChoice::editor) return BoardState(size);
    std::optional<ShelfChoice> chosen = runShelfScreen(camera, metric);
    if (!chosen) return std::nullopt;
    // Escape in the list: back to the size screen, the size as it was.
    if (chosen->board) return std::move(chosen->board);
  }
}

// J in the editor: the person plays the layout, which stays as it was.
// Whether the editor comes next: after the play, or after the replay that
// A at its end asks for, as after a search.
bool playLayout(const Camera& camera, const BoardState& board, MoveMetric metric,
                MessageOverlay& overlay) {
  const PlayEnd end = runPlayScreen(camera, board, metric, overlay);
  switch (end.choice) {
    case PlayChoice::editor:
      return true;
    case PlayChoice::replay:
      return replaySolution(board, end.solution.solution, end.solution.stepsPerMove, camera) ==
             ResultChoice::editor;
    case PlayChoice::quit:
      break;
  }
  return false;
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

  // The editor's M, and the list's, change it for the searches that follow.
  MoveMetric metric = command.metric;
  // A puzzle file skips the size screen: the editor goes on with its layout.
  std::optional<BoardState> start = command.board;
  if (!start) start = chooseStart(camera, metric);
  if (!start) return 0;
  BoardState board = std::move(*start);
  // The codes the editor's C copies stay on offer until the program ends.
  Clipboard clipboard;
  // A search stopped with Escape, and E on a result screen, go back to the
  // editor with the layout that was searched; an analysis goes back to it
  // whichever way it ends, and so does play, with the layout played.
  for (;;) {
    bool editorNext = false;
    switch (runPlacementEditor(camera, board, metric, overlay, clipboard)) {
      case EditorChoice::quit:
        break;
      case EditorChoice::analyze:
        editorNext = analyzeLayout(camera, board, metric, overlay);
        break;
      case EditorChoice::search:
        editorNext = searchLayout(camera, board, metric);
        break;
      case EditorChoice::play:
        editorNext = playLayout(camera, board, metric, overlay);
        break;
    }
    if (!editorNext) return 0;
  }
}
