#include "MessageLines.h"

std::vector<std::string> splitIntoLines(const std::string& text, size_t longest) {
  if (text.size() <= longest) return {text};
  const size_t first = (text.size() + 1) / 2;
  return {text.substr(0, first), text.substr(first)};
}

std::string trimmed(const std::string& text) {
  constexpr const char* space = " \t\r\n\v\f";
  const size_t begin = text.find_first_not_of(space);
  if (begin == std::string::npos) return std::string();
  const size_t end = text.find_last_not_of(space);
  return text.substr(begin, end - begin + 1);
}
