#include "LineWords.h"

bool isLineSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> lineWords(std::string_view line) {
  const size_t comment = line.find('#');
  if (comment != std::string_view::npos) line = line.substr(0, comment);
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && isLineSpace(line[at])) ++at;
    const size_t begin = at;
    while (at < line.size() && !isLineSpace(line[at])) ++at;
    if (at > begin) words.push_back(line.substr(begin, at - begin));
  }
  return words;
}

std::string printableWord(std::string_view word) {
  std::string shown;
  for (char c : word.substr(0, 20)) shown += (c >= 0x20 && c < 0x7F) ? c : '?';
  if (word.size() > 20) shown += "...";
  return shown;
}
