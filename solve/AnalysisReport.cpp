#include "AnalysisReport.h"

#include "puzzle/PuzzleFile.h"

std::string formatAnalysis(const AnalysisResult& analysis) {
  std::string text = "positions " + std::to_string(analysis.positions) + "\n";
  text += "goals " + std::to_string(analysis.goals) + "\n";
  text += "farthest " + std::to_string(analysis.layers.size() - 1) + "\n";
  text += "hardest " +
          (analysis.hardest < 0 ? std::string("none") : std::to_string(analysis.hardest)) + "\n";
  text += "hardest-positions " + std::to_string(analysis.hardestPositions) + "\n";
  for (size_t d = 0; d < analysis.layers.size(); ++d) {
    text += "layer " + std::to_string(d) + " " + std::to_string(analysis.layers[d]) + "\n";
  }
  return text;
}

void addAnalysis(JsonObject& json, const AnalysisResult& analysis) {
  json.addNumber("positions", analysis.positions);
  json.addNumber("goals", analysis.goals);
  json.addNumber("farthest", static_cast<uint64_t>(analysis.layers.size() - 1));
  json.addRaw("hardest", analysis.hardest < 0 ? "null" : std::to_string(analysis.hardest));
  json.addNumber("hardest_positions", analysis.hardestPositions);
  std::string layers = "[";
  for (size_t d = 0; d < analysis.layers.size(); ++d) {
    if (d > 0) layers += ',';
    layers += std::to_string(analysis.layers[d]);
  }
  json.addRaw("layers", layers + "]");
}

std::string hardestPuzzle(const AnalysisResult& analysis, const char* metricName) {
  return "# The hardest start of its layout's set of positions: " +
         std::to_string(analysis.hardest) + " moves in the " + metricName + " metric\n" +
         formatPuzzle(analysis.hardestStart);
}
