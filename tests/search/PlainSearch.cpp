#include "PlainSearch.h"

#include <deque>
#include <memory>
#include <set>
#include <vector>

#include "model/MoveByte.h"
#include "search/StateOrder.h"

namespace {

struct StatePointerLess {
  bool operator()(const BoardState* a, const BoardState* b) const { return stateLess(*a, *b); }
};

}  // namespace

PlainSearchResult plainSearch(const BoardState& root, size_t stateLimit) {
  PlainSearchResult result;
  std::vector<std::unique_ptr<BoardState>> owned;
  std::set<const BoardState*, StatePointerLess> visited;
  std::deque<const BoardState*> frontier;
  frontier.push_back(&root);
  visited.insert(&root);
  while (!frontier.empty()) {
    const BoardState* state = frontier.front();
    frontier.pop_front();
    if (state->pieceCount() > 0 && state->isGoal()) {
      result.finished = true;
      result.solved = true;
      result.goal = *state;
      result.states = visited.size();
      for (const BoardState* seen : visited) {
        result.statesWithinGoalDepth += seen->moves.size() <= state->moves.size();
      }
      return result;
    }
    for (int i = 0; i < state->pieceCount(); ++i) {
      for (int d = 0; d < moveDirectionCount; ++d) {
        auto child = std::make_unique<BoardState>(*state);
        Piece& moved = child->pieceAt(i);
        moved.setX(static_cast<int8_t>(moved.x() + moveDx[d]));
        moved.setY(static_cast<int8_t>(moved.y() + moveDy[d]));
        if (!child->canPlace(child->pieceAt(i), i)) continue;
        if (visited.count(child.get()) != 0) continue;
        child->appendMove(i, moveDx[d], moveDy[d]);
        frontier.push_back(child.get());
        visited.insert(child.get());
        owned.push_back(std::move(child));
      }
    }
    ++result.expanded;
    if (visited.size() > stateLimit) {
      result.states = visited.size();
      return result;
    }
  }
  result.finished = true;
  result.states = visited.size();
  result.statesWithinGoalDepth = visited.size();
  return result;
}
