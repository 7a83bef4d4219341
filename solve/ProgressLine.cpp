#include "ProgressLine.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>

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

// The terminal's width, or 80 when it cannot be told.
int terminalColumns(std::FILE* stream) {
  winsize size{};
  if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

std::string progressText(const std::string& label, const SolveStats& stats, double seconds,
                         int columns) {
  const double positions = static_cast<double>(stats.positions);
  char counts[160];
  std::snprintf(counts, sizeof counts, "%s positions, %s/s, peak %.0f MB, %.1f s",
                shortCount(positions).c_str(),
                shortCount(seconds > 0 ? positions / seconds : 0).c_str(),
                stats.peakBytes / 1048576.0, seconds);
  std::string text = label + ": " + counts;
  const size_t room = columns > 1 ? static_cast<size_t>(columns - 1) : 1;
  if (text.size() > room) text.resize(room);
  return text;
}

ProgressLine::ProgressLine(std::FILE* stream, std::string label)
    : stream_(stream), label_(std::move(label)), start_(std::chrono::steady_clock::now()) {
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
  const std::string text = progressText(label_, stats, elapsed.count(), terminalColumns(stream_));
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
