#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/FatalError.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// Each case ends its process, so each runs in a child of its own. Without a
// display no box can be shown, and its text goes to standard error instead.
TEST(FatalErrorDeathTest, AMissingFileIsReportedInFullAndEndsWithMinusOne) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  const std::string out = ::testing::TempDir() + "cavel-missing-file.out";
  const std::string missing = ::testing::TempDir() + "no-such-" + std::string(600, 'x') + ".bmp";
  const std::string message = "Erreur : Le fichier " + missing + " requis n'existe pas !!";
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        if (!std::freopen(out.c_str(), "w", stdout)) std::abort();
        abortMissingFile(missing);
      },
      ::testing::ExitedWithCode(255), "Erreur : Le fichier .*x\\.bmp requis n'existe pas !!");
  EXPECT_EQ(readFile(out), message + "\n");
  std::remove(out.c_str());
}

// Standard error gets the message too, and the note after it; a file that
// is there but cannot be loaded is said to be unreadable, not missing.
TEST(FatalErrorDeathTest, AFileThatExistsIsReportedOnBothStreams) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  const std::string path = ::testing::TempDir() + "cavel-not-a-bitmap.bmp";
  std::ofstream(path) << "plain text, no bitmap";
  const std::string out = path + ".out";
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        if (!std::freopen(out.c_str(), "w", stdout)) std::abort();
        abortMissingFile(path, "cavel: no bitmap");
      },
      ::testing::ExitedWithCode(255),
      "^Erreur : Le fichier .*cavel-not-a-bitmap.bmp requis ne peut pas .tre lu !!\n"
      "cavel: no bitmap\n$");
  EXPECT_EQ(readFile(out), "Erreur : Le fichier " + path + " requis ne peut pas \xeatre lu !!\n");
  std::remove(path.c_str());
  std::remove(out.c_str());
}

TEST(FatalErrorDeathTest, OtherErrorsGoWhereTheyAreSentWithTheirStatus) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(exitWithError(1, "cavel: cannot open a window: no display", stderr),
              ::testing::ExitedWithCode(1), "^cavel: cannot open a window: no display\n$");
}
