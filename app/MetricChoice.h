// The metric the window counts moves in: its name on the command line, the
// editor's M key that cycles it, and the line that names it.
#pragma once

#include <optional>
#include <string>

#include "search/Solver.h"

// The metric of the command line's name, as cavel-solve spells it: step,
// line or path; nothing for any other name.
std::optional<MoveMetric> metricNamed(const std::string& name);

// The one after `metric`, the editor's M: step, line, path, then step again.
MoveMetric nextMetric(MoveMetric metric);

// The editor's line that names `metric` and its key, Latin-1.
const char* metricLine(MoveMetric metric);
