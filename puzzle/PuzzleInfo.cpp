#include "PuzzleInfo.h"

#include <cstdio>

#include "LineWords.h"

namespace {

constexpr std::string_view textItems[] = {"name", "source", "note"};
constexpr std::string_view numberItems[] = {"published", "count", "positions"};

// Counts of moves and positions: up to 18 decimal digits, so any fits in 64 bits.
constexpr size_t maxCountDigits = 18;

bool isTextItem(std::string_view keyword) {
  for (std::string_view item : textItems) {
    if (keyword == item) return true;
  }
  return false;
}

// `text` without the spaces, tabs and carriage returns at either end.
std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isLineSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isLineSpace(text.back())) text.remove_suffix(1);
  return text;
}

// A count: decimal digits only, no sign.
bool parseCount(std::string_view word, int64_t& value, std::string& message) {
  for (char c : word) {
    if (c < '0' || c > '9') {
      message = "bad number '" + printableWord(word) + "'";
      return false;
    }
  }
  if (word.size() > maxCountDigits) {
    message = "number too large '" + printableWord(word) + "'";
    return false;
  }
  value = 0;
  for (char c : word) value = value * 10 + (c - '0');
  return true;
}

bool parseMetric(std::string_view word, MoveMetric& metric, std::string& message) {
  const std::optional<MoveMetric> named = metricNamed(word);
  if (named) {
    metric = *named;
    return true;
  }
  message = "unknown metric '" + printableWord(word) + "'; a metric is " +
            metricName(MoveMetric::step) + ", " + metricName(MoveMetric::line) + " or " +
            metricName(MoveMetric::path);
  return false;
}

// Latin-1 text to show as it stands: no C0 or C1 control byte, no DEL.
bool isShowable(std::string_view text, std::string& message) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", byte);
      message = std::string("the text holds the control byte ") + hex +
                "; it must be Latin-1 without control characters";
      return false;
    }
  }
  return true;
}

bool readText(std::string_view keyword, std::string_view text, PuzzleInfo& info,
              std::string& message) {
  if (text.empty()) {
    message = "expected '" + std::string(keyword) + " TEXT'";
    return false;
  }
  if (!isShowable(text, message)) return false;
  if (keyword == "note") {
    info.notes.emplace_back(text);
    return true;
  }
  std::string& field = keyword == "name" ? info.name : info.source;
  if (!field.empty()) {
    message = "a second '" + std::string(keyword) + "' line";
    return false;
  }
  field = text;
  return true;
}

bool readPublished(const std::vector<std::string_view>& words, PuzzleInfo& info,
                   std::string& message) {
  if (words.size() != 2) {
    message = "expected 'published N METRIC'";
    return false;
  }
  PuzzleInfo::Count count{};
  if (!parseCount(words[0], count.moves, message)) return false;
  if (!parseMetric(words[1], count.metric, message)) return false;
  if (info.published) {
    message = "a second 'published' line";
    return false;
  }
  info.published = count;
  return true;
}

bool readCount(const std::vector<std::string_view>& words, PuzzleInfo& info, std::string& message) {
  if (words.size() != 2) {
    message = "expected 'count METRIC N'";
    return false;
  }
  PuzzleInfo::Count count{};
  if (!parseMetric(words[0], count.metric, message)) return false;
  if (!parseCount(words[1], count.moves, message)) return false;
  if (info.countIn(count.metric)) {
    message = std::string("a second 'count' line for the ") + metricName(count.metric) + " metric";
    return false;
  }
  info.counts.push_back(count);
  return true;
}

bool readPositions(const std::vector<std::string_view>& words, PuzzleInfo& info,
                   std::string& message) {
  if (words.size() != 1) {
    message = "expected 'positions N'";
    return false;
  }
  int64_t positions = 0;
  if (!parseCount(words[0], positions, message)) return false;
  if (positions == 0) {
    message = "positions must be 1 or more: the set holds the layout itself";
    return false;
  }
  if (info.positions) {
    message = "a second 'positions' line";
    return false;
  }
  info.positions = positions;
  return true;
}

}  // namespace

std::optional<int64_t> PuzzleInfo::countIn(MoveMetric metric) const {
  for (const Count& count : counts) {
    if (count.metric == metric) return count.moves;
  }
  return std::nullopt;
}

bool PuzzleInfo::empty() const {
  return name.empty() && source.empty() && !published && counts.empty() && !positions &&
         notes.empty();
}

bool isPuzzleInfoItem(std::string_view keyword) {
  if (isTextItem(keyword)) return true;
  for (std::string_view item : numberItems) {
    if (keyword == item) return true;
  }
  return false;
}

bool readPuzzleInfoItem(std::string_view line, PuzzleInfo& info, std::string& message) {
  // The keyword ends at a space, a '#' or the end of the line.
  size_t at = 0;
  while (at < line.size() && isLineSpace(line[at])) ++at;
  size_t end = at;
  while (end < line.size() && !isLineSpace(line[end]) && line[end] != '#') ++end;
  const std::string_view keyword = line.substr(at, end - at);
  const std::string_view rest = line.substr(end);
  if (isTextItem(keyword)) return readText(keyword, trimmed(rest), info, message);
  const std::vector<std::string_view> words = lineWords(rest);
  if (keyword == "published") return readPublished(words, info, message);
  if (keyword == "count") return readCount(words, info, message);
  if (keyword == "positions") return readPositions(words, info, message);
  message = "unknown word '" + printableWord(keyword) + "'";
  return false;
}
