#include "ProgressLine.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr char eraseLine[] = "\r\033[K";

// The signals whose default is to end the program, in the order of
// ProgressLine::previous_.
constexpr std::array<int, 4> endingSignals = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// The descriptor on which a progress line stands drawn, for the handler of
// those signals; -1 while none does. One line at a time is ever shown.
std::atomic<int> drawnOn{-1};

// Erases the line, then ends the program by the signal as if it had not
// been caught, so that the shell sees the same status. A line drawn by
// another thread at this very moment may still come after the erasure.
void eraseAndEnd(int signalNumber) {
  const int fd = drawnOn.load();
  if (fd >= 0) {
    const ssize_t written = write(fd, eraseLine, sizeof eraseLine - 1);
    static_cast<void>(written);
  }
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  sigemptyset(&defaults.sa_mask);
  sigaction(signalNumber, &defaults, nullptr);
  raise(signalNumber);
}

constexpr auto firstDraw = 500ms;
constexpr auto redraw = 100ms;

// A count with a unit prefix: "950", "12.3 k", "21.6 M", "1.25 G".
std::string shortCount(double count) {
  char text[32];
  if (count < 1e3) {
    std::snprintf(text, sizeof text, "%.0f", count);
  } else if (count < 1e6) {
    std::snprintf(text, sizeof text, "%.1f k", count / 1e3);
  } else if (count < 1e9) {
    std::snprintf(text, sizeof text, "%.1f M", count / 1e6);
  } else {
    std::snprintf(text, sizeof text, "%.2f G", count / 1e9);
  }
  return text;
}

// Bytes on disk: "0 MB", "950 MB", "1.2 GB", "3.4 TB".
std::string diskSize(uint64_t bytes) {
  char text[32];
  const double megabytes = bytes / 1048576.0;
  if (megabytes < 1024) {
    std::snprintf(text, sizeof text, "%.0f MB", megabytes);
  } else if (megabytes < 1024.0 * 1024) {
    std::snprintf(text, sizeof text, "%.1f GB", megabytes / 1024);
  } else {
    std::snprintf(text, sizeof text, "%.1f TB", megabytes / (1024.0 * 1024));
  }
  return text;
}

// "LABEL: ITEM, ITEM, ...".
std::string joined(const std::string& label, const std::vector<std::string>& items) {
  std::string line = label + ":";
  for (size_t i = 0; i < items.size(); ++i) line += (i ? ", " : " ") + items[i];
  return line;
}

// The terminal's width, or 80 when it cannot be told.
int terminalColumns(std::FILE* stream) {
  winsize size{};
  if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

std::string progressText(const std::string& label, const SolveStats& stats, double seconds,
                         int columns, SpillUse spill) {
  const double positions = static_cast<double>(stats.positions);
  char text[64];
  std::vector<std::string> items;
  items.push_back(shortCount(positions) + " positions");
  if (stats.layers > 0) items.push_back("layer " + std::to_string(stats.layers));
  const size_t rate = items.size();
  items.push_back(shortCount(seconds > 0 ? positions / seconds : 0) + "/s");
  std::snprintf(text, sizeof text, "peak %.0f MB", stats.peakBytes / 1048576.0);
  const size_t peak = items.size();
  items.push_back(text);
  if (spill == SpillUse::spilled || stats.diskBytes > 0 || stats.peakDiskBytes > 0) {
    items.push_back("disk " + diskSize(stats.diskBytes));
  }
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  items.push_back(text);

  const size_t room = columns > 1 ? static_cast<size_t>(columns - 1) : 1;
  std::string line = joined(label, items);
  // Whole figures rather than cut ones: the rate, then the peak make room.
  for (const size_t dropped : {rate, peak - 1}) {
    if (line.size() <= room) break;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(dropped));
    line = joined(label, items);
  }
  if (line.size() > room) line.resize(room);
  return line;
}

ProgressLine::ProgressLine(std::FILE* stream, std::string label, SpillUse spill)
    : stream_(stream),
      label_(std::move(label)),
      spill_(spill),
      start_(std::chrono::steady_clock::now()) {
  struct sigaction erasing {};
  erasing.sa_handler = eraseAndEnd;
  sigemptyset(&erasing.sa_mask);
  for (size_t i = 0; i < endingSignals.size(); ++i) {
    sigaction(endingSignals[i], nullptr, &previous_[i]);
    if (previous_[i].sa_handler == SIG_DFL) sigaction(endingSignals[i], &erasing, nullptr);
  }
}

ProgressLine::~ProgressLine() {
  drawnOn = -1;
  for (size_t i = 0; i < endingSignals.size(); ++i) {
    if (previous_[i].sa_handler == SIG_DFL) sigaction(endingSignals[i], &previous_[i], nullptr);
  }
}

void ProgressLine::update(const SolveStats& stats) {
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < firstDraw || (shown_ && now - drawn_ < redraw)) return;
  drawn_ = now;
  shown_ = true;
  const std::chrono::duration<double> elapsed = now - start_;
  const std::string text =
      progressText(label_, stats, elapsed.count(), terminalColumns(stream_), spill_);
  drawnOn = fileno(stream_);
  std::fprintf(stream_, "\r%s\033[K", text.c_str());
  std::fflush(stream_);
}

void ProgressLine::erase() {
  if (!shown_) return;
  drawnOn = -1;
  std::fputs(eraseLine, stream_);
  std::fflush(stream_);
  shown_ = false;
}
