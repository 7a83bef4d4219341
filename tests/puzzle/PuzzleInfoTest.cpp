#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "puzzle/PuzzleFile.h"

namespace {

// The line and message of the error that `text` gives, or line -1 if it parses.
PuzzleError errorOf(const std::string& text) {
  PuzzleError error;
  PuzzleInfo info;
  if (parsePuzzle(text, info, error)) error.line = -1;
  return error;
}

}  // namespace

TEST(PuzzleInfoTest, ReadsEveryItemAroundTheLayoutAndKeepsHashesInTexts) {
  const std::string text =
      "# The classic, turned\n"
      "name L'\xc2ne rouge  \r\n"  // Latin-1, trailing spaces and CR dropped
      "source http://example.org/hrd/1/#levels   \n"
      "published 81 path   # a comment\n"
      "size 5 4\n"
      "piece 0 0 1\n"
      "note  turned so that the exit is on the right # not a comment\n"
      "count path 81\n"
      "count step 116\n"
      "\tcount line 90\n"
      "positions 25955\n"
      "piece 1 4 0\n"
      "note#second\n";
  PuzzleError error;
  PuzzleInfo info;
  const std::optional<BoardState> board = parsePuzzle(text, info, error);
  ASSERT_TRUE(board) << error.line << ": " << error.message;
  EXPECT_EQ(board->pieceCount(), 2);
  EXPECT_EQ(info.name, "L'\xc2ne rouge");
  EXPECT_EQ(info.source, "http://example.org/hrd/1/#levels");
  ASSERT_TRUE(info.published);
  EXPECT_EQ(info.published->moves, 81);
  EXPECT_EQ(info.published->metric, MoveMetric::path);
  ASSERT_EQ(info.counts.size(), 3u);
  EXPECT_EQ(info.counts[0].metric, MoveMetric::path);
  EXPECT_EQ(info.countIn(MoveMetric::step), 116);
  EXPECT_EQ(info.countIn(MoveMetric::line), 90);
  EXPECT_EQ(info.countIn(MoveMetric::path), 81);
  EXPECT_EQ(info.positions, 25955);
  ASSERT_EQ(info.notes.size(), 2u);
  EXPECT_EQ(info.notes[0], "turned so that the exit is on the right # not a comment");
  EXPECT_EQ(info.notes[1], "#second");
  EXPECT_FALSE(info.empty());

  // The writer keeps the layout alone, and the old reader takes the file too.
  EXPECT_EQ(formatPuzzle(*board), "size 5 4\npiece 0 0 1\npiece 1 4 0\n");
  PuzzleError plainError;
  EXPECT_TRUE(parsePuzzle(text, plainError));

  // Counts as large as any set of positions may grow.
  PuzzleInfo large;
  ASSERT_TRUE(parsePuzzle("size 4 3\npiece 0 0 0\npositions 999999999999999999\ncount step 0\n",
                          large, error))
      << error.message;
  EXPECT_EQ(large.positions, 999999999999999999);
  EXPECT_EQ(large.countIn(MoveMetric::step), 0);
  EXPECT_EQ(large.countIn(MoveMetric::line), std::nullopt);
  EXPECT_TRUE(large.name.empty());
  EXPECT_TRUE(large.notes.empty());
}

TEST(PuzzleInfoTest, LayoutsWithoutItemsHaveNoInfo) {
  PuzzleError error;
  PuzzleInfo info;
  info.name = "stale";
  ASSERT_TRUE(parsePuzzle("size 4 3\npiece 0 0 0\n", info, error)) << error.message;
  EXPECT_TRUE(info.empty());

  // A file that cannot be read leaves the info as it was.
  info.name = "kept";
  EXPECT_FALSE(parsePuzzle("name other\nsize 4 3\n", info, error));
  EXPECT_EQ(info.name, "kept");
}

TEST(PuzzleInfoTest, EachMalformedItemNamesItsLine) {
  const std::string layout = "size 4 3\npiece 0 0 0\n";
  const struct {
    std::string lines;  // after the layout's two lines
    int line;
    const char* message;
  } cases[] = {
      {"name\n", 3, "expected 'name TEXT'"},
      {"source   \r\n", 3, "expected 'source TEXT'"},
      {"name a\nname b\n", 4, "a second 'name' line"},
      {"source a\nsource a\n", 4, "a second 'source' line"},
      {"name tab\there\n", 3,
       "the text holds the control byte 0x09; it must be Latin-1 without control characters"},
      {"note \xc3\x82ne\n", 3,  // UTF-8 'Â': its second byte is a C1 control in Latin-1
       "the text holds the control byte 0x82; it must be Latin-1 without control characters"},
      {"name \x7f\n", 3,
       "the text holds the control byte 0x7F; it must be Latin-1 without control characters"},
      {"published 81\n", 3, "expected 'published N METRIC'"},
      {"published 81 path extra\n", 3, "expected 'published N METRIC'"},
      {"published path 81\n", 3, "bad number 'path'"},
      {"published 81 moves\n", 3, "unknown metric 'moves'; a metric is step, line or path"},
      {"published -1 step\n", 3, "bad number '-1'"},
      {"published 1 step\npublished 2 line\n", 4, "a second 'published' line"},
      {"count 90 line\n", 3, "unknown metric '90'; a metric is step, line or path"},
      {"count line\n", 3, "expected 'count METRIC N'"},
      {"count Line 90\n", 3, "unknown metric 'Line'; a metric is step, line or path"},
      {"count line 1000000000000000000\n", 3, "number too large '1000000000000000000'"},
      {"count line 90\ncount step 1\ncount line 90\n", 5,
       "a second 'count' line for the line metric"},
      {"positions\n", 3, "expected 'positions N'"},
      {"positions 0\n", 3, "positions must be 1 or more: the set holds the layout itself"},
      {"positions 12x\n", 3, "bad number '12x'"},
      {"positions 5 # five\npositions 5\n", 4, "a second 'positions' line"},
      {"Name x\n", 3, "unknown word 'Name'"},
      {"names x\n", 3, "unknown word 'names'"},
  };
  for (const auto& c : cases) {
    const PuzzleError error = errorOf(layout + c.lines);
    EXPECT_EQ(error.line, c.line) << c.lines;
    EXPECT_EQ(error.message.substr(0, std::string(c.message).size()), c.message) << c.lines;
  }
  // A NUL byte, which the table's texts cannot hold.
  EXPECT_EQ(errorOf(layout + std::string("note a\0b\n", 9)).message,
            "the text holds the control byte 0x00; it must be Latin-1 without control characters");
  // Before the size line, items are read as they come, and errors name their line.
  EXPECT_EQ(errorOf("count step x\n" + layout).line, 1);
  EXPECT_EQ(errorOf("name a\n" + layout + "name b\n").line, 4);
}
