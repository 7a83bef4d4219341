// What the placement editor goes on with once the analysis of its layout has
// ended: the hardest start of the layout's set of positions, or the layout as
// it was and why.
#pragma once

#include <string>

#include "model/BoardState.h"
#include "search/Solver.h"

struct AnalysisOutcome {
  BoardState layout;
  // The line the editor shows for a while, Latin-1; empty when the person
  // stopped the analysis, which changes nothing.
  std::string message;
};

// After an analysis that went through the whole set of positions of
// `layout`: the hardest start of the set, with its distance in moves. When
// the set holds no goal position, or the analysis ran short of memory or
// failed otherwise: `layout` itself, and a line that says so. The hardest
// start keeps the layout's board and its empty move log, so that the editor
// treats it as any layout.
AnalysisOutcome outcomeOfAnalysis(const BoardState& layout, const AnalysisResult& analysis);
