// The clipboard against another program, xclip, on a display of its own
// (with-display.sh): what the module owns, xclip reads; what xclip owns,
// the module reads.
#include <gtest/gtest.h>

#include "platform/Clipboard.h"
// After GoogleTest, whose names Xlib's macros (None, Bool) would take.
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// What `command` prints on standard output.
std::string outputOf(const std::string& command) {
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "popen failed";
  std::string output;
  char buffer[256];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  pclose(pipe);
  return output;
}

std::string xclipOut(const char* selection, const char* target = nullptr) {
  std::string command = std::string("timeout 10 xclip -o -selection ") + selection;
  if (target != nullptr) command += std::string(" -t ") + target;
  return outputOf(command + " 2>/dev/null");
}

// xclip owns CLIPBOARD with `text` (from a file: any bytes) until another
// program takes it, or 30 seconds have passed; returns once it does.
void xclipOwns(const std::string& text) {
  char path[] = "/tmp/clipboard-test-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fd);
  const std::string command =
      std::string("timeout 30 xclip -quiet -i -selection clipboard ") + path + " >/dev/null 2>&1 &";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (int tries = 0; tries < 100 && readClipboardText(500ms) != text; ++tries) {
    std::this_thread::sleep_for(50ms);
  }
  unlink(path);
}

TEST(ClipboardTest, OtherProgramsReadWhatItOffers) {
  EXPECT_EQ(readClipboardText(500ms), "") << "nothing owns the clipboard yet";
  Clipboard clipboard;
  ASSERT_TRUE(clipboard.offer("cavel:BsA1GfiEGIi"));
  EXPECT_EQ(xclipOut("clipboard"), "cavel:BsA1GfiEGIi");
  EXPECT_EQ(xclipOut("primary"), "cavel:BsA1GfiEGIi");
  EXPECT_EQ(xclipOut("clipboard", "STRING"), "cavel:BsA1GfiEGIi");
  const std::string targets = xclipOut("clipboard", "TARGETS");
  for (const char* target : {"TARGETS", "UTF8_STRING", "STRING", "TIMESTAMP"}) {
    EXPECT_NE(targets.find(target), std::string::npos) << target << " missing from " << targets;
  }
  EXPECT_EQ(readClipboardText(1s), "cavel:BsA1GfiEGIi");

  // A second offer replaces the first; STRING is Latin-1.
  ASSERT_TRUE(clipboard.offer("d\xc3\xa9j\xc3\xa0 \xe2\x82\xac"));
  EXPECT_EQ(xclipOut("clipboard", "UTF8_STRING"), "d\xc3\xa9j\xc3\xa0 \xe2\x82\xac");
  EXPECT_EQ(xclipOut("primary", "STRING"), "d\xe9j\xe0 ?");
  EXPECT_EQ(xclipOut("clipboard", "TEXT"), "") << "a target it does not offer is refused";
}

TEST(ClipboardTest, ItReadsWhatAnotherProgramOwnsAndTakesTheSelectionsBack) {
  Clipboard clipboard;
  ASSERT_TRUE(clipboard.offer("mine"));
  xclipOwns("theirs \xc3\xa9");
  EXPECT_EQ(readClipboardText(1s), "theirs \xc3\xa9");
  EXPECT_EQ(xclipOut("primary"), "mine") << "xclip took CLIPBOARD alone";

  // Offering again takes CLIPBOARD back; xclip, having lost it, ends.
  ASSERT_TRUE(clipboard.offer("mine again"));
  EXPECT_EQ(readClipboardText(1s), "mine again");
  EXPECT_EQ(xclipOut("clipboard"), "mine again");
}

TEST(ClipboardTest, ItsSelectionsGoWithIt) {
  {
    Clipboard clipboard;
    ASSERT_TRUE(clipboard.offer("gone soon"));
    EXPECT_EQ(readClipboardText(1s), "gone soon");
  }
  EXPECT_EQ(readClipboardText(500ms), "");
  EXPECT_EQ(xclipOut("primary"), "");
}

TEST(ClipboardTest, AnOwnerThatNeverAnswersCostsOnlyTheTimeout) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False), window, CurrentTime);
  XSync(display, False);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(readClipboardText(300ms), "");
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 290ms);
  EXPECT_LT(took, 2s);
  XCloseDisplay(display);
}

}  // namespace
