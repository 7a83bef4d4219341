#include "InfoReport.h"

#include "puzzle/LayoutCode.h"

std::string formatInfo(const PuzzleInfo& info, const BoardState& board) {
  std::string text;
  if (!info.name.empty()) text += "name " + info.name + "\n";
  if (!info.source.empty()) text += "source " + info.source + "\n";
  if (info.published) {
    text += "published " + std::to_string(info.published->moves) + " " +
            metricName(info.published->metric) + "\n";
  }
  for (const PuzzleInfo::Count& count : info.counts) {
    text +=
        std::string("count ") + metricName(count.metric) + " " + std::to_string(count.moves) + "\n";
  }
  if (info.positions) text += "positions " + std::to_string(*info.positions) + "\n";
  for (const std::string& note : info.notes) text += "note " + note + "\n";
  text +=
      "size " + std::to_string(board.size.width) + " " + std::to_string(board.size.height) + "\n";
  return text + "code " + layoutCode(board) + "\n";
}

void addInfo(JsonObject& json, const PuzzleInfo& info, const BoardState& board) {
  if (!info.name.empty()) json.addString("name", utf8FromLatin1(info.name));
  if (!info.source.empty()) json.addString("source", utf8FromLatin1(info.source));
  if (info.published) {
    JsonObject published;
    published.addNumber("moves", static_cast<uint64_t>(info.published->moves));
    published.addString("metric", metricName(info.published->metric));
    json.addRaw("published", published.text());
  }
  JsonObject counts;
  for (const PuzzleInfo::Count& count : info.counts) {
    counts.addNumber(metricName(count.metric), static_cast<uint64_t>(count.moves));
  }
  json.addRaw("counts", counts.text());
  if (info.positions) json.addNumber("positions", static_cast<uint64_t>(*info.positions));
  std::string notes = "[";
  for (const std::string& note : info.notes) {
    if (notes.size() > 1) notes += ',';
    notes += jsonString(utf8FromLatin1(note));
  }
  json.addRaw("notes", notes + "]");
  json.addNumber("width", static_cast<uint64_t>(board.size.width));
  json.addNumber("height", static_cast<uint64_t>(board.size.height));
}
