#include "ResultScreens.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "AutoPlay.h"
#include "FrameLoop.h"
#include "model/SolutionReplay.h"
#include "render/Draw.h"

namespace {

using namespace std::chrono_literals;

// Automatic play: 4 moves a second.
constexpr AutoPlay::Clock::duration autoPlayInterval = 250ms;

// The board and one line of text above it, 0.8 units a character.
void drawBoardAndLine(const BoardState& board, const char* text) {
  drawBoard(board);
  beginText();
  const double length = static_cast<double>(std::strlen(text));
  drawLabel(text, {-4, 6, 0}, {0.8 * length, 0, 0}, {0, 1, 0});
  endText();
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
// a step by hand stops it.
std::optional<bool> handleReplayKeys(SolutionReplay& replay, AutoPlay& autoPlay) {
  if (keyPressed(SDLK_e, 1)) return true;
  if (keyPressed(SDLK_SPACE, 1)) {
    if (replay.atEnd()) return false;
    replay.forward();
    autoPlay.stop();
  }
  if (keyPressed(SDLK_BACKSPACE, 1)) {
    replay.back();
    autoPlay.stop();
  }
  if (keyPressed(SDLK_a, 1)) toggleAutoPlay(autoPlay, replay);
  return std::nullopt;
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
  return runFrames<bool>(camera, space, edit, draw).value_or(false);
}

bool replaySolution(BoardState initialBoard, const BoardState& solution, const Camera& camera) {
  SolutionReplay replay(std::move(initialBoard), solution.moveLog());
  AutoPlay autoPlay(autoPlayInterval);
  const auto nothingBefore = []() -> std::optional<bool> { return std::nullopt; };
  const auto keys = [&] { return handleReplayKeys(replay, autoPlay); };
  const auto advance = [&](AutoPlay::Clock::time_point now) {
    if (autoPlay.moveDue(now)) replay.forward();
    if (replay.atEnd()) autoPlay.stop();
    return autoPlay.nextMove();
  };
  const auto draw = [&] {
    drawBoardAndLine(replay.board(), replay.atEnd() ? "Fini !!" : "Appuyez sur espace.");
    drawMoveCounter(replay);
  };
  // Closed: the end, as after the last press of space.
  return runTimedFrames<bool>(camera, nothingBefore, keys, advance, draw).value_or(false);
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
      return replaySolution(initialBoard, result.solution, camera);
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
