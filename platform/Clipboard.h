// The X clipboard, which SDL 1.2 does not reach: a text offered on the
// CLIPBOARD and PRIMARY selections, and the text read back from CLIPBOARD.
// Each side has an X connection of its own, apart from SDL's.
#pragma once

#include <chrono>
#include <memory>
#include <string>

// Owns CLIPBOARD and PRIMARY for a text, through a hidden window, and answers
// TARGETS, TIMESTAMP, UTF8_STRING and STRING requests for it until another
// program takes a selection or the Clipboard is destroyed. The requests are
// answered on a thread of its own: the window's frame loop sleeps on SDL's
// connection, not this one, and stands still while a modal box is up or a
// frame takes long, whereas a program pasting waits on the answer.
class Clipboard {
 public:
  Clipboard();
  // Gives up the selections and ends the thread.
  ~Clipboard();
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;

  // Offers `text` (UTF-8; as STRING, in Latin-1 with '?' for what Latin-1
  // lacks) on both selections, in place of any text offered before, taking
  // them back from whichever program holds them. The connection and the
  // thread start on the first offer. False when no display can be opened or
  // the X server does not hand over the selections.
  bool offer(const std::string& text);

 private:
  struct Server;
  std::unique_ptr<Server> server_;
};

// The text on the CLIPBOARD selection, as UTF-8 (asked as UTF8_STRING, else
// as STRING, read as Latin-1). Empty when no program owns the selection, its
// owner does not answer within `timeout`, no display can be opened, or the
// text would come in pieces (the incremental transfer of long texts).
std::string readClipboardText(std::chrono::milliseconds timeout);
