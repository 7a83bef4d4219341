#include "ScoreBook.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A scores file is a few lines per layout played; one far larger is no
// scores file.
constexpr size_t largestScoresFile = 16 << 20;
// The longest wait for another program that writes its score.
constexpr auto longestLockWait = 2s;

// The best score per layout code and metric name.
using Scores = std::map<std::pair<std::string, std::string>, int>;

std::string errorText(int error) { return std::strerror(error); }

bool isWord(const std::string& word) {
  if (word.empty()) return false;
  for (const char c : word) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

std::optional<int> movesNamed(const std::string& word) {
  if (word.empty() || word.size() > 9) return std::nullopt;
  int moves = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    moves = moves * 10 + (c - '0');
  }
  return moves;
}

// The scores `text` holds; nothing, with `reason` filled, for text that is
// no scores file, or one cut short (its last line has no end).
std::optional<Scores> parseScores(const std::string& text, std::string& reason) {
  Scores scores;
  if (!text.empty() && text.back() != '\n') {
    reason = "its last line is cut short";
    return std::nullopt;
  }
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string code, metric, moves, extra;
    words >> code >> metric >> moves;
    const std::optional<int> count = movesNamed(moves);
    if (!isWord(code) || !metricNamed(metric) || !count || (words >> extra)) {
      reason = "line " + std::to_string(number) + " is not \"CODE METRIC MOVES\"";
      return std::nullopt;
    }
    const auto key = std::make_pair(code, metric);
    const auto kept = scores.find(key);
    if (kept == scores.end() || *count < kept->second) scores[key] = *count;
  }
  return scores;
}

std::string formatScores(const Scores& scores) {
  std::string text = "# Cavel: the fewest moves without a hint, per layout code and metric\n";
  for (const auto& [key, moves] : scores) {
    text += key.first + " " + key.second + " " + std::to_string(moves) + "\n";
  }
  return text;
}

// Renames the bad file at `path` to the first of PATH.bad, PATH.bad-2, ...
// that does not exist, and says so in `reports`.
void setAside(const std::string& path, const std::string& reason,
              std::vector<ScoreReport>& reports) {
  ScoreReport report{ScoreTrouble::notSetAside, path, reason, ""};
  for (int n = 1; n < 1000; ++n) {
    const std::string name = path + ".bad" + (n == 1 ? "" : "-" + std::to_string(n));
    struct stat status;
    if (lstat(name.c_str(), &status) == 0) continue;
    if (std::rename(path.c_str(), name.c_str()) != 0) {
      report.reason += "; it could not be renamed: " + errorText(errno);
      break;
    }
    report.trouble = ScoreTrouble::setAside;
    report.setAsideAs = name;
    break;
  }
  reports.push_back(std::move(report));
}

// The text of the file at `path`: empty when there is none; nothing, with
// `reason` filled, when it cannot be read.
std::optional<std::string> readText(const std::string& path, std::string& reason) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::string();
    reason = errorText(errno);
    return std::nullopt;
  }
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      reason = errorText(errno);
      close(fd);
      return std::nullopt;
    }
    text.append(buffer, static_cast<size_t>(got));
    if (text.size() > largestScoresFile) {
      reason = "it is larger than any scores file";
      close(fd);
      return std::nullopt;
    }
  }
  close(fd);
  return text;
}

// The scores in the file at `path`, none when there is no file; a file that
// cannot be read or parsed is set aside and counts as none.
Scores readScores(const std::string& path, std::vector<ScoreReport>& reports) {
  std::string reason;
  std::optional<std::string> text = readText(path, reason);
  std::optional<Scores> scores;
  if (text) scores = parseScores(*text, reason);
  if (scores) return *scores;
  setAside(path, reason, reports);
  return Scores();
}

// Makes the folder of `path` and those above it; false, with `reason`
// filled, when one cannot be made.
bool makeFolders(const std::string& path, std::string& reason) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) == 0) continue;
    struct stat status;
    const int error = errno;
    if (error != EEXIST || stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
      reason = folder + ": " + errorText(error == EEXIST ? ENOTDIR : error);
      return false;
    }
  }
  return true;
}

bool writeAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// Puts `text` in place of the file at `path`: a temporary file beside it,
// flushed to the disk, then renamed over it. False, with `reason` filled
// and the file as it was, when any of that fails.
bool replaceFile(const std::string& path, const std::string& text, std::string& reason) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    reason = errorText(errno);
    return false;
  }
  const bool written = writeAll(fd, text) && fsync(fd) == 0;
  const int writeError = errno;
  if (close(fd) != 0 || !written) {
    reason = errorText(written ? errno : writeError);
    unlink(temporary.c_str());
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    reason = errorText(errno);
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

// Holds the lock beside the scores file while a score is written: other
// programs wait for it, up to a moment. Where the lock file cannot be made
// (a folder that cannot be written) there is nothing to write anyway, and
// no lock is needed.
class ScoresLock {
 public:
  explicit ScoresLock(const std::string& path)
      : fd_(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_ < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + longestLockWait;
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        busy_ = true;
        return;
      }
      std::this_thread::sleep_for(10ms);
    }
  }
  ~ScoresLock() {
    if (fd_ >= 0) close(fd_);  // closing lets the lock go
  }
  ScoresLock(const ScoresLock&) = delete;
  ScoresLock& operator=(const ScoresLock&) = delete;

  // Whether another program held the lock all the while.
  bool busy() const { return busy_; }

 private:
  int fd_;
  bool busy_ = false;
};

}  // namespace

std::string scoreTroubleLine(const ScoreReport& report) {
  switch (report.trouble) {
    case ScoreTrouble::setAside:
      return "scores file " + report.path + " could not be read (" + report.reason +
             "): set aside as " + report.setAsideAs;
    case ScoreTrouble::notSetAside:
      return "scores file " + report.path + " could not be read (" + report.reason + ")";
    case ScoreTrouble::notSaved:
      break;
  }
  return "score not saved in " + report.path + ": " + report.reason;
}

std::optional<std::string> scoresFilePath(const char* xdgDataHome, const char* home) {
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
    return std::string(xdgDataHome) + "/cavel/scores";
  }
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/share/cavel/scores";
  return std::nullopt;
}

std::optional<int> ScoreBook::best(const std::string& code, MoveMetric metric,
                                   std::vector<ScoreReport>& reports) const {
  std::string reason;
  const std::optional<std::string> text = readText(path_, reason);
  std::optional<Scores> scores;
  if (text) scores = parseScores(*text, reason);
  if (!scores) {
    // Set aside under the lock, read again there: never a good file that
    // another program has just put in place.
    const ScoresLock lock(path_);
    if (lock.busy()) return std::nullopt;
    scores = readScores(path_, reports);
  }
  const auto kept = scores->find({code, metricName(metric)});
  if (kept == scores->end()) return std::nullopt;
  return kept->second;
}

ScoreBook::Outcome ScoreBook::record(const std::string& code, MoveMetric metric, int moves,
                                     std::vector<ScoreReport>& reports) const {
  Outcome outcome;
  std::string reason;
  if (!makeFolders(path_, reason)) {
    // No folder, so no file and no best kept: a first score, unsaved.
    outcome.record = true;
    reports.push_back({ScoreTrouble::notSaved, path_, reason, ""});
    return outcome;
  }
  const ScoresLock lock(path_);
  if (lock.busy()) {
    // Written without the lock, another program's score could be lost.
    reports.push_back({ScoreTrouble::notSaved, path_, "another program kept it busy", ""});
    return outcome;
  }
  Scores scores = readScores(path_, reports);
  const auto key = std::make_pair(code, std::string(metricName(metric)));
  const auto kept = scores.find(key);
  if (kept != scores.end()) outcome.previous = kept->second;
  outcome.record = !outcome.previous || moves < *outcome.previous;
  if (!outcome.record) {
    outcome.saved = true;
    return outcome;
  }
  scores[key] = moves;
  outcome.saved = replaceFile(path_, formatScores(scores), reason);
  if (!outcome.saved) reports.push_back({ScoreTrouble::notSaved, path_, reason, ""});
  return outcome;
}
