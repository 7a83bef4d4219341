// How the moves of a solution are counted.
//
// Whatever the metric, a solution is logged as one-cell steps; the metric
// decides which runs of those steps count as one move, and so which
// solutions are the shortest. It lives beside the model because puzzle
// files name metrics too, for the counts they carry.
#pragma once

#include <optional>
#include <string_view>

enum class MoveMetric {
  step,  // one piece by one cell
  line,  // one piece by any number of cells in one direction
  path,  // one piece to any cell it reaches by steps while the others stay
};

// The metric's name on the command lines and in files: step, line or path.
inline const char* metricName(MoveMetric metric) {
  switch (metric) {
    case MoveMetric::line:
      return "line";
    case MoveMetric::path:
      return "path";
    default:
      return "step";
  }
}

// The metric of that name; nothing for any other name.
inline std::optional<MoveMetric> metricNamed(std::string_view name) {
  for (const MoveMetric metric : {MoveMetric::step, MoveMetric::line, MoveMetric::path}) {
    if (name == metricName(metric)) return metric;
  }
  return std::nullopt;
}
