// Short-lived lines of text drawn over the scene until their time is up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Vector3.h"

struct TimedMessage {
  Vector3 position;
  Vector3 width;
  Vector3 height;
  uint32_t expiry = 0;  // last ticks value at which the message is shown
  std::string text;
};

// A message added at ticks `now` to live `durationMs` milliseconds: glyphs
// 0.6 by 0.6 units, narrower where the line would run past the window's
// right edge (see fitLineWidth); expiry now + durationMs in unsigned 32-bit
// arithmetic (so it wraps after about 49.7 days).
TimedMessage makeTimedMessage(Vector3 position, uint32_t now, int durationMs, std::string text);

// Whether the boxes the two messages cover on the board plane overlap.
bool messagesOverlap(const TimedMessage& a, const TimedMessage& b);

// Appends `message` after taking away every message it would be drawn over,
// so that a new line never shows the tail of a longer, older one.
void placeMessage(std::vector<TimedMessage>& messages, TimedMessage message);

// Walks `messages` oldest first, reading the clock `now()` anew for each:
// a message whose expiry is before that reading is removed, any other is
// handed to `drawMessage`. A message thus lives through its expiry
// millisecond.
template <typename Clock, typename DrawMessage>
void walkMessages(std::vector<TimedMessage>& messages, Clock now, DrawMessage drawMessage) {
  for (auto message = messages.begin(); message != messages.end();) {
    if (message->expiry < now()) {
      message = messages.erase(message);
      continue;
    }
    drawMessage(*message);
    ++message;
  }
}

class MessageOverlay {
 public:
  // Loads the overlay's own font texture from `fontFile`; see hasFont.
  explicit MessageOverlay(const char* fontFile);
  ~MessageOverlay();
  MessageOverlay(const MessageOverlay&) = delete;
  MessageOverlay& operator=(const MessageOverlay&) = delete;

  // Adds a formatted line at `position`, shown for `durationMs` milliseconds
  // from now, in place of the messages it covers (see placeMessage). A text
  // longer than 999 characters is cut there.
  void addMessage(Vector3 position, int durationMs, const char* format, ...)
      __attribute__((format(printf, 4, 5)));

  // Draws the live messages in white, oldest first, and drops the expired
  // ones. The caller switches texturing on before and off after.
  void drawMessages();

  const std::vector<TimedMessage>& messages() const { return messages_; }

  // Whether the font file could be loaded; without it messages draw blank.
  bool hasFont() const { return fontTexture_.has_value(); }

 private:
  std::optional<unsigned int> fontTexture_;
  std::vector<TimedMessage> messages_;
};
