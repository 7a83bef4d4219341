#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/core/ScoreBook.h"

namespace {

// A folder of its own for each test, removed after it.
class ScoreBookTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/cavel-scores-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder_ = name;
  }
  void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }

  std::string path(const std::string& name) const { return folder_ + "/" + name; }

  static std::string read(const std::string& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void write(const std::string& file, const std::string& text) {
    std::ofstream(file) << text;
  }
  static bool exists(const std::string& file) {
    struct stat status;
    return lstat(file.c_str(), &status) == 0;
  }
  // The lines of `file` that are no comments.
  static std::vector<std::string> entries(const std::string& file) {
    std::vector<std::string> lines;
    std::istringstream text(read(file));
    for (std::string line; std::getline(text, line);) {
      if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
  }

  std::string folder_;
};

}  // namespace

TEST(ScoreFilePathTest, FollowsXdgDataHomeElseTheHomeFolder) {
  EXPECT_EQ(scoresFilePath("/data", "/home/a"), "/data/cavel/scores");
  EXPECT_EQ(scoresFilePath(nullptr, "/home/a"), "/home/a/.local/share/cavel/scores");
  EXPECT_EQ(scoresFilePath("", "/home/a"), "/home/a/.local/share/cavel/scores");
  EXPECT_EQ(scoresFilePath("relative", "/home/a"), "/home/a/.local/share/cavel/scores");
  EXPECT_EQ(scoresFilePath(nullptr, nullptr), std::nullopt);
  EXPECT_EQ(scoresFilePath("", "not/absolute"), std::nullopt);
}

TEST_F(ScoreBookTest, KeepsTheFewestMovesPerLayoutAndMetric) {
  // Its folders are made with the first score.
  const ScoreBook book(path("deep/er/scores"));
  std::vector<ScoreReport> reports;
  EXPECT_EQ(book.best("cavel:A", MoveMetric::step, reports), std::nullopt);

  ScoreBook::Outcome first = book.record("cavel:A", MoveMetric::step, 120, reports);
  EXPECT_TRUE(first.record && first.saved);
  EXPECT_EQ(first.previous, std::nullopt);
  const ScoreBook::Outcome worse = book.record("cavel:A", MoveMetric::step, 130, reports);
  EXPECT_FALSE(worse.record);
  EXPECT_EQ(worse.previous, 120);
  const ScoreBook::Outcome better = book.record("cavel:A", MoveMetric::step, 116, reports);
  EXPECT_TRUE(better.record && better.saved);
  EXPECT_EQ(better.previous, 120);
  // Another metric, another layout: records of their own.
  EXPECT_TRUE(book.record("cavel:A", MoveMetric::path, 95, reports).record);
  EXPECT_TRUE(book.record("cavel:B", MoveMetric::step, 7, reports).record);
  EXPECT_TRUE(reports.empty());

  EXPECT_EQ(book.best("cavel:A", MoveMetric::step, reports), 116);
  EXPECT_EQ(book.best("cavel:A", MoveMetric::path, reports), 95);
  EXPECT_EQ(book.best("cavel:A", MoveMetric::line, reports), std::nullopt);
  EXPECT_EQ(entries(book.path()),
            (std::vector<std::string>{"cavel:A path 95", "cavel:A step 116", "cavel:B step 7"}));
  // Nothing left beside it but its lock.
  EXPECT_TRUE(exists(path("deep/er/scores.lock")));
  EXPECT_EQ(std::system(("test $(ls '" + path("deep/er") + "' | wc -l) -eq 2").c_str()), 0);
}

TEST_F(ScoreBookTest, ABadFileIsSetAsideAndPlayGoesOn) {
  const std::string scores = path("scores");
  const ScoreBook book(scores);
  const std::string bad[] = {
      "cavel:A step 116\ncavel:B pa",  // cut short
      "\x89PNG\r\n\x1a\n binary\n",    // garbage
      "cavel:A step many\n",           // no count
      "cavel:A walk 3\n",              // no metric
      "cavel:A step 3 extra\n",        // a word too many
  };
  int setAside = 0;
  for (const std::string& text : bad) {
    SCOPED_TRACE(text);
    write(scores, text);
    std::vector<ScoreReport> reports;
    EXPECT_EQ(book.best("cavel:A", MoveMetric::step, reports), std::nullopt);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].trouble, ScoreTrouble::setAside);
    const std::string expected =
        scores + ".bad" + (setAside == 0 ? "" : "-" + std::to_string(setAside + 1));
    EXPECT_EQ(reports[0].setAsideAs, expected);
    // Kept as it was, under its new name; earlier ones are not overwritten.
    EXPECT_EQ(read(expected), text);
    EXPECT_FALSE(exists(scores));
    EXPECT_NE(scoreTroubleLine(reports[0]).find(expected), std::string::npos);
    ++setAside;
  }
  // A folder where the file should be cannot be read either; the score
  // is written in its place.
  ASSERT_EQ(mkdir(scores.c_str(), 0700), 0);
  std::vector<ScoreReport> reports;
  const ScoreBook::Outcome outcome = book.record("cavel:A", MoveMetric::line, 40, reports);
  EXPECT_TRUE(outcome.record && outcome.saved);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].trouble, ScoreTrouble::setAside);
  EXPECT_EQ(entries(scores), std::vector<std::string>{"cavel:A line 40"});
  // Comments, blank lines and a repeated entry (the lower counts) are fine.
  write(scores, "# mine\n\ncavel:A line 40\ncavel:A line 30\n");
  reports.clear();
  EXPECT_EQ(book.best("cavel:A", MoveMetric::line, reports), 30);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ScoreBookTest, AScoreThatCannotBeWrittenLeavesTheFileAsItWas) {
  // The folder of the file is a file: nothing can be made there.
  write(path("folder"), "not a folder\n");
  const ScoreBook blocked(path("folder/scores"));
  std::vector<ScoreReport> reports;
  const ScoreBook::Outcome outcome = blocked.record("cavel:A", MoveMetric::step, 9, reports);
  EXPECT_TRUE(outcome.record);
  EXPECT_FALSE(outcome.saved);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].trouble, ScoreTrouble::notSaved);
  EXPECT_NE(scoreTroubleLine(reports[0]).find("not saved"), std::string::npos);
  EXPECT_EQ(read(path("folder")), "not a folder\n");
}

TEST_F(ScoreBookTest, ProgramsRecordingAtOnceKeepEveryScore) {
  // Each thread opens the file and its lock on its own, as a program would.
  const std::string scores = path("scores");
  constexpr int writers = 8;
  constexpr int rounds = 20;
  std::vector<std::thread> threads;
  for (int w = 0; w < writers; ++w) {
    threads.emplace_back([&scores, w] {
      const ScoreBook book(scores);
      for (int round = 0; round < rounds; ++round) {
        std::vector<ScoreReport> reports;
        const std::string code = "cavel:W" + std::to_string(w) + "R" + std::to_string(round);
        book.record(code, MoveMetric::path, 100 - round, reports);
        EXPECT_TRUE(reports.empty());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(entries(scores).size(), size_t(writers * rounds));
}
