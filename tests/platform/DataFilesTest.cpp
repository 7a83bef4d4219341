#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/DataFiles.h"

namespace {

using Folders = std::vector<std::string>;

}  // namespace

// The working directory, then the install's folder beside the program's,
// then the source tree's data/ for a program inside the build tree alone.
TEST(DataFilesTest, FoldersFollowTheProgram) {
  const std::filesystem::path root = std::filesystem::path(::testing::TempDir()) / "cavel-data";
  const std::string build = (root / "build").string();
  std::filesystem::create_directories(root / "build" / "tests");
  const std::string source = "/src/data";
  const std::string fromBin = "../share/cavel";

  EXPECT_EQ(dataFolders("/opt/cavel/bin/cavel", fromBin, build, source),
            (Folders{"", "/opt/cavel/share/cavel"}));
  EXPECT_EQ(dataFolders(build + "/cavel", fromBin, build, source),
            (Folders{"", (root / "share/cavel").string(), source}));
  EXPECT_EQ(dataFolders(build + "/tests/cavel-leakcheck", fromBin, build, source),
            (Folders{"", (root / "build/share/cavel").string(), source}));
  // A folder whose name merely begins like the build tree's is outside it.
  EXPECT_EQ(dataFolders(build + "2/cavel", fromBin, build, source).size(), 2u);
  EXPECT_EQ(dataFolders("", fromBin, build, source), (Folders{""}));
  EXPECT_EQ(describeFolders({"", "/opt/cavel/share/cavel"}),
            "the working directory, /opt/cavel/share/cavel");
}

TEST(DataFilesTest, TheFirstFolderThatHoldsTheFileWins) {
  const std::filesystem::path root = std::filesystem::path(::testing::TempDir()) / "cavel-find";
  std::filesystem::remove_all(root);
  for (const char* folder : {"a", "b", "c"}) std::filesystem::create_directories(root / folder);
  std::ofstream(root / "b" / "font.bmp") << "b";
  std::ofstream(root / "c" / "font.bmp") << "c";
  const Folders folders = {(root / "a").string(), (root / "b").string(), (root / "c").string()};

  EXPECT_EQ(findDataFile("font.bmp", folders), (root / "b" / "font.bmp").string());
  EXPECT_EQ(findDataFile("icon.bmp", folders), std::nullopt);
  // The working directory gives the bare name.
  std::filesystem::current_path(root / "c");
  EXPECT_EQ(findDataFile("font.bmp", {"", (root / "b").string()}), "font.bmp");
  // Every folder's in order, for a caller that passes over what it cannot
  // use: a folder of that name too.
  std::filesystem::create_directories(root / "a" / "font.bmp");
  EXPECT_EQ(findDataFiles("font.bmp", folders),
            (Folders{(root / "a" / "font.bmp").string(), (root / "b" / "font.bmp").string(),
                     (root / "c" / "font.bmp").string()}));
  EXPECT_EQ(findDataFiles("icon.bmp", folders), Folders{});
  std::filesystem::remove_all(root);
}
