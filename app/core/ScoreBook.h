// The best scores: the fewest moves a person took without a hint, per layout
// (by its layout code) and metric, in one file of lines "CODE METRIC MOVES"
// ("# " lines are comments). Every use reads the file anew. A score is
// written by reading the file again under a lock (a file beside it, so that
// two programs finishing at once take turns), merging, writing a temporary
// file beside it, flushing it to the disk and renaming it into place: a
// crash or a full disk leaves the old file whole. A file that cannot be read
// or parsed is set aside, renamed with a suffix, so that nothing in it is
// lost and play goes on.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/MoveMetric.h"

// What went wrong with the scores file; each comes with its details for a
// line on standard error (scoreTroubleLine).
enum class ScoreTrouble {
  setAside,     // it could not be read or parsed, and was renamed
  notSetAside,  // it could not be read or parsed, nor renamed
  notSaved,     // the new file could not be written or put in place
};

struct ScoreReport {
  ScoreTrouble trouble = ScoreTrouble::notSaved;
  std::string path;        // the file concerned
  std::string reason;      // why, in words
  std::string setAsideAs;  // for setAside: where it went
};

// The line for standard error that `report` makes, without the program's
// name.
std::string scoreTroubleLine(const ScoreReport& report);

// The scores file of the person: `$XDG_DATA_HOME/cavel/scores`, or
// `$HOME/.local/share/cavel/scores` where XDG_DATA_HOME is unset, empty or
// not an absolute path; nothing where neither gives one. Either argument
// may be null.
std::optional<std::string> scoresFilePath(const char* xdgDataHome, const char* home);

class ScoreBook {
 public:
  // The scores kept in the file at `path`; its folder is made when a score
  // is written.
  explicit ScoreBook(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }

  // The best score kept for the layout of code `code` in `metric`, read
  // from the file now; a bad file is set aside and told of in `reports`.
  std::optional<int> best(const std::string& code, MoveMetric metric,
                          std::vector<ScoreReport>& reports) const;

  struct Outcome {
    bool record = false;          // no score was kept, or a higher one
    bool saved = false;           // the file holds the new best (or already held it)
    std::optional<int> previous;  // the best kept before
  };
  // Keeps `moves` for `code` in `metric` when it beats the best kept (or
  // none is kept). Troubles go to `reports`; the score is then unsaved and
  // the file as it was.
  Outcome record(const std::string& code, MoveMetric metric, int moves,
                 std::vector<ScoreReport>& reports) const;

 private:
  std::string path_;
};
