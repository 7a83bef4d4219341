#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/Shelf.h"
#include "app/core/ShelfCursor.h"
#include "app/core/ShelfRow.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder of its own under the test's temporary folder.
fs::path freshFolder(const std::string& name) {
  const fs::path folder = fs::path(::testing::TempDir()) / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

void write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> namesOf(const Shelf& shelf) {
  std::vector<std::string> names;
  for (const Shelf::Entry& entry : shelf.entries) names.push_back(entry.name);
  return names;
}

// Where a cursor stands: the selected entry and the first one shown.
std::pair<size_t, size_t> place(const ShelfCursor& cursor) {
  return {cursor.selected(), cursor.first()};
}

}  // namespace

// Every ".txt" file directly in the folder, by name whatever the case of its
// letters, equal names by path; a file without a name goes by its file
// name; what is no puzzle is left off with its error.
TEST(ShelfTest, ReadsTheFolderSortedByNameAndLeavesOffWhatIsNoPuzzle) {
  const fs::path folder = freshFolder("cavel-shelf");
  const std::string layout = "size 4 3\npiece 0 0 0\n";
  write(folder / "a.txt", "name zeta\n" + layout + "count path 3\n");
  write(folder / "b.txt", "name Beta\n" + layout);
  write(folder / "c.txt", "name \xc9t\xe9\n" + layout);  // Été: after z in Latin-1
  write(folder / "d.txt", "name beta\n" + layout);
  write(folder / "alpha.txt", layout);
  write(folder / "e.txt", "name \xe9t\xe9 2\n" + layout);
  write(folder / "broken.txt", "size 4 3\npiece 0 3 0\n");
  write(folder / "notes.md", "name Not a puzzle\n" + layout);
  fs::create_directories(folder / "folder.txt");

  const Shelf shelf = readShelf(folder.string());
  EXPECT_EQ(namesOf(shelf), (std::vector<std::string>{"alpha", "Beta", "beta", "zeta", "\xc9t\xe9",
                                                      "\xe9t\xe9 2"}));
  EXPECT_EQ(shelf.entries[1].path, (folder / "b.txt").string());
  EXPECT_EQ(shelf.entries[3].board.size.width, 4);
  EXPECT_EQ(shelf.entries[3].board.pieceCount(), 1);
  EXPECT_EQ(shelf.entries[3].info.countIn(MoveMetric::path), 3);
  ASSERT_EQ(shelf.passedOver.size(), 1u);
  EXPECT_EQ(shelf.passedOver[0].path, (folder / "broken.txt").string());
  EXPECT_EQ(shelf.passedOver[0].error.line, 2);

  EXPECT_TRUE(readShelf((folder / "missing").string()).entries.empty());
  EXPECT_TRUE(readShelf((folder / "a.txt").string()).entries.empty());
}

// The install's folder before the source tree's; the working directory never.
TEST(ShelfTest, TheCollectionIsTheFirstProgramFolderThatHasOne) {
  const fs::path root = freshFolder("cavel-shelf-folders");
  fs::create_directories(root / "install");
  fs::create_directories(root / "source/puzzles/collection");
  fs::create_directories(root / "other/puzzles/collection");
  const std::string source = (root / "source").string();
  EXPECT_EQ(findShelfFolder({"", (root / "install").string(), source, (root / "other").string()}),
            (root / "source/puzzles/collection").string());
  EXPECT_EQ(findShelfFolder({"", (root / "install").string()}), std::nullopt);
  write(root / "install/puzzles", "a file, not a folder");
  EXPECT_EQ(findShelfFolder({(root / "install").string()}), std::nullopt);

  // The working directory's collection is passed over.
  const fs::path before = fs::current_path();
  fs::current_path(root / "other");
  fs::create_directories("puzzles/collection");
  EXPECT_EQ(findShelfFolder({""}), std::nullopt);
  fs::current_path(before);
}

// The collection as it is shipped: every file a puzzle, each with a count
// in every metric for the list to show.
TEST(ShelfTest, TheShippedCollectionReadsWhole) {
  const fs::path folder = fs::path(CAVEL_DATA_DIR) / "puzzles/collection";
  size_t files = 0;
  for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
    files += file.path().extension() == ".txt";
  }
  const Shelf shelf = readShelf(folder.string());
  EXPECT_TRUE(shelf.passedOver.empty());
  ASSERT_EQ(shelf.entries.size(), files);
  EXPECT_GE(files, 40u);
  for (size_t i = 0; i < shelf.entries.size(); ++i) {
    const Shelf::Entry& entry = shelf.entries[i];
    if (i > 0) {
      EXPECT_FALSE(shelfNameLess(entry.name, shelf.entries[i - 1].name)) << entry.path;
    }
    for (const MoveMetric metric : {MoveMetric::step, MoveMetric::line, MoveMetric::path}) {
      EXPECT_NE(shelfRow(entry, metric).count, "-") << entry.path;
    }
    EXPECT_EQ(shelfRow(entry, MoveMetric::step).name, entry.name) << "cut: " << entry.path;
  }
}

// The selection moves one entry or a page at a time and stops at either end;
// the rows shown follow it, scrolling no more than it takes.
TEST(ShelfTest, TheCursorScrollsToKeepTheSelectionShown) {
  ShelfCursor cursor(25, 10);
  EXPECT_EQ(cursor.shown(), 10u);
  cursor.moveBy(-1);
  EXPECT_EQ(place(cursor), std::make_pair(size_t{0}, size_t{0}));
  cursor.moveBy(9);
  EXPECT_EQ(place(cursor), std::make_pair(size_t{9}, size_t{0}));
  cursor.moveBy(1);
  EXPECT_EQ(place(cursor), std::make_pair(size_t{10}, size_t{1}));
  cursor.moveBy(-5);  // within the rows shown: no scroll
  EXPECT_EQ(place(cursor), std::make_pair(size_t{5}, size_t{1}));
  cursor.moveBy(100);
  EXPECT_EQ(place(cursor), std::make_pair(size_t{24}, size_t{15}));
  EXPECT_EQ(cursor.shown(), 10u);
  cursor.moveBy(-10);
  EXPECT_EQ(place(cursor), std::make_pair(size_t{14}, size_t{14}));
  cursor.moveBy(-100);
  EXPECT_EQ(place(cursor), std::make_pair(size_t{0}, size_t{0}));

  ShelfCursor few(3, 10);
  few.moveBy(5);
  EXPECT_EQ(place(few), std::make_pair(size_t{2}, size_t{0}));
  EXPECT_EQ(few.shown(), 3u);

  ShelfCursor none(0, 10);
  none.moveBy(1);
  none.moveBy(-1);
  EXPECT_EQ(place(none), std::make_pair(size_t{0}, size_t{0}));
  EXPECT_EQ(none.shown(), 0u);
}

// A row: the name cut to its column, the board's size, the count in the
// metric in force or "-" where the file has none.
TEST(ShelfTest, ARowShowsTheNameTheSizeAndTheCountInTheMetric) {
  Shelf::Entry entry{"x.txt", "Heng dao li ma (L'\xc2ne rouge)", BoardState(BoardSize{10, 8}), {}};
  entry.info.counts = {{MoveMetric::path, 81}, {MoveMetric::step, 116}};
  ShelfRow row = shelfRow(entry, MoveMetric::path);
  EXPECT_EQ(row.name, entry.name);
  EXPECT_EQ(row.size, "10x8");
  EXPECT_EQ(row.count, "81");
  EXPECT_EQ(shelfRow(entry, MoveMetric::step).count, "116");
  EXPECT_EQ(shelfRow(entry, MoveMetric::line).count, "-");
  EXPECT_EQ(shelfRow(entry, MoveMetric::path, 10).name, "Heng dao..");
  EXPECT_EQ(shelfRow(entry, MoveMetric::path, 28).name, entry.name);
  EXPECT_EQ(shelfRow(entry, MoveMetric::path, 27).name, "Heng dao li ma (L'\xc2ne rou..");
  EXPECT_EQ(shelfRow(entry, MoveMetric::path, 1).name, "H");
}
