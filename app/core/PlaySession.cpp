#include "PlaySession.h"

#include <utility>

#include "model/MoveByte.h"

namespace {

// Answers kept for positions visited; a play long enough to visit more
// starts its keeping anew rather than grow without end.
constexpr size_t keptAnswers = 20000;

}  // namespace

PlaySession::PlaySession(BoardState start, MoveMetric metric, Ask ask)
    : record_(std::move(start), metric), routes_(record_.start().size), ask_(std::move(ask)) {
  if (ended()) shortestFromStart_ = 0;
  positionChanged();
}

void PlaySession::selectNext() {
  if (board().pieceCount() > 0) selected_ = (selected_ + 1) % board().pieceCount();
}

void PlaySession::selectPrevious() {
  const int count = board().pieceCount();
  if (count > 0) selected_ = (selected_ + count - 1) % count;
}

bool PlaySession::selectAt(int x, int y) {
  for (int i = 0; i < board().pieceCount(); ++i) {
    const Piece& piece = board().pieces[i];
    for (int k = 0; k < piece.cellCount(); ++k) {
      if (piece.x() + piece.cells()[2 * k] == x && piece.y() + piece.cells()[2 * k + 1] == y) {
        selected_ = i;
        return true;
      }
    }
  }
  return false;
}

bool PlaySession::stepSelected(int direction) {
  if (ended() || !record_.stepPiece(selected_, direction)) return false;
  hintsWaiting_ = 0;
  positionChanged();
  return true;
}

bool PlaySession::dragSelectedTowards(int targetX, int targetY) {
  if (ended()) return false;
  const std::optional<int> direction =
      routes_.firstStepTowards(board(), selected_, targetX, targetY);
  return direction && stepSelected(*direction);
}

const PlayRecord::Move* PlaySession::undo() {
  if (ended()) return nullptr;
  const PlayRecord::Move* move = record_.undo();
  if (move == nullptr) return nullptr;
  selected_ = move->pieceIndex;
  hintsWaiting_ = 0;
  positionChanged();
  return move;
}

const PlayRecord::Move* PlaySession::redo() {
  if (ended()) return nullptr;
  const PlayRecord::Move* move = record_.redo();
  if (move == nullptr) return nullptr;
  selected_ = move->pieceIndex;
  hintsWaiting_ = 0;
  positionChanged();
  return move;
}

PlaySession::HintRequest PlaySession::askHint() {
  if (ended()) return HintRequest::refused;
  if (hintMove_) return playHint() ? HintRequest::played : HintRequest::refused;
  if (distance_ == Distance::impossible || distance_ == Distance::noMemory) {
    return HintRequest::refused;
  }
  ++hintsWaiting_;
  return HintRequest::waiting;
}

bool PlaySession::playHint() {
  const int before = movesToExit_;
  if (!record_.playHint(*hintMove_)) return false;
  selected_ = hintMove_->pieceIndex;
  // The first move of a shortest way out leaves one move fewer to go.
  positionChanged(before - 1);
  return true;
}

bool PlaySession::takeAnswer(uint64_t question, const SolveResult& result) {
  if (question == startQuestion_) {
    startQuestion_.reset();
    const Known known = knownFrom(result);
    if (known.distance == Distance::known) shortestFromStart_ = known.moves;
    if (result.outcome == SolveOutcome::solved) startSolution_ = result;
    return false;
  }
  if (question != question_) return false;
  question_.reset();
  const Known known = knownFrom(result);
  if (answers_.size() >= keptAnswers) answers_.clear();
  answers_[keyOf(board())] = known;
  show(known);
  if (keyOf(board()) == keyOf(record_.start())) {
    if (known.distance == Distance::known) shortestFromStart_ = known.moves;
    if (result.outcome == SolveOutcome::solved) startSolution_ = result;
  }
  if (hintsWaiting_ == 0) return false;
  --hintsWaiting_;
  if (hintMove_ && playHint()) return true;
  hintsWaiting_ = 0;  // no way out: none of them can play
  return false;
}

std::optional<int> PlaySession::shortestFromStart() const { return shortestFromStart_; }

PlaySession::Known PlaySession::knownFrom(const SolveResult& result) {
  Known known;
  switch (result.outcome) {
    case SolveOutcome::solved:
      break;
    case SolveOutcome::noSolution:
      known.distance = Distance::impossible;
      return known;
    default:
      // Stopped answers are never handed over; the rest is the engine
      // running short of what it needs.
      known.distance = Distance::noMemory;
      return known;
  }
  known.distance = Distance::known;
  known.moves = static_cast<int>(result.stepsPerMove.size());
  const std::vector<uint8_t> log = result.solution.moveLog();
  if (known.moves > 0 && result.stepsPerMove[0] <= log.size()) {
    PlayRecord::Move first;
    first.pieceIndex = decodeMove(log[0]).pieceIndex;
    // A move byte holds its direction code in bits 6 and 7.
    for (size_t step = 0; step < result.stepsPerMove[0]; ++step) {
      first.directions.push_back(static_cast<uint8_t>(log[step] >> 6));
    }
    known.firstMove = std::move(first);
  }
  return known;
}

std::string PlaySession::keyOf(const BoardState& board) {
  std::string key;
  for (const Piece& piece : board.pieces) {
    key.push_back(static_cast<char>(piece.x()));
    key.push_back(static_cast<char>(piece.y()));
  }
  return key;
}

void PlaySession::show(const Known& known) {
  distance_ = known.distance;
  movesToExit_ = known.moves;
  hintMove_ = known.firstMove;
}

void PlaySession::positionChanged(std::optional<int> knownMoves) {
  question_.reset();
  if (ended()) {
    show(Known{Distance::known, 0, std::nullopt});
    hintsWaiting_ = 0;
    // The end says the fewest moves from the start: asked again if its
    // first answer never came.
    if (!shortestFromStart_ && !startQuestion_) startQuestion_ = ask_(record_.start());
    return;
  }
  const auto kept = answers_.find(keyOf(board()));
  if (kept != answers_.end()) {
    show(kept->second);
    return;
  }
  show(knownMoves ? Known{Distance::known, *knownMoves, std::nullopt} : Known());
  question_ = ask_(board());
}
