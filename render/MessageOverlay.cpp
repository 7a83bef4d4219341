#include "MessageOverlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <utility>

#include "Draw.h"
#include "TextLayout.h"
#include "Texture.h"
#include "Video.h"

namespace {

constexpr int messageBufferSize = 1000;
constexpr double glyphSize = 0.6;

}  // namespace

TimedMessage makeTimedMessage(Vector3 position, uint32_t now, int durationMs, std::string text) {
  TimedMessage message;
  message.position = position;
  message.width =
      fitLineWidth(position, Vector3(glyphSize, 0, 0) * static_cast<double>(text.size()));
  message.height = Vector3(0, glyphSize, 0);
  message.expiry = now + static_cast<uint32_t>(durationMs);
  message.text = std::move(text);
  return message;
}

bool messagesOverlap(const TimedMessage& a, const TimedMessage& b) {
  // The box around a line's glyphs along one axis: from its start, its
  // extent and its height may each point either way.
  const auto span = [](double start, double along, double up) {
    return std::make_pair(start + std::min(0.0, along) + std::min(0.0, up),
                          start + std::max(0.0, along) + std::max(0.0, up));
  };
  const auto overlapping = [](std::pair<double, double> p, std::pair<double, double> q) {
    return p.first < q.second && q.first < p.second;
  };
  return overlapping(span(a.position.x, a.width.x, a.height.x),
                     span(b.position.x, b.width.x, b.height.x)) &&
         overlapping(span(a.position.y, a.width.y, a.height.y),
                     span(b.position.y, b.width.y, b.height.y));
}

void placeMessage(std::vector<TimedMessage>& messages, TimedMessage message) {
  messages.erase(
      std::remove_if(messages.begin(), messages.end(),
                     [&](const TimedMessage& old) { return messagesOverlap(old, message); }),
      messages.end());
  messages.push_back(std::move(message));
}

MessageOverlay::MessageOverlay(const char* fontFile) : fontTexture_(loadTexture(fontFile, 32)) {}

MessageOverlay::~MessageOverlay() {
  if (fontTexture_) deleteTexture(*fontTexture_);
}

void MessageOverlay::addMessage(Vector3 position, int durationMs, const char* format, ...) {
  char buffer[messageBufferSize];
  va_list arguments;
  va_start(arguments, format);
  const int written = std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  if (written < 0) buffer[0] = '\0';
  placeMessage(messages_, makeTimedMessage(position, ticks(), durationMs, buffer));
}

void MessageOverlay::drawMessages() {
  const int texture = fontTexture_ ? static_cast<int>(*fontTexture_) : -1;
  walkMessages(messages_, ticks, [texture](const TimedMessage& message) {
    glColor3f(1, 1, 1);
    Vector3 position = message.position;
    // Drawn literally: a percent sign in the stored text stays one.
    drawText(texture, position, message.width, message.height, "%s", message.text.c_str());
  });
}
