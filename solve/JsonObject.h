// One JSON object written member by member, for cavel-solve's --json lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// `text` as a JSON string, quotes included: '"', '\' and control characters
// escaped, and every byte that is not part of well-formed UTF-8 (a file name
// may hold any bytes) replaced by U+FFFD, so that the line stays valid JSON.
std::string jsonString(std::string_view text);

// `text`, read as Latin-1 (as puzzle files hold their texts), in UTF-8: each
// byte from 0x80 up becomes the two bytes of its code point.
std::string utf8FromLatin1(std::string_view text);

class JsonObject {
 public:
  // A member whose value is already JSON text (an object, an array).
  void addRaw(std::string_view name, std::string_view json);
  void addString(std::string_view name, std::string_view text);
  void addNumber(std::string_view name, uint64_t value);
  // Written with three decimals.
  void addNumber(std::string_view name, double value);

  // The object: "{" members "}".
  std::string text() const { return "{" + members_ + "}"; }

 private:
  std::string members_;
};
