// The layered search's contract beyond its answers (which SolverTest checks
// against the plain search): stopping, progress, the memory budget, spilling
// to files, and the boards whose keys need more than 64 bits.
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "oracle/TableSearch.h"
#include "search/Solver.h"
#include "search/layered/LayeredSearch.h"
#include "tests/support/TimeLimits.h"
#include "tests/model/TestBoards.h"
#include "tests/search/CrowdedBoards.h"

namespace {

using Clock = std::chrono::steady_clock;

// A 6 by 5 layout of twelve million positions: seconds of search.
BoardState longSearch() {
  return boardOf(
      6, 5,
      {pieceAt(0, 0, 1), pieceAt(3, 5, 2), pieceAt(3, 5, 0), pieceAt(10, 3, 2), pieceAt(2, 1, 4),
       pieceAt(2, 0, 0), pieceAt(1, 4, 2), pieceAt(2, 0, 3), pieceAt(9, 2, 0), pieceAt(1, 5, 4),
       pieceAt(1, 4, 1), pieceAt(1, 4, 4), pieceAt(3, 2, 2)});
}

int filesIn(const std::string& directory) {
  int count = 0;
  if (DIR* dir = opendir(directory.c_str())) {
    while (const dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
  }
  return count;
}

// A folder of this run's own: the same test run at once from another build
// must not remove it under this one's spill files.
std::string freshDirectory(const std::string& name) {
  std::string path = ::testing::TempDir() + name + "-XXXXXX";
  if (!mkdtemp(path.data())) ADD_FAILURE() << "cannot make a folder " << path;
  return path;
}

}  // namespace

// The stop and the reports are timed in processor time, the work the search
// does in between, which a machine busy with other tests does not stretch: a
// limit of L seconds on an idle machine is L of it for each thread. The wall
// clock only checks that the stop waits for nothing else.
TEST(LayeredSearchTest, StopsWithinAFifthOfASecondAndReportsProgressOften) {
  const double slowdown = sanitizerSlowdown();
  for (int threads : {1, 2}) {
    SCOPED_TRACE(threads);
    std::atomic<bool> stop{false};
    std::vector<double> reports;
    std::vector<uint64_t> counts;
    SolveOptions options;
    options.threads = threads;
    options.shouldStop = [&] { return stop.load(); };
    options.progress = [&](const SolveStats& stats) {
      reports.push_back(processSeconds());
      counts.push_back(stats.positions);
    };
    Clock::time_point asked;
    double askedWork = 0;
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(800));
      asked = Clock::now();
      askedWork = processSeconds();
      stop = true;
    });
    const SolveResult result = solveBoard(longSearch(), options);
    const double stopWork = processSeconds() - askedWork;
    const Clock::time_point returned = Clock::now();
    stopper.join();
    EXPECT_EQ(result.outcome, SolveOutcome::stopped);
    // 0.2 s asked; twice that as margin.
    EXPECT_LT(stopWork, 0.4 * threads * slowdown);
    EXPECT_LT(returned - asked, std::chrono::duration<double>(5.0 * slowdown));
    ASSERT_GE(reports.size(), 5u);
    for (size_t i = 1; i < reports.size(); ++i) {
      EXPECT_LT(reports[i] - reports[i - 1], 0.25 * threads * slowdown) << i;
      EXPECT_GE(counts[i], counts[i - 1]);
    }
    EXPECT_GT(counts.back(), 1000u);
  }
}

TEST(LayeredSearchTest, TheBudgetEndsTheSearchAndHoldsNothingBack) {
  SolveOptions tight;
  tight.memoryBudget = 2 << 20;
  const SolveResult result = solveBoard(longSearch(), tight);
  EXPECT_EQ(result.outcome, SolveOutcome::outOfMemory);
  EXPECT_LE(result.stats.peakBytes, tight.memoryBudget);
  EXPECT_GT(result.stats.positions, 1000u);
  EXPECT_TRUE(result.solution.moveLog().empty());
}

TEST(LayeredSearchTest, LayersInFilesAndInSegmentsGiveTheSameAnswer) {
  // The classic layout, whose answer is known: 116 moves.
  const BoardState classic = boardOf(
      5, 4,
      {pieceAt(0, 0, 1), pieceAt(2, 0, 3), pieceAt(2, 0, 0), pieceAt(2, 2, 3), pieceAt(2, 2, 0),
       pieceAt(3, 2, 1), pieceAt(1, 3, 2), pieceAt(1, 3, 1), pieceAt(1, 4, 3), pieceAt(1, 4, 0)});
  const SolveResult plain = solveBoard(classic);
  ASSERT_EQ(plain.outcome, SolveOutcome::solved);
  ASSERT_EQ(plain.solution.moveLog().size(), 116u);
  const std::string folder = freshDirectory("cavel-spill-test");
  for (int threads : {1, 2, 3}) {
    SolveOptions spilled;
    spilled.threads = threads;
    spilled.spillDirectory = folder;
    LayeredTuning segments;
    segments.childBufferBytes = 4096;  // many runs a layer, in files too
    const SolveResult result = solveByLayers(classic, spilled, segments);
    ASSERT_EQ(result.outcome, SolveOutcome::solved);
    EXPECT_EQ(result.solution.moveLog(), plain.solution.moveLog());
    EXPECT_EQ(result.stats.positions, plain.stats.positions);
    // Kept on disk, the layers hardly count against the memory.
    EXPECT_LT(result.stats.peakBytes, plain.stats.peakBytes + result.stats.storedBytes);
  }
  EXPECT_EQ(filesIn(folder), 0);  // nothing is left behind
  rmdir(folder.c_str());
}

TEST(LayeredSearchTest, ThreadsAgreeWhenTheLayerBeforeTheGoalStopsEarly) {
  // Layers of many blocks: the blocks near the goal are expanded first, on
  // every thread, and the search stops there in the last layer.
  const BoardState board =
      boardOf(5, 4,
              {pieceAt(0, 0, 1), pieceAt(2, 0, 3), pieceAt(2, 0, 0), pieceAt(3, 2, 1),
               pieceAt(1, 3, 2), pieceAt(1, 3, 1), pieceAt(1, 4, 3), pieceAt(1, 4, 0)});
  SolveOptions one;
  one.threads = 1;
  const SolveResult first = solveBoard(board, one);
  ASSERT_EQ(first.outcome, SolveOutcome::solved);
  ASSERT_GT(first.stats.positions, 100000u);
  EXPECT_EQ(first.solution.moveLog(), solveByTable(board, one).solution.moveLog());
  for (int threads : {2, 3}) {
    SCOPED_TRACE(threads);
    SolveOptions options;
    options.threads = threads;
    for (int round = 0; round < 3; ++round) {
      const SolveResult result = solveBoard(board, options);
      EXPECT_EQ(result.solution.moveLog(), first.solution.moveLog());
      EXPECT_EQ(result.stats.positions, first.stats.positions);
    }
  }
}

TEST(LayeredSearchTest, AFolderThatCannotBeWrittenIsReportedNotFatal) {
  SolveOptions options;
  options.spillDirectory = ::testing::TempDir() + "no-such-folder/below";
  const SolveResult result = solveBoard(longSearch(), options);
  EXPECT_EQ(result.outcome, SolveOutcome::spillFailed);
  EXPECT_NE(result.failure.find("no-such-folder"), std::string::npos) << result.failure;
}

TEST(LayeredSearchTest, CrowdedLargeBoardsAgreeWithTheTableSearch) {
  // 64 pieces on 10 by 8: the square, twelve bars of two and 51 single
  // cells around one free cell.
  BoardState full = boardOf(10, 8, {pieceAt(0, 0, 0)});
  for (int x = 2; x < 10; x += 2) full.placePiece(pieceAt(2, x, 0), -1);
  for (int x = 2; x < 10; x += 2) full.placePiece(pieceAt(2, x, 1), -1);
  for (int x = 0; x < 8; x += 2) full.placePiece(pieceAt(2, x, 2), -1);
  for (int cell = 28; cell < 79; ++cell) full.placePiece(pieceAt(1, cell % 10, cell / 10), -1);
  ASSERT_EQ(full.pieceCount(), 64);
  std::vector<BoardState> boards{full};
  // Boards filled with pieces of every shape, then opened by a few cells:
  // keys of more than 64 bits, and of more than 128.
  std::mt19937 random(3);
  auto below = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  while (boards.size() < 30) {
    BoardState board = boardOf(10, 8, {pieceAt(0, below(9), below(7))});
    for (int attempt = 0; attempt < 3000; ++attempt) {
      const Piece piece = pieceAt(2 + below(17), below(10), below(8));
      if (board.canPlace(piece, -1)) board.placePiece(piece, -1);
    }
    for (int cell = 0; cell < 80; ++cell) {
      const Piece single = pieceAt(1, cell % 10, cell / 10);
      if (board.canPlace(single, -1)) board.placePiece(single, -1);
    }
    int freed = 0;
    for (int i = board.pieceCount() - 1; i > 0 && freed < 2 + static_cast<int>(boards.size() % 3);
         --i) {
      if (board.pieces[i].cellCount() > 2) continue;
      freed += board.pieces[i].cellCount();
      board.pieces.erase(board.pieces.begin() + i);
    }
    if (board.pieceCount() <= 64) boards.push_back(board);
  }
  for (const MoveMetric metric : {MoveMetric::step, MoveMetric::line, MoveMetric::path}) {
    for (const BoardState& board : boards) {
      SCOPED_TRACE(testing::Message()
                   << board.pieceCount() << " pieces, metric " << static_cast<int>(metric));
      SolveOptions guarded;
      guarded.metric = metric;
      const SolveResult table = solveByTable(board, guarded);
      // A search that loses positions need not end: stopped once it counts
      // twice the positions there are, it fails instead of hanging.
      uint64_t counted = 0;
      guarded.progress = [&counted](const SolveStats& stats) { counted = stats.positions; };
      guarded.shouldStop = [&] { return counted > 2 * table.stats.positions + 1000; };
      const SolveResult layered = solveBoard(board, guarded);
      ASSERT_EQ(layered.outcome, table.outcome);
      EXPECT_EQ(layered.solution.moveLog(), table.solution.moveLog());
      EXPECT_EQ(layered.stepsPerMove, table.stepsPerMove);
      EXPECT_GT(layered.stats.positions, 0u);
      // The widest keys, even where narrower ones fit: 64 pieces among them.
      LayeredTuning widest;
      widest.keys = LayerKeys::widest;
      const SolveResult wide = solveByLayers(board, guarded, widest);
      ASSERT_EQ(wide.outcome, table.outcome);
      EXPECT_EQ(wide.solution.moveLog(), table.solution.moveLog());
      EXPECT_EQ(wide.stepsPerMove, table.stepsPerMove);
      EXPECT_EQ(wide.stats.keyWords, 3);
    }
  }
}

// Slides and walks on layouts of thousands to a few hundred thousand
// positions, as large puzzles run them: the same answers as the table search
// on one to three threads, with their layers in segments or in files, and
// within a budget that lets them end.
TEST(LayeredSearchTest, SlidesAndWalksAgreeWithTheTableSearchOnLargerLayouts) {
  std::mt19937 random(29);
  auto below = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  const std::string folder = freshDirectory("cavel-metrics-test");
  int compared = 0;
  // Under a sanitizer a quarter of them: as many metrics and sizes, the time
  // of the plain build's whole set.
  const int toCompare = sanitizerSlowdown() > 1 ? 6 : 24;
  for (int tries = 0; compared < toCompare && tries < 400; ++tries) {
    const MoveMetric metric = tries % 2 == 0 ? MoveMetric::line : MoveMetric::path;
    BoardState board = boardOf(5 + below(3), 4 + below(2), {pieceAt(0, below(3), below(3))});
    const int shapes[] = {1, 1, 2, 3, 4, 8, 9, 10, 11, 14, 5, 6};
    for (int attempt = 0; attempt < 60 && board.pieceCount() < 9 + below(5); ++attempt) {
      const Piece piece =
          pieceAt(shapes[below(12)], below(board.size.width), below(board.size.height));
      if (board.canPlace(piece, -1)) board.placePiece(piece, -1);
    }
    SolveOptions options;
    options.metric = metric;
    options.memoryBudget = size_t{64} << 20;
    uint64_t counted = 0;
    options.progress = [&counted](const SolveStats& stats) { counted = stats.positions; };
    options.shouldStop = [&counted] { return counted > 300000; };  // too long a test
    const SolveResult table = solveByTable(board, options);
    options.progress = nullptr;
    options.shouldStop = nullptr;
    if (table.outcome == SolveOutcome::stopped || table.stats.positions < 3000) continue;
    ++compared;
    SCOPED_TRACE(testing::Message() << "layout " << tries << ", " << table.stats.positions
                                    << " positions, metric " << static_cast<int>(metric));
    for (int threads : {1, 2, 3}) {
      SCOPED_TRACE(threads);
      options.threads = threads;
      options.spillDirectory = threads == 2 ? folder : "";
      LayeredTuning tuning;
      tuning.childBufferBytes = threads == 3 ? size_t{1} << 20 : 0;  // layers in segments
      const SolveResult layered = solveByLayers(board, options, tuning);
      ASSERT_EQ(layered.outcome, table.outcome);
      EXPECT_EQ(layered.solution.moveLog(), table.solution.moveLog());
      EXPECT_EQ(layered.stepsPerMove, table.stepsPerMove);
    }
  }
  EXPECT_GE(compared, toCompare * 5 / 6);
  EXPECT_EQ(filesIn(folder), 0);
  rmdir(folder.c_str());
}

TEST(LayeredSearchTest, ThreeWordKeysAgreeWithTheTableSearchInEveryWayTheyRun) {
  const std::string folder = freshDirectory("cavel-wide-spill");
  std::mt19937 random(27);
  int boards = 0, solved = 0, withinBudget = 0, pastBudget = 0;
  // Under a sanitizer half of them, every metric still twice.
  const int boardCount = sanitizerSlowdown() > 1 ? 6 : 12;
  while (boards < boardCount) {
    // Every metric in turn.
    const MoveMetric metric = static_cast<MoveMetric>(boards % 3);
    const BoardState board = crowdedBoard(random, 3 + boards % 4);
    // Boards of a few thousand positions to a few hundred thousand: layers
    // of many blocks, done in segments when asked, yet quick to check. The
    // budget cuts the others short.
    SolveOptions bounded;
    bounded.metric = metric;
    bounded.threads = 2;
    // A slide or a walk reaches more positions from each one, and holds
    // them at once: its budget is larger for as many positions.
    bounded.memoryBudget = size_t{3} << (19 + 2 * static_cast<int>(metric));
    const SolveResult first = solveBoard(board, bounded);
    if (first.stats.keyWords != 3 || first.outcome == SolveOutcome::outOfMemory ||
        first.stats.positions < 2000) {
      continue;
    }
    ++boards;
    SCOPED_TRACE(testing::Message()
                 << "board " << boards << ", metric " << static_cast<int>(metric));
    SolveOptions plain;
    plain.metric = metric;
    const SolveResult table = solveByTable(board, plain);
    ASSERT_EQ(first.outcome, table.outcome);
    ASSERT_EQ(first.solution.moveLog(), table.solution.moveLog());
    solved += table.outcome == SolveOutcome::solved;
    for (int threads : {1, 2, 3}) {
      SCOPED_TRACE(threads);
      SolveOptions options;
      options.metric = metric;
      options.threads = threads;
      LayeredTuning tuning;
      tuning.lookAhead = threads == 1 ? LookAhead::never : LookAhead::always;
      if (threads == 3) {
        options.spillDirectory = folder;
        // Several runs a layer, in files; as many for every metric.
        tuning.childBufferBytes = size_t{64} << (10 + 2 * static_cast<int>(metric));
        tuning.backMoveBytes = 1 + boards % 4;
      }
      const SolveResult layered = solveByLayers(board, options, tuning);
      ASSERT_EQ(layered.outcome, table.outcome) << layered.failure;
      EXPECT_EQ(layered.solution.moveLog(), table.solution.moveLog());
      EXPECT_EQ(layered.stepsPerMove, table.stepsPerMove);
      EXPECT_EQ(layered.stats.keyWords, 3);
    }
    // A small budget: the same answer when the search ends within it.
    SolveOptions small;
    small.metric = metric;
    small.memoryBudget = size_t{1} << 20;
    const SolveResult tight = solveBoard(board, small);
    EXPECT_LE(tight.stats.peakBytes, small.memoryBudget);
    if (tight.outcome == SolveOutcome::outOfMemory) {
      ++pastBudget;
      continue;
    }
    ++withinBudget;
    ASSERT_EQ(tight.outcome, table.outcome);
    EXPECT_EQ(tight.solution.moveLog(), table.solution.moveLog());
  }
  // The whole draw covers what it is meant for (the sanitized builds' half
  // of it need not).
  if (boardCount == 12) {
    EXPECT_GE(solved, 3);
    EXPECT_LE(solved, boards - 3);
    EXPECT_GE(withinBudget, 3);
    EXPECT_GE(pastBudget, 1);
  }
  EXPECT_EQ(filesIn(folder), 0);
  rmdir(folder.c_str());
}

TEST(LayeredSearchTest, PositionsTakeAFewBytes) {
  // A million positions stored are enough to judge.
  uint64_t stored = 0, positions = 0;
  SolveOptions bounded;
  std::atomic<bool> enough{false};
  bounded.shouldStop = [&] { return enough.load(); };
  bounded.progress = [&](const SolveStats& stats) {
    stored = stats.storedBytes;
    positions = stats.positions;
    if (positions > 1000000) enough = true;
  };
  solveBoard(longSearch(), bounded);
  ASSERT_GT(positions, 1000000u);
  EXPECT_LT(static_cast<double>(stored) / positions, 3.0);
}

// What a caller's callback throws, on whatever thread of the search, ends
// the search with a failure: the memory outcome for an allocation, the
// failure with its message otherwise; never the process.
TEST(LayeredSearchTest, ACallbackThatThrowsEndsTheSearchNotTheProcess) {
  for (const MoveMetric metric : {MoveMetric::step, MoveMetric::path}) {
    for (int threads : {1, 2}) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(metric) << " " << threads);
      SolveOptions options;
      options.metric = metric;
      options.threads = threads;
      options.progress = [](const SolveStats& stats) {
        if (stats.positions > 1000) throw std::bad_alloc();
      };
      EXPECT_EQ(solveBoard(longSearch(), options).outcome, SolveOutcome::outOfMemory);
      options.progress = [](const SolveStats& stats) {
        if (stats.positions > 1000) throw std::runtime_error("the caller gave up");
      };
      const SolveResult result = solveBoard(longSearch(), options);
      EXPECT_EQ(result.outcome, SolveOutcome::failed);
      EXPECT_EQ(result.failure, "the caller gave up");
    }
  }
}
