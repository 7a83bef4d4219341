#include "ResultScreens.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "AutoPlay.h"
#include "FrameLoop.h"
#include "MoveAnimation.h"
#include "model/SolutionReplay.h"
#include "render/BoardView.h"
#include "render/Draw.h"

namespace {

using namespace std::chrono_literals;

// Automatic play: 4 moves a second.
constexpr AutoPlay::Clock::duration autoPlayInterval = 250ms;

// Drawing frames at most 60 times a second while a move runs along its route.
constexpr AutoPlay::Clock::duration animationFrame =
    std::chrono::duration_cast<AutoPlay::Clock::duration>(1s) / 60;

// One line of text above the board, 0.8 units a character.
void drawLineAbove(BoardSize size, const char* text) {
  beginText();
  const double length = static_cast<double>(std::strlen(text));
  drawLabel(text, aboveBoard(size, {-4, 6, 0}), {0.8 * length, 0, 0}, {0, 1, 0});
  endText();
}

void drawBoardAndLine(const BoardState& board, const char* text) {
  drawBoard(board);
  drawLineAbove(board.size, text);
}

// "Coup K / N" below the board, in the glyphs of the message overlay.
void drawMoveCounter(const SolutionReplay& replay) {
  char counter[64];
  const int length =
      std::snprintf(counter, sizeof counter, "Coup %d / %d", replay.played(), replay.total());
  beginText();
  drawLabel(counter, {-5, -2, 0}, {0.6 * length, 0, 0}, {0, 0.6, 0});
  endText();
}

// The replay and the showing of its last move: a move of several cells runs
// along its route for a moment, its count already shown.
struct ReplayView {
  SolutionReplay replay;
  MoveAnimation animation;

  void forward(MoveAnimation::Clock::time_point now) {
    if (replay.forward()) animation.start(replay.lastMoveCells(), now);
  }
  void back() {
    animation.finish();
    replay.back();
  }

  void draw(MoveAnimation::Clock::time_point now) const {
    if (!animation.running(now)) {
      drawBoard(replay.board());
      return;
    }
    const SolutionReplay::PieceOnItsWay piece = replay.lastMoveAt(animation.progress(now));
    drawBoardMoving(replay.board(), piece.pieceIndex, {piece.x, piece.y, 0});
  }
};

// A: automatic play starts if it is stopped and a move is left, and stops if
// it runs.
void toggleAutoPlay(AutoPlay& autoPlay, const SolutionReplay& replay) {
  if (autoPlay.running()) {
    autoPlay.stop();
    return;
  }
  if (!replay.atEnd()) autoPlay.start(AutoPlay::Clock::now());
}

// The replay's keys: E asks for the editor (true), space after the last move
// ends the replay (false). Space and Backspace take over from automatic play:
// a step by hand stops it. A key that comes while a move runs along its route
// first shows that move's end.
std::optional<bool> handleReplayKeys(ReplayView& view, AutoPlay& autoPlay) {
  if (keyDownSeen()) view.animation.finish();
  if (keyPressed(SDLK_e, 1)) return true;
  if (keyPressed(SDLK_SPACE, 1)) {
    if (view.replay.atEnd()) return false;
    view.forward(MoveAnimation::Clock::now());
    autoPlay.stop();
  }
  if (keyPressed(SDLK_BACKSPACE, 1)) {
    view.back();
    autoPlay.stop();
  }
  if (keyPressed(SDLK_a, 1)) toggleAutoPlay(autoPlay, view.replay);
  return std::nullopt;
}

// Automatic play's next move once the one on its way has ended; returns
// when the screen changes next by time alone.
std::optional<AutoPlay::Clock::time_point> advanceReplay(ReplayView& view, AutoPlay& autoPlay,
                                                         AutoPlay::Clock::time_point now) {
  if (!view.animation.running(now)) {
    view.animation.finish();
    if (autoPlay.moveDue(now)) view.forward(now);
  }
  if (view.replay.atEnd()) autoPlay.stop();
  if (view.animation.running(now)) return now + animationFrame;
  return autoPlay.nextMove();
}

}  // namespace

bool showBoardUntilSpace(const BoardState& board, const Camera& camera, const char* text) {
  const auto space = []() -> std::optional<bool> {
    if (keyPressed(SDLK_SPACE, 1)) return false;
    return std::nullopt;
  };
  const auto edit = []() -> std::optional<bool> {
    if (keyPressed(SDLK_e, 1)) return true;
    return std::nullopt;
  };
  const auto draw = [&] { drawBoardAndLine(board, text); };
  // Closed: the end, as after the last press of space.
  return runFrames<bool>(boardCamera(camera, board.size), space, edit, draw).value_or(false);
}

bool replaySolution(BoardState initialBoard, const BoardState& solution,
                    const std::vector<uint16_t>& stepsPerMove, const Camera& camera) {
  ReplayView view{SolutionReplay(std::move(initialBoard), solution.moveLog(), stepsPerMove), {}};
  AutoPlay autoPlay(autoPlayInterval);
  const auto nothingBefore = []() -> std::optional<bool> { return std::nullopt; };
  const auto keys = [&] { return handleReplayKeys(view, autoPlay); };
  const auto advance = [&](AutoPlay::Clock::time_point now) {
    return advanceReplay(view, autoPlay, now);
  };
  const auto draw = [&] {
    view.draw(MoveAnimation::Clock::now());
    drawLineAbove(view.replay.board().size,
                  view.replay.atEnd() ? "Fini !!" : "Appuyez sur espace.");
    drawMoveCounter(view.replay);
  };
  // Closed: the end, as after the last press of space.
  return runTimedFrames<bool>(boardCamera(camera, view.replay.board().size), nothingBefore, keys,
                              advance, draw)
      .value_or(false);
}

bool showFailure(const BoardState& board, const Camera& camera) {
  return showBoardUntilSpace(board, camera, "Echec : Impossible.");
}

bool showMemoryFailure(const BoardState& board, const Camera& camera) {
  return showBoardUntilSpace(board, camera, "Echec : m\xe9moire.");
}

bool showResult(const BoardState& initialBoard, const SolveResult& result, const Camera& camera) {
  switch (result.outcome) {
    case SolveOutcome::solved:
      return replaySolution(initialBoard, result.solution, result.stepsPerMove, camera);
    case SolveOutcome::outOfMemory:
    case SolveOutcome::spillFailed:
    case SolveOutcome::failed:
      // The search ran short of what it needs; the window sets no spill
      // folder, and anything else it could meet is a resource running out.
      return showMemoryFailure(initialBoard, camera);
    case SolveOutcome::noSolution:
      return showFailure(initialBoard, camera);
    case SolveOutcome::stopped:
      // Stopped by the person, who goes back to the editor: nothing failed.
      return true;
  }
  return true;
}
