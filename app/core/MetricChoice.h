// The metric the window counts moves in: the editor's M key that cycles it,
// and the line that names it (its name on the command line is the search's,
// metricNamed).
#pragma once

#include "search/Solver.h"

// The one after `metric`, the editor's M: step, line, path, then step again.
MoveMetric nextMetric(MoveMetric metric);

// The editor's line that names `metric` and its key, Latin-1.
const char* metricLine(MoveMetric metric);
