#include "MetricChoice.h"

#include <iterator>

namespace {

const struct {
  MoveMetric metric;
  const char* line;
} metrics[] = {
    {MoveMetric::step, "M : un coup = une case"},
    {MoveMetric::line, "M : un coup = une ligne droite"},
    {MoveMetric::path, "M : un coup = un chemin libre"},
};

}  // namespace

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
