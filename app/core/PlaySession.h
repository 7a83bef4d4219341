// The play screen's logic, apart from keys and drawing: the person moves the
// pieces of a layout (PlayRecord counts the moves), one piece selected at a
// time, while the engine answers how many moves the position on the board
// still needs and what its first move is, for a hint.
//
// The answers come from questions the session hands to `ask` (a
// DistanceWorker on the window) and takes back with takeAnswer. For the
// position on the board the distance is
//   known       an answer for it came (or was kept from an earlier visit,
//               or follows from a hint: one move fewer than before it);
//   impossible  the engine found no way out;
//   noMemory    the engine could not finish (its memory ran out);
//   computing   a question is out, and nothing else is known.
// Every move, undo and redo asks about the new position unless an answer
// for it is kept; only the newest question's answer counts. A hint plays
// the first move of the engine's answer; asked while the question is out,
// it waits for the answer and plays then, unless a piece moves first.
// Hints asked in a row while the engine works play one per answer, each
// from the position the one before left.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "PieceRoutes.h"
#include "PlayRecord.h"
#include "search/Solver.h"

class PlaySession {
 public:
  // Hands a position to the engine; returns the question's number, higher
  // than any before.
  using Ask = std::function<uint64_t(const BoardState&)>;

  enum class Distance { computing, known, impossible, noMemory };
  enum class HintRequest {
    played,   // the hint's move was played at once
    waiting,  // it plays when the answer comes
    refused,  // no way out is known, or the square is out
  };

  // Play from `start` in `metric`, piece 0 selected; asks about `start` at
  // once.
  PlaySession(BoardState start, MoveMetric metric, Ask ask);

  const PlayRecord& record() const { return record_; }
  const BoardState& board() const { return record_.board(); }

  int selected() const { return selected_; }
  // Tab and Shift-Tab: the next or previous piece in the layout's order,
  // wrapping round.
  void selectNext();
  void selectPrevious();
  // A click on cell (x, y): selects the piece covering it; false, with the
  // selection unchanged, where no piece does.
  bool selectAt(int x, int y);

  // An arrow: the selected piece one cell in `direction` (0 right, 1 left,
  // 2 up, 3 down) when that cell is free. False, nothing changed, when it
  // is not or the square is out.
  bool stepSelected(int direction);
  // One cell of a drag: the selected piece one step along a shortest free
  // route towards origin (targetX, targetY) (PieceRoutes). False when it
  // does not move.
  bool dragSelectedTowards(int targetX, int targetY);
  // Backspace and R: the last move back, or the last taken back again, its
  // piece selected. The move, or nullptr when there is none (or the square
  // is out).
  const PlayRecord::Move* undo();
  const PlayRecord::Move* redo();
  // I: plays the first move of a shortest way out as a hint, or waits for
  // the answer that gives it.
  HintRequest askHint();
  // How many hints wait for their answers.
  int hintsWaiting() const { return hintsWaiting_; }

  // Takes the engine's answer to question `question`; an answer to any
  // question but the newest is dropped. True when a waiting hint was played
  // from it.
  bool takeAnswer(uint64_t question, const SolveResult& result);

  Distance distance() const { return distance_; }
  // The moves the position still needs; meaningful when the distance is
  // known.
  int movesToExit() const { return movesToExit_; }

  // Whether the square stands in the exit: the play has ended, and nothing
  // moves any more.
  bool ended() const { return board().isGoal(); }
  // The fewest moves from the start, once known; asked again at the end if
  // its first question was dropped for a newer one.
  std::optional<int> shortestFromStart() const;
  // The engine's answer from the start, once it came solved: the solution
  // that the end's A replays.
  const SolveResult* startSolution() const { return startSolution_ ? &*startSolution_ : nullptr; }

 private:
  // What an answer for a position says, kept for when the position comes
  // back.
  struct Known {
    Distance distance = Distance::computing;
    int moves = 0;
    std::optional<PlayRecord::Move> firstMove;
  };

  static Known knownFrom(const SolveResult& result);
  static std::string keyOf(const BoardState& board);
  // Sets what is known of the new position on the board, asking about it
  // where nothing is; `movesAtLeast` is its distance when already known.
  void positionChanged(std::optional<int> knownMoves = std::nullopt);
  void show(const Known& known);
  bool playHint();

  PlayRecord record_;
  PieceRoutes routes_;
  Ask ask_;
  int selected_ = 0;

  Distance distance_ = Distance::computing;
  int movesToExit_ = 0;
  std::optional<PlayRecord::Move> hintMove_;
  std::optional<uint64_t> question_;  // out for the position on the board
  int hintsWaiting_ = 0;

  std::map<std::string, Known> answers_;
  std::optional<uint64_t> startQuestion_;  // out for the start, at the end
  std::optional<SolveResult> startSolution_;
  std::optional<int> shortestFromStart_;
};
