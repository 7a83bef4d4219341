#include "JsonObject.h"

#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
size_t utf8SequenceLength(std::string_view text) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string jsonString(std::string_view text) {
  std::string json = "\"";
  while (!text.empty()) {
    const unsigned char c = static_cast<unsigned char>(text[0]);
    const size_t length = utf8SequenceLength(text);
    if (length == 0) {
      json += "\\ufffd";
      text.remove_prefix(1);
      continue;
    }
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      json += escaped;
    } else {
      json.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return json + "\"";
}

std::string utf8FromLatin1(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
      continue;
    }
    utf8 += static_cast<char>(0xC0 | (byte >> 6));
    utf8 += static_cast<char>(0x80 | (byte & 0x3F));
  }
  return utf8;
}

void JsonObject::addRaw(std::string_view name, std::string_view json) {
  if (!members_.empty()) members_ += ',';
  members_ += jsonString(name);
  members_ += ':';
  members_.append(json);
}

void JsonObject::addString(std::string_view name, std::string_view text) {
  addRaw(name, jsonString(text));
}

void JsonObject::addNumber(std::string_view name, uint64_t value) {
  addRaw(name, std::to_string(value));
}

void JsonObject::addNumber(std::string_view name, double value) {
  char number[32];
  std::snprintf(number, sizeof number, "%.3f", value);
  addRaw(name, number);
}
