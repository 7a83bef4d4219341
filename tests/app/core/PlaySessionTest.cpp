#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/core/PlaySession.h"
#include "tests/app/core/PlayBoards.h"

namespace {

// The engine as the session sees it, answering on the test's own thread:
// questions wait until the test answers them.
class QuestionDesk {
 public:
  explicit QuestionDesk(MoveMetric metric) : metric_(metric) {}

  PlaySession::Ask ask() {
    return [this](const BoardState& position) {
      questions_.push_back({++asked_, position});
      return asked_;
    };
  }
  int waiting() const { return static_cast<int>(questions_.size()); }
  uint64_t newest() const { return asked_; }

  SolveResult solve(const BoardState& position) const {
    SolveOptions options;
    options.metric = metric_;
    return solveBoard(position, options);
  }
  // Answers every waiting question, oldest first, as a worker that was too
  // slow to be stopped would; returns whether a hint was played.
  bool answerAll(PlaySession& session) {
    bool played = false;
    // A hint played from an answer asks the next question at once.
    std::vector<std::pair<uint64_t, BoardState>> answering;
    answering.swap(questions_);
    for (const auto& [number, position] : answering) {
      played = session.takeAnswer(number, solve(position)) || played;
    }
    return played;
  }

 private:
  MoveMetric metric_;
  uint64_t asked_ = 0;
  std::vector<std::pair<uint64_t, BoardState>> questions_;
};

SolveResult resultOf(SolveOutcome outcome) {
  SolveResult result;
  result.outcome = outcome;
  return result;
}

}  // namespace

TEST(PlaySessionTest, HintsAloneTakeTheClassicOutInItsPublishedCounts) {
  for (const auto& [metric, count] :
       {std::pair{MoveMetric::step, 116}, std::pair{MoveMetric::line, 90},
        std::pair{MoveMetric::path, 81}}) {
    SCOPED_TRACE(metricName(metric));
    QuestionDesk desk(metric);
    PlaySession session(classicLayout(), metric, desk.ask());
    EXPECT_EQ(session.distance(), PlaySession::Distance::computing);
    while (!session.ended()) {
      // One to three presses of I in a row: each plays one hint.
      const int before = session.record().moveCount();
      const int presses = std::min(1 + before % 3, count - before);
      for (int press = 0; press < presses; ++press) {
        ASSERT_NE(session.askHint(), PlaySession::HintRequest::refused);
      }
      while (session.hintsWaiting() > 0) ASSERT_TRUE(desk.answerAll(session));
      // One move fewer each time, exactly what the engine says from there.
      const int moves = session.record().moveCount();
      ASSERT_EQ(moves, before + presses);
      ASSERT_EQ(session.distance(), PlaySession::Distance::known);
      EXPECT_EQ(session.movesToExit(), count - moves);
      if (moves % 10 == 0) {
        EXPECT_EQ(desk.solve(session.board()).stepsPerMove.size(), size_t(count - moves));
      }
    }
    EXPECT_EQ(session.record().moveCount(), count);
    EXPECT_EQ(session.record().hintCount(), count);
    EXPECT_EQ(session.shortestFromStart(), count);
    ASSERT_NE(session.startSolution(), nullptr);
    EXPECT_EQ(session.startSolution()->stepsPerMove.size(), size_t(count));
    EXPECT_EQ(session.askHint(), PlaySession::HintRequest::refused);  // nothing after the end
    EXPECT_EQ(session.undo(), nullptr);
  }
}

// The classic, rows from the top:  1 1 3 3 8
//                                  0 0 5 6 .
//                                  0 0 5 7 .
//                                  2 2 4 4 9
TEST(PlaySessionTest, TheDistanceFollowsTheNewestPositionAndKeepsItsAnswers) {
  QuestionDesk desk(MoveMetric::step);
  PlaySession session(classicLayout(), MoveMetric::step, desk.ask());
  ASSERT_EQ(desk.waiting(), 1);  // the start, asked at once
  desk.answerAll(session);
  ASSERT_EQ(session.distance(), PlaySession::Distance::known);
  EXPECT_EQ(session.movesToExit(), 116);

  // Piece 6 steps right: a new question; and back before its answer: the
  // start's answer was kept, nothing more is asked.
  ASSERT_TRUE(session.selectAt(3, 2));
  ASSERT_EQ(session.selected(), 6);
  EXPECT_FALSE(session.stepSelected(1));  // piece 5 is in the way
  ASSERT_TRUE(session.stepSelected(0));
  EXPECT_EQ(session.distance(), PlaySession::Distance::computing);
  const uint64_t stale = desk.newest();
  ASSERT_TRUE(session.stepSelected(1));
  EXPECT_EQ(session.distance(), PlaySession::Distance::known);
  EXPECT_EQ(session.movesToExit(), 116);
  EXPECT_EQ(desk.newest(), stale);
  // The late answer for the position left behind is dropped.
  EXPECT_FALSE(session.takeAnswer(stale, desk.solve(classicLayout())));
  EXPECT_EQ(session.record().moveCount(), 2);
  EXPECT_EQ(session.movesToExit(), 116);

  // Undo: asked about, answered; then undo and redo come back to answers
  // kept, the redone piece selected.
  ASSERT_NE(session.undo(), nullptr);
  EXPECT_EQ(session.distance(), PlaySession::Distance::computing);
  desk.answerAll(session);
  ASSERT_EQ(session.distance(), PlaySession::Distance::known);
  const int afterRight = session.movesToExit();
  EXPECT_EQ(desk.solve(session.board()).stepsPerMove.size(), size_t(afterRight));
  const uint64_t asked = desk.newest();
  ASSERT_NE(session.undo(), nullptr);
  EXPECT_EQ(session.movesToExit(), 116);
  session.selectNext();
  ASSERT_NE(session.redo(), nullptr);
  EXPECT_EQ(session.selected(), 6);
  EXPECT_EQ(session.movesToExit(), afterRight);
  EXPECT_EQ(desk.newest(), asked);

  // A hint asked while the engine works plays when the answer comes, one
  // move fewer to go at once.
  ASSERT_TRUE(session.selectAt(3, 1));
  ASSERT_TRUE(session.stepSelected(0));
  EXPECT_EQ(session.askHint(), PlaySession::HintRequest::waiting);
  EXPECT_EQ(session.hintsWaiting(), 1);
  const int before = static_cast<int>(desk.solve(session.board()).stepsPerMove.size());
  EXPECT_TRUE(desk.answerAll(session));
  EXPECT_EQ(session.record().moveCount(), 3);
  EXPECT_EQ(session.record().hintCount(), 1);
  EXPECT_TRUE(session.record().lastMove()->hint);
  EXPECT_EQ(session.selected(), session.record().lastMove()->pieceIndex);
  ASSERT_EQ(session.distance(), PlaySession::Distance::known);
  EXPECT_EQ(session.movesToExit(), before - 1);
  EXPECT_EQ(desk.solve(session.board()).stepsPerMove.size(), size_t(before - 1));

  // A piece moved while a hint waits drops the hint.
  EXPECT_EQ(session.askHint(), PlaySession::HintRequest::waiting);
  const int moved = session.record().moveCount();
  EXPECT_EQ(session.askHint(), PlaySession::HintRequest::waiting);
  for (int direction = 0; direction < 4 && session.hintsWaiting() > 0; ++direction) {
    session.stepSelected(direction);
  }
  ASSERT_EQ(session.hintsWaiting(), 0);
  EXPECT_FALSE(desk.answerAll(session));
  EXPECT_EQ(session.record().moveCount(), moved + 1);
  EXPECT_EQ(session.record().hintCount(), 1);
}

TEST(PlaySessionTest, WithoutAWayOutOrMemoryPlayGoesOnWithoutHints) {
  QuestionDesk desk(MoveMetric::path);
  // Two rows: no room for the square in the exit.
  PlaySession cornered(boardOf(6, 2, {pieceAt(0, 0, 0), pieceAt(1, 3, 0)}), MoveMetric::path,
                       desk.ask());
  desk.answerAll(cornered);
  EXPECT_EQ(cornered.distance(), PlaySession::Distance::impossible);
  EXPECT_EQ(cornered.askHint(), PlaySession::HintRequest::refused);
  EXPECT_EQ(cornered.hintsWaiting(), 0);

  PlaySession starved(classicLayout(), MoveMetric::path, desk.ask());
  EXPECT_TRUE(starved.takeAnswer(desk.newest(), resultOf(SolveOutcome::outOfMemory)) == false);
  EXPECT_EQ(starved.distance(), PlaySession::Distance::noMemory);
  EXPECT_EQ(starved.askHint(), PlaySession::HintRequest::refused);
  starved.selectPrevious();  // wraps round to the last piece, the cell at (4, 0)
  EXPECT_EQ(starved.selected(), 9);
  EXPECT_TRUE(starved.stepSelected(2));
  EXPECT_EQ(starved.distance(), PlaySession::Distance::computing);
  starved.selectNext();
  EXPECT_EQ(starved.selected(), 0);
  EXPECT_FALSE(starved.selectAt(4, 0));  // the cell it left
  EXPECT_EQ(starved.selected(), 0);
}

TEST(PlaySessionTest, TheEndAsksForTheShortestFromTheStartWhenItsAnswerWasDropped) {
  QuestionDesk desk(MoveMetric::line);
  PlaySession session(boardOf(4, 3, {pieceAt(0, 0, 0)}), MoveMetric::line, desk.ask());
  // Right, right, up by hand before any answer: three moves in line.
  for (const int direction : {0, 0, 2}) ASSERT_TRUE(session.stepSelected(direction));
  ASSERT_TRUE(session.ended());
  EXPECT_EQ(session.record().moveCount(), 2);
  EXPECT_EQ(session.distance(), PlaySession::Distance::known);
  EXPECT_EQ(session.movesToExit(), 0);
  EXPECT_FALSE(session.shortestFromStart());
  EXPECT_FALSE(session.stepSelected(1));  // nothing moves any more
  desk.answerAll(session);
  EXPECT_EQ(session.shortestFromStart(), 2);
  ASSERT_NE(session.startSolution(), nullptr);
  EXPECT_EQ(session.startSolution()->stepsPerMove.size(), 2u);

  // A layout that starts solved has ended at once, in no moves.
  PlaySession solved(boardOf(4, 3, {pieceAt(0, 2, 1)}), MoveMetric::line, desk.ask());
  EXPECT_TRUE(solved.ended());
  EXPECT_EQ(solved.shortestFromStart(), 0);
}
