#include "MetricChoice.h"

#include <iterator>

namespace {

const struct {
  MoveMetric metric;
  const char* name;
  const char* line;
} metrics[] = {
    {MoveMetric::step, "step", "M : un coup = une case"},
    {MoveMetric::line, "line", "M : un coup = une ligne droite"},
    {MoveMetric::path, "path", "M : un coup = un chemin libre"},
};

}  // namespace

std::optional<MoveMetric> metricNamed(const std::string& name) {
  for (const auto& known : metrics) {
    if (name == known.name) return known.metric;
  }
  return std::nullopt;
}

MoveMetric nextMetric(MoveMetric metric) {
  for (size_t i = 0; i < std::size(metrics); ++i) {
    if (metrics[i].metric == metric) return metrics[(i + 1) % std::size(metrics)].metric;
  }
  return MoveMetric::step;
}

const char* metricLine(MoveMetric metric) {
  for (const auto& known : metrics) {
    if (known.metric == metric) return known.line;
  }
  return metrics[0].line;
}
