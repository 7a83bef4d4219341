#include "ResultScreens.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "FrameLoop.h"
#include "app/core/ReplayClock.h"
#include "input/EventPump.h"
#include "model/SolutionReplay.h"
#include "render/BoardView.h"
#include "render/Draw.h"

namespace {

using namespace std::chrono_literals;

using Clock = ReplayClock::Clock;

// Automatic play: 4 moves a second.
constexpr Clock::duration autoPlayInterval = 250ms;

// Drawing frames at most 60 times a second while a move runs along its route.
constexpr Clock::duration animationFrame = std::chrono::duration_cast<Clock::duration>(1s) / 60;

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
  ReplayClock clock{autoPlayInterval};

  void forward(Clock::time_point now) {
    if (replay.forward()) clock.startMove(replay.lastMoveCells(), now);
  }
  void back() {
    clock.finishMove();
    replay.back();
  }

  void draw(Clock::time_point now) const {
    if (!clock.moving(now)) {
      drawBoard(replay.board());
      return;
    }
    const SolutionReplay::PieceOnItsWay piece = replay.lastMoveAt(clock.progress(now));
    drawBoardMoving(replay.board(), piece.pieceIndex, {piece.x, piece.y, 0});
  }
};

// A: automatic play starts if it is stopped and a move is left, and stops if
// it runs.
void toggleAutoPlay(ReplayView& view) {
  if (view.clock.autoPlaying()) {
    view.clock.stopAutoPlay();
    return;
  }
  if (!view.replay.atEnd()) view.clock.startAutoPlay(Clock::now());
}

// The replay's keys: E asks for the editor, space after the last move ends
// the replay. Space and Backspace take over from automatic play: a step by
// hand stops it. A key that comes while a move runs along its route first
// shows that move's end.
std::optional<ResultChoice> handleReplayKeys(ReplayView& view) {
  KeyLatch& keys = keyLatch();
  if (keys.keyDownSeen()) view.clock.finishMove();
  if (keys.takePress(SDLK_e)) return ResultChoice::editor;
  if (keys.takePress(SDLK_SPACE)) {
    if (view.replay.atEnd()) return ResultChoice::quit;
    view.forward(Clock::now());
    view.clock.stopAutoPlay();
  }
  if (keys.takePress(SDLK_BACKSPACE)) {
    view.back();
    view.clock.stopAutoPlay();
  }
  if (keys.takePress(SDLK_a)) toggleAutoPlay(view);
  return std::nullopt;
}

// Automatic play's next move once the one on its way has ended; returns
// when the screen changes next by time alone.
std::optional<Clock::time_point> advanceReplay(ReplayView& view, Clock::time_point now) {
  if (view.clock.autoMoveDue(now)) view.forward(now);
  if (view.replay.atEnd()) view.clock.stopAutoPlay();
  return view.clock.nextChange(now, animationFrame);
}

}  // namespace

ResultChoice showBoardUntilSpace(const BoardState& board, const Camera& camera,
                                 const char* text) {
  // A press of space latched on entry ends the screen at once.
  const auto space = []() -> std::optional<ResultChoice> {
    if (keyLatch().takePress(SDLK_SPACE)) return ResultChoice::quit;
    return std::nullopt;
  };
  const auto edit = []() -> std::optional<ResultChoice> {
    if (keyLatch().takePress(SDLK_e)) return ResultChoice::editor;
    return std::nullopt;
  };
  const auto draw = [&] { drawBoardAndLine(board, text); };
  // Closed: the end, as after the last press of space.
  return runFrames<ResultChoice>(boardCamera(camera, board.size), space, edit, draw)
      .value_or(ResultChoice::quit);
}

ResultChoice replaySolution(BoardState initialBoard, const BoardState& solution,
                            const std::vector<uint16_t>& stepsPerMove, const Camera& camera) {
  ReplayView view{SolutionReplay(std::move(initialBoard), solution.moveLog(), stepsPerMove)};
  const auto nothingBefore = []() -> std::optional<ResultChoice> { return std::nullopt; };
  const auto keys = [&] { return handleReplayKeys(view); };
  const auto advance = [&](Clock::time_point now) { return advanceReplay(view, now); };
  const auto draw = [&] {
    view.draw(Clock::now());
    drawLineAbove(view.replay.board().size,
                  view.replay.atEnd() ? "Fini !!" : "Appuyez sur espace.");
    drawMoveCounter(view.replay);
  };
  // Closed: the end, as after the last press of space.
  return runTimedFrames<ResultChoice>(boardCamera(camera, view.replay.board().size),
                                      nothingBefore, keys, advance, draw)
      .value_or(ResultChoice::quit);
}

ResultChoice showFailure(const BoardState& board, const Camera& camera) {
  return showBoardUntilSpace(board, camera, "Echec : Impossible.");
}

ResultChoice showMemoryFailure(const BoardState& board, const Camera& camera) {
  return showBoardUntilSpace(board, camera, "Echec : m\xe9moire.");
}

ResultChoice showResult(const BoardState& initialBoard, const SolveResult& result,
                        const Camera& camera) {
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
      return ResultChoice::editor;
  }
  return ResultChoice::editor;
}
