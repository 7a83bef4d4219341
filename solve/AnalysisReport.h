// How cavel-solve --analyze prints what the analysis of a layout's set of
// positions found: as text lines, as JSON members, and the hardest start as
// a puzzle file.
#pragma once

#include <string>

#include "JsonObject.h"
#include "search/Solver.h"

// "positions N", "goals N", "farthest D", "hardest D" (or "hardest none"),
// "hardest-positions N", then "layer D N" for each distance from the
// layout; a line each.
std::string formatAnalysis(const AnalysisResult& analysis);

// The same figures as members of `json`: positions, goals, farthest,
// hardest (null without goals), hardest_positions and layers (an array).
void addAnalysis(JsonObject& json, const AnalysisResult& analysis);

// The puzzle file of the hardest start, with a comment line giving its
// distance in `metricName`.
std::string hardestPuzzle(const AnalysisResult& analysis, const char* metricName);
