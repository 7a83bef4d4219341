#include "PlayScreen.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FrameLoop.h"
#include "PlacementEditor.h"
#include "app/core/DistanceWorker.h"
#include "app/core/PlaySession.h"
#include "app/core/ReplayClock.h"
#include "app/core/ScoreBook.h"
#include "input/EventPump.h"
#include "platform/EventWait.h"
#include "puzzle/LayoutCode.h"
#include "render/BoardView.h"
#include "render/Draw.h"

namespace {

using namespace std::chrono_literals;

using Clock = ReplayClock::Clock;

// A drag moves its piece one cell a frame, at most 60 a second; a hint's
// move runs along its route in frames as often.
constexpr Clock::duration frame = std::chrono::duration_cast<Clock::duration>(1s) / 60;

// Where the screen's timed messages go: below the counters, clear of the
// lines above the board.
const Vector3 messageAt{-5, -3, 0};

// "N coup" or "N coups".
std::string countOf(int moves) { return std::to_string(moves) + (moves == 1 ? " coup" : " coups"); }

// Tells standard error what went wrong with the scores file.
void printReports(const std::vector<ScoreReport>& reports) {
  for (const ScoreReport& report : reports) {
    std::fprintf(stderr, "cavel: %s\n", scoreTroubleLine(report).c_str());
  }
}

// The best scores of the layout played: the one kept when play began, and
// whether the end made a new one.
class Scores {
 public:
  Scores(const BoardState& start, MoveMetric metric) : code_(layoutCode(start)), metric_(metric) {
    const std::optional<std::string> path =
        scoresFilePath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (!path) {
      std::fprintf(stderr, "cavel: no folder for the scores: neither XDG_DATA_HOME nor HOME\n");
      return;
    }
    book_.emplace(*path);
    std::vector<ScoreReport> reports;
    best_ = book_->best(code_, metric_, reports);
    printReports(reports);
  }

  std::optional<int> best() const { return best_; }
  bool record() const { return record_; }

  // The end of a play of `moves` moves: kept when no hint was used.
  void finish(int moves, int hints, MessageOverlay& overlay) {
    if (hints > 0 || !book_) return;
    std::vector<ScoreReport> reports;
    const ScoreBook::Outcome outcome = book_->record(code_, metric_, moves, reports);
    printReports(reports);
    record_ = outcome.record;
    if (!outcome.saved) overlay.addMessage(messageAt, 4000, "Score non enregistr\xe9 !");
  }

 private:
  std::string code_;
  MoveMetric metric_;
  std::optional<ScoreBook> book_;
  std::optional<int> best_;
  bool record_ = false;
};

// Everything the screen keeps between its turns.
struct PlayView {
  PlayView(const BoardState& start, MoveMetric metric)
      : worker(metric, wakeEventWait),
        session(start, metric, [this](const BoardState& position) { return worker.ask(position); }),
        scores(start, metric) {}

  DistanceWorker worker;
  PlaySession session;
  Scores scores;
  // A hint's move of several cells runs along its route (automatic play
  // is not used here).
  ReplayClock clock{1s};
  // The drag: whether it holds a piece, where it took hold of it (the
  // cell against the piece's origin) and when its next cell falls due.
  bool dragging = false;
  int holdX = 0;
  int holdY = 0;
  Clock::time_point nextDragStep;
  bool endTaken = false;      // the end was seen and its score kept
  bool replayWanted = false;  // A at the end, before the answer from the start came

  void startHint(Clock::time_point now) {
    clock.startMove(static_cast<int>(session.record().lastMove()->directions.size()), now);
  }
};

// The board cell under window pixel (x, y).
std::pair<int, int> cellUnder(const Camera& camera, PointerPosition pixel) {
  const Vector3 point = camera.pointOnBoardPlane(pixel.x, pixel.y);
  return {static_cast<int>(std::floor(point.x)), static_cast<int>(std::floor(point.y))};
}

// A click takes hold of the piece under it, selected; anywhere else it
// changes nothing.
void handleClick(const Camera& camera, PlayView& view) {
  const std::optional<PointerPosition> click = keyLatch().takeClick(SDL_BUTTON_LEFT);
  if (!click || view.session.ended()) return;
  const auto [x, y] = cellUnder(camera, *click);
  if (!view.session.selectAt(x, y)) return;
  const Piece& held = view.session.board().pieceAt(view.session.selected());
  view.dragging = true;
  view.holdX = x - held.x();
  view.holdY = y - held.y();
  view.nextDragStep = Clock::now();
}

// The keys that move pieces: Tab and Shift-Tab, the arrows, Backspace, R, I.
void handleMoveKeys(PlayView& view) {
  KeyLatch& keys = keyLatch();
  PlaySession& session = view.session;
  if (keys.takePress(SDLK_TAB)) {
    if (keys.pressModifiers(SDLK_TAB).shift) {
      session.selectPrevious();
    } else {
      session.selectNext();
    }
  }
  const int arrows[] = {SDLK_RIGHT, SDLK_LEFT, SDLK_UP, SDLK_DOWN};  // direction codes 0 to 3
  for (int direction = 0; direction < 4; ++direction) {
    if (keys.takePress(arrows[direction])) session.stepSelected(direction);
  }
  if (keys.takePress(SDLK_BACKSPACE)) session.undo();
  if (keys.takePress(SDLK_r)) session.redo();
  if (keys.takePress(SDLK_i) && session.askHint() == PlaySession::HintRequest::played) {
    view.startHint(Clock::now());
  }
}

std::optional<PlayEnd> handleKeys(const Camera& camera, PlayView& view, MessageOverlay& overlay) {
  KeyLatch& keys = keyLatch();
  // A key that comes while a hint's move runs along its route first shows
  // that move's end.
  if (keys.keyDownSeen()) view.clock.finishMove();
  if (keys.takePress(SDLK_ESCAPE) || keys.takePress(SDLK_e))
    return PlayEnd{PlayChoice::editor, SolveResult()};
  if (view.session.ended()) {
    if (keys.takePress(SDLK_SPACE)) return PlayEnd{PlayChoice::editor, SolveResult()};
    if (keys.takePress(SDLK_a)) view.replayWanted = true;
  }
  handleMoveKeys(view);
  handleClick(camera, view);
  if (!keys.isButtonDown(SDL_BUTTON_LEFT)) view.dragging = false;
  if (keys.takePress(SDLK_s)) saveLayout(view.session.board(), overlay, messageAt);
  return std::nullopt;
}

// The changes that come apart from keys: the engine's answers, a drag's
// next cell, the end. Returns when the screen changes next by time alone.
std::optional<Clock::time_point> advance(const Camera& camera, PlayView& view,
                                         MessageOverlay& overlay, Clock::time_point now) {
  std::optional<Clock::time_point> next;
  const auto changeAt = [&next](Clock::time_point when) {
    if (!next || when < *next) next = when;
  };
  while (const std::optional<DistanceWorker::Answer> answer = view.worker.takeAnswer()) {
    if (view.session.takeAnswer(answer->question, answer->result)) view.startHint(now);
    changeAt(now);  // shown in the next frame
  }
  if (view.dragging && now >= view.nextDragStep) {
    const auto [x, y] = cellUnder(camera, keyLatch().pointer());
    if (view.session.dragSelectedTowards(x - view.holdX, y - view.holdY)) {
      view.nextDragStep = now + frame;
      changeAt(now);
    }
  }
  // A drag whose piece has stopped waits for the pointer to move on.
  if (view.dragging && now < view.nextDragStep) changeAt(view.nextDragStep);
  if (view.session.ended() && !view.endTaken && !view.clock.moving(now)) {
    view.endTaken = true;
    view.scores.finish(view.session.record().moveCount(), view.session.record().hintCount(),
                       overlay);
    changeAt(now);
  }
  if (const std::optional<Clock::time_point> moving = view.clock.nextChange(now, frame)) {
    changeAt(*moving);
  }
  return next;
}

// The line of the distance to the exit, above the board; at the end, the
// line that says so.
std::string headline(const PlayView& view, bool showEnd) {
  const PlaySession& session = view.session;
  if (showEnd) {
    std::string line = "Bravo ! " + countOf(session.record().moveCount());
    if (const std::optional<int> shortest = session.shortestFromStart()) {
      line += " (au mieux " + std::to_string(*shortest) + ")";
    }
    return line;
  }
  switch (session.distance()) {
    case PlaySession::Distance::computing:
      return "Calcul...";
    case PlaySession::Distance::known:
      return "Sortie en " + countOf(session.movesToExit());
    case PlaySession::Distance::impossible:
      return "Sortie impossible";
    case PlaySession::Distance::noMemory:
      break;
  }
  return "Distance : m\xe9moire insuffisante";
}

// The best score kept, or at the end a new one.
std::string scoreLine(const PlayView& view, bool showEnd) {
  if (showEnd && view.scores.record()) return "Record !";
  if (const std::optional<int> best = view.scores.best()) return "Meilleur : " + countOf(*best);
  return std::string();
}

void drawTexts(const PlayView& view, bool showEnd, MessageOverlay& overlay) {
  beginText();
  const std::string score = scoreLine(view, showEnd);
  const BoardSize size = view.session.board().size;
  drawLabel(score.c_str(), aboveBoard(size, {-5, 7, 0}), {0.7 * score.size(), 0, 0}, {0, 0.8, 0});
  const std::string line = headline(view, showEnd);
  drawLabel(line.c_str(), aboveBoard(size, {-5, 6, 0}), {0.8 * line.size(), 0, 0}, {0, 1, 0});
  std::string counters = "Coups : " + std::to_string(view.session.record().moveCount());
  if (view.session.record().hintCount() > 0) {
    counters += "   Indices : " + std::to_string(view.session.record().hintCount());
  }
  drawLabel(counters.c_str(), {-5, -2, 0}, {0.6 * counters.size(), 0, 0}, {0, 0.6, 0});
  overlay.drawMessages();
  endText();
}

void draw(const PlayView& view, MessageOverlay& overlay) {
  const Clock::time_point now = Clock::now();
  const BoardState& board = view.session.board();
  const int selected = view.session.selected();
  const bool moving = view.clock.moving(now);
  if (moving) {
    const PlayRecord::PieceOnItsWay piece =
        view.session.record().lastMoveAt(view.clock.progress(now));
    drawBoardSelected(board, selected, piece.pieceIndex, {piece.x, piece.y, 0});
  } else {
    drawBoardSelected(board, selected, -1, {});
  }
  drawTexts(view, view.session.ended() && !moving, overlay);
}

}  // namespace

PlayEnd runPlayScreen(const Camera& fixed, const BoardState& start, MoveMetric metric,
                      MessageOverlay& overlay) {
  // A tall board is seen whole; clicks are read through the same camera.
  const Camera camera = boardCamera(fixed, start.size);
  PlayView view(start, metric);
  // A at the end replays once the answer from the start is there.
  const auto replay = [&]() -> std::optional<PlayEnd> {
    if (!view.replayWanted || view.session.startSolution() == nullptr) return std::nullopt;
    return PlayEnd{PlayChoice::replay, *view.session.startSolution()};
  };
  const auto keys = [&]() -> std::optional<PlayEnd> {
    if (std::optional<PlayEnd> end = handleKeys(camera, view, overlay)) return end;
    return replay();
  };
  const auto timed = [&](Clock::time_point now) { return advance(camera, view, overlay, now); };
  const auto frameOf = [&] { draw(view, overlay); };
  // Closed: the end of the program; leaving stops the engine's search.
  return runTimedFrames<PlayEnd>(camera, replay, keys, timed, frameOf).value_or(PlayEnd());
}
