// Short-lived lines of text drawn over the scene until their time is up.
#pragma once

#include <cstdint>
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

class MessageOverlay {
 public:
  // Loads the overlay's own font texture from `fontFile`.
  explicit MessageOverlay(const char* fontFile);
  ~MessageOverlay();
  MessageOverlay(const MessageOverlay&) = delete;
  MessageOverlay& operator=(const MessageOverlay&) = delete;

  // Adds a formatted line (at most 999 characters) at `position`, shown for
  // `durationMs` milliseconds from now.
  void addMessage(Vector3 position, int durationMs, const char* format, ...)
      __attribute__((format(printf, 4, 5)));

  // Draws the live messages, oldest first, and drops the expired ones.
  void drawMessages();

  const std::vector<TimedMessage>& messages() const { return messages_; }

 private:
  unsigned int fontTexture_;
  std::vector<TimedMessage> messages_;
};
