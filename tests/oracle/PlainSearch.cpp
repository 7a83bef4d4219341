#include "PlainSearch.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "StateOrder.h"
#include "model/MoveByte.h"

namespace {

// A state with the number of steps of each counted move that reached it.
struct Node {
  BoardState state;
  std::vector<uint16_t> stepsPerMove;
};

struct NodePointerLess {
  bool operator()(const Node* a, const Node* b) const { return stateLess(a->state, b->state); }
};

// Where one counted move takes a piece, and its one-cell steps.
struct Destination {
  Piece piece;
  std::vector<int> directions;
};

Piece stepped(Piece piece, int direction) {
  piece.setX(static_cast<int8_t>(piece.x() + moveDx[direction]));
  piece.setY(static_cast<int8_t>(piece.y() + moveDy[direction]));
  return piece;
}

// Piece i by one cell in each direction.
std::vector<Destination> stepDestinations(const BoardState& state, int i) {
  std::vector<Destination> found;
  for (int d = 0; d < moveDirectionCount; ++d) {
    const Piece moved = stepped(state.pieces[i], d);
    if (state.canPlace(moved, i)) found.push_back({moved, {d}});
  }
  return found;
}

// Piece i slid in each direction as far as it fits, nearer cells first.
std::vector<Destination> lineDestinations(const BoardState& state, int i) {
  std::vector<Destination> found;
  for (int d = 0; d < moveDirectionCount; ++d) {
    Destination slide{state.pieces[i], {}};
    while (state.canPlace(stepped(slide.piece, d), i)) {
      slide.piece = stepped(slide.piece, d);
      slide.directions.push_back(d);
      found.push_back(slide);
    }
  }
  return found;
}

// Every other place piece i reaches by one-cell steps, in the order a
// breadth-first walk of those steps first reaches them.
std::vector<Destination> pathDestinations(const BoardState& state, int i) {
  std::vector<Destination> found;
  std::set<std::pair<int, int>> seen{{state.pieces[i].x(), state.pieces[i].y()}};
  std::deque<Destination> walk{{state.pieces[i], {}}};
  while (!walk.empty()) {
    const Destination at = walk.front();
    walk.pop_front();
    for (int d = 0; d < moveDirectionCount; ++d) {
      Destination next{stepped(at.piece, d), at.directions};
      next.directions.push_back(d);
      if (!state.canPlace(next.piece, i)) continue;
      if (!seen.insert({next.piece.x(), next.piece.y()}).second) continue;
      found.push_back(next);
      walk.push_back(next);
    }
  }
  return found;
}

std::vector<Destination> destinations(const BoardState& state, int i, MoveMetric metric) {
  switch (metric) {
    case MoveMetric::step:
      return stepDestinations(state, i);
    case MoveMetric::line:
      return lineDestinations(state, i);
    case MoveMetric::path:
      break;
  }
  return pathDestinations(state, i);
}

// Whether one move of piece 0 takes `state` to a goal.
bool nextToGoal(const BoardState& state, MoveMetric metric) {
  for (const Destination& destination : destinations(state, 0, metric)) {
    BoardState moved = state;
    moved.pieceAt(0) = destination.piece;
    if (moved.isGoal()) return true;
  }
  return false;
}

// Whether piece 0 stands one or two steps from the goal's place.
bool nearGoal(const BoardState& state) {
  const int steps =
      std::abs(state.pieces[0].x() - (state.size.width - 2)) + std::abs(state.pieces[0].y() - 1);
  return steps == 1 || steps == 2;
}

}  // namespace

PlainSearchResult plainSearch(const BoardState& root, size_t stateLimit, MoveMetric metric) {
  PlainSearchResult result;
  std::vector<std::unique_ptr<Node>> owned;
  std::set<const Node*, NodePointerLess> visited;
  std::deque<const Node*> frontier;
  owned.push_back(std::make_unique<Node>(Node{root, {}}));
  frontier.push_back(owned.back().get());
  visited.insert(owned.back().get());
  while (!frontier.empty()) {
    const Node* node = frontier.front();
    frontier.pop_front();
    const BoardState& state = node->state;
    if (state.pieceCount() > 0 && state.isGoal()) {
      result.finished = true;
      result.solved = true;
      result.goal = state;
      result.stepsPerMove = node->stepsPerMove;
      result.states = visited.size();
      const size_t depth = node->stepsPerMove.size();
      for (const Node* seen : visited) {
        const size_t at = seen->stepsPerMove.size();
        const bool goalNext = at + 1 == depth && nextToGoal(seen->state, metric);
        const bool goal = at == depth && seen->state.isGoal();
        result.statesBeforeGoals += at + 1 < depth || goalNext || goal;
        result.statesLookingAhead +=
            depth < 3
                ? at + 1 < depth || goalNext || goal
                : at + 2 < depth || (at + 2 == depth && nearGoal(seen->state)) || goalNext || goal;
      }
      return result;
    }
    for (int i = 0; i < state.pieceCount(); ++i) {
      for (const Destination& destination : destinations(state, i, metric)) {
        auto child = std::make_unique<Node>(*node);
        child->state.pieceAt(i) = destination.piece;
        if (visited.count(child.get()) != 0) continue;
        for (const int d : destination.directions) child->state.appendMove(i, moveDx[d], moveDy[d]);
        child->stepsPerMove.push_back(static_cast<uint16_t>(destination.directions.size()));
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
  result.statesBeforeGoals = visited.size();
  result.statesLookingAhead = visited.size();
  return result;
}

namespace {

// A position up to exchanges of pieces of one shape other than piece 0: its
// pieces as (shape, x, y), piece 0 first, the rest sorted.
std::vector<int> canonical(const BoardState& state) {
  std::vector<std::vector<int>> others;
  for (int i = 1; i < state.pieceCount(); ++i) {
    const Piece& piece = state.pieces[i];
    others.push_back({piece.shapeIndex(), piece.x(), piece.y()});
  }
  std::sort(others.begin(), others.end());
  std::vector<int> key{state.pieces[0].x(), state.pieces[0].y()};
  for (const auto& piece : others) key.insert(key.end(), piece.begin(), piece.end());
  return key;
}

std::vector<BoardState> neighbours(const BoardState& state, MoveMetric metric) {
  std::vector<BoardState> found;
  for (int i = 0; i < state.pieceCount(); ++i) {
    for (const Destination& destination : destinations(state, i, metric)) {
      found.push_back(state);
      found.back().pieceAt(i) = destination.piece;
    }
  }
  return found;
}

}  // namespace

PlainAnalysis plainAnalysis(const BoardState& root, size_t stateLimit, MoveMetric metric) {
  PlainAnalysis result;
  std::map<std::vector<int>, int> fromRoot{{canonical(root), 0}};
  std::vector<BoardState> set{root};
  for (size_t next = 0; next < set.size(); ++next) {
    const int distance = fromRoot[canonical(set[next])];
    if (static_cast<int>(result.layers.size()) <= distance) result.layers.push_back(0);
    ++result.layers[distance];
    result.goals += set[next].isGoal();
    for (const BoardState& child : neighbours(set[next], metric)) {
      if (fromRoot.emplace(canonical(child), distance + 1).second) set.push_back(child);
    }
    if (set.size() > stateLimit) return result;
  }
  result.finished = true;
  result.positions = set.size();
  auto toGoal = std::make_shared<std::map<std::vector<int>, int>>();
  std::deque<BoardState> walk;
  for (const BoardState& state : set) {
    if (state.isGoal() && toGoal->emplace(canonical(state), 0).second) walk.push_back(state);
  }
  while (!walk.empty()) {
    const BoardState state = walk.front();
    walk.pop_front();
    const int distance = toGoal->at(canonical(state));
    if (distance > result.hardest) result.hardestPositions = 0;
    result.hardest = std::max(result.hardest, distance);
    result.hardestPositions += distance == result.hardest;
    for (const BoardState& child : neighbours(state, metric)) {
      if (toGoal->emplace(canonical(child), distance + 1).second) walk.push_back(child);
    }
  }
  result.goalDistance = [toGoal](const BoardState& state) {
    const auto found = toGoal->find(canonical(state));
    return found == toGoal->end() ? -1 : found->second;
  };
  return result;
}
