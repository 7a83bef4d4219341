// The compact keys of every width: a child's key computed from its parent's
// is the key of the moved position, whatever the move's length; decoding
// gives the position back, also when a sorted run reuses what it decoded;
// and no layout needs more than three words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "search/layered/BackMoves.h"
#include "search/layered/keys/CompactCodec.h"
#include "search/layered/keys/KeyCoding.h"
#include "tests/model/TestBoards.h"
#include "tests/search/CrowdedBoards.h"

namespace {

// A random layout of `pieces` pieces drawn from `shapes`, the square first.
BoardState randomBoard(std::mt19937& random, BoardSize size, int pieces,
                       std::initializer_list<int> shapes) {
  const std::vector<int> choice(shapes);
  auto below = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  BoardState board(size);
  for (int attempt = 0; attempt < 5000 && board.pieceCount() < pieces; ++attempt) {
    const int shape = board.pieceCount() == 0 ? 0 : choice[below(static_cast<int>(choice.size()))];
    const Piece piece = pieceAt(shape, below(size.width), below(size.height));
    if (board.canPlace(piece, -1)) board.placePiece(piece, -1);
  }
  return board;
}

std::vector<uint8_t> cellsOf(const BoardState& board) {
  std::vector<uint8_t> cells;
  for (const Piece& p : board.pieces)
    cells.push_back(static_cast<uint8_t>(p.y() * board.size.width + p.x()));
  return cells;
}

// Every legal move of every piece: the child's key computed from the parent's
// equals the key of the moved position, and decoding gives the position back
// up to exchanges of equal pieces.
template <typename Codec, typename CellMask>
void checkCodec(const BoardState& board, const BoardGeometry<CellMask>& tables,
                const Codec& codec) {
  const PieceGroups groups(board);
  std::vector<uint8_t> cells = cellsOf(board);
  typename Codec::Decoded d;
  const auto key = codec.encode(cells.data());
  codec.decode(key, d);
  // The decoded pieces are the board's, group by group.
  for (int g = 0; g < groups.groupCount; ++g) {
    std::multiset<int> decoded, placed;
    for (int k = groups.groups[g].first; k < groups.groups[g].first + groups.groups[g].count; ++k) {
      decoded.insert(d.cell[k]);
    }
    for (int i = 0; i < board.pieceCount(); ++i) {
      if ((i == 0 ? 0 : groups.groupOfLabel[i]) == g) placed.insert(cells[i]);
    }
    ASSERT_EQ(decoded, placed) << "group " << g;
  }
  for (int k = 0; k < groups.pieceCount; ++k) {
    const int shape = groups.shapeOf[k];
    const CellMask others = d.occupied & ~tables.mask[shape][d.cell[k]];
    // Every origin the other pieces leave the piece: one step away, and
    // further, as a move of several cells takes it.
    for (int to = 0; to < board.size.cellCount(); ++to) {
      if (to == d.cell[k] || tables.mask[shape][to] == 0 ||
          (tables.mask[shape][to] & others) != 0) {
        continue;
      }
      // The labelled piece standing where canonical piece k stands.
      std::vector<uint8_t> moved = cells;
      for (int i = 0; i < board.pieceCount(); ++i) {
        if (moved[i] == d.cell[k] && board.pieces[i].shapeIndex() == shape &&
            (i == 0) == (k == 0)) {
          moved[i] = static_cast<uint8_t>(to);
          break;
        }
      }
      int movedTo = -1;
      const auto child = codec.childKey(d, k, static_cast<uint8_t>(to), movedTo);
      ASSERT_TRUE(child == codec.encode(moved.data())) << "piece " << k << " to " << to;
      // The moved piece's canonical index in the child: where `to` decodes.
      typename Codec::Decoded after;
      codec.decode(child, after);
      ASSERT_EQ(after.cell[movedTo], to);
      ASSERT_EQ(groups.groupOf[movedTo], groups.groupOf[k]);
    }
  }
}

// All the positions `depth` moves from `board` or nearer, decoded in key
// order by one reused state, each against a fresh decoding; returns how many.
template <typename Key, typename CellMask>
size_t checkSortedRunDecoding(const BoardState& board, int depth) {
  const auto tables = std::make_unique<BoardGeometry<CellMask>>(board.size);
  const PieceGroups groups(board);
  MemoryBudget budget(size_t{1} << 30);
  using Codec = CompactCodec<Key, CellMask>;
  const auto codec = std::make_unique<Codec>(groups, *tables, budget);
  EXPECT_TRUE(codec->fits());
  std::vector<Key> keys{codec->encode(cellsOf(board).data())};
  for (int moves = 0; moves < depth; ++moves) {
    const std::vector<Key> parents = keys;
    for (const Key& key : parents) {
      typename Codec::Decoded d;
      codec->decode(key, d);
      for (int k = 0; k < groups.pieceCount; ++k) {
        const int shape = groups.shapeOf[k];
        for (int dir = 0; dir < moveDirectionCount; ++dir) {
          if ((tables->entered[shape][d.cell[k]][dir] & d.occupied) != 0) continue;
          int movedTo;
          keys.push_back(codec->childKey(d, k, tables->step[shape][d.cell[k]][dir], movedTo));
        }
      }
    }
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  typename Codec::Decoded reused;
  for (const Key& key : keys) {
    typename Codec::Decoded fresh;
    codec->decode(key, reused);
    codec->decode(key, fresh);
    EXPECT_EQ(reused.occupied, fresh.occupied);
    for (int k = 0; k < groups.pieceCount; ++k) EXPECT_EQ(reused.cell[k], fresh.cell[k]);
    for (int k = 0; k < groups.pieceCount; ++k) {
      const int shape = groups.shapeOf[k];
      for (int dir = 0; dir < moveDirectionCount; ++dir) {
        if ((tables->entered[shape][fresh.cell[k]][dir] & fresh.occupied) != 0) continue;
        const uint8_t to = tables->step[shape][fresh.cell[k]][dir];
        int a, b;
        EXPECT_TRUE(codec->childKey(reused, k, to, a) == codec->childKey(fresh, k, to, b));
        EXPECT_EQ(a, b);
      }
    }
    if (::testing::Test::HasFailure()) return 0;
  }
  return keys.size();
}

// The most bits a key of a board of `size` could take: the product of the
// radices of the digits, at its largest over every choice of pieces (their
// numbers by shape, 64 at most and of as many cells as the board has), as if
// any such pieces fitted together.
double mostKeyBits(BoardSize size) {
  const auto geometry = std::make_unique<BoardGeometry<CellMask128>>(size);
  const auto log2Choose = [](int n, int k) {
    return (std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0)) / std::log(2.0);
  };
  int origins[shapeCount] = {};
  for (int s = 0; s < shapeCount; ++s) {
    for (int c = 0; c < size.cellCount(); ++c) origins[s] += geometry->mask[s][c] != 0;
  }
  const int cells = size.cellCount();
  // best[c][p]: the most bits of the groups ranked among origins (all but
  // piece 0 and the single cells) with c cells and p pieces in all.
  std::vector<std::vector<double>> best(cells + 1, std::vector<double>(65, -1.0));
  best[0][0] = 0;
  for (int s = 0; s < shapeCount; ++s) {
    if (s == singleCellShape) continue;
    const int shapeCells = catalogShape(s).cellCount;
    std::vector<std::vector<double>> next = best;
    for (int c = 0; c <= cells; ++c) {
      for (int p = 0; p <= 64; ++p) {
        if (best[c][p] < 0) continue;
        for (int n = 1; p + n <= 64 && c + n * shapeCells <= cells && n <= origins[s]; ++n) {
          double& to = next[c + n * shapeCells][p + n];
          to = std::max(to, best[c][p] + log2Choose(origins[s], n));
        }
      }
    }
    best = next;
  }
  double most = 0;
  for (int zero = 0; zero < shapeCount; ++zero) {
    const int zeroCells = catalogShape(zero).cellCount;
    for (int c = 0; c + zeroCells <= cells; ++c) {
      for (int p = 0; p < 64; ++p) {
        if (best[c][p] < 0) continue;
        const int free = cells - c - zeroCells;
        for (int singles = 0; singles <= free && p + 1 + singles <= 64; ++singles) {
          most = std::max(most, std::log2(origins[zero]) + best[c][p] + log2Choose(free, singles));
        }
      }
    }
  }
  return most;
}

}  // namespace

TEST(PositionCodecTest, ChildKeysAndDecodingAgreeWithEncoding) {
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    const BoardSize size{2 + static_cast<int>(random() % 7), 3 + static_cast<int>(random() % 4)};
    const BoardState board = randomBoard(random, size, 1 + static_cast<int>(random() % 14),
                                         {1, 1, 1, 2, 3, 4, 8, 14, 0});
    SCOPED_TRACE(round);
    const auto tables = std::make_unique<BoardGeometry<uint64_t>>(size);
    const PieceGroups groups(board);
    MemoryBudget budget(size_t{1} << 30);
    const auto compact =
        std::make_unique<CompactCodec<uint64_t, uint64_t>>(groups, *tables, budget);
    ASSERT_TRUE(compact->fits());
    checkCodec(board, *tables, *compact);
    const auto wide = std::make_unique<CompactCodec<Key128, uint64_t>>(groups, *tables, budget);
    checkCodec(board, *tables, *wide);
    const auto widest = std::make_unique<CompactCodec<Key192, uint64_t>>(groups, *tables, budget);
    checkCodec(board, *tables, *widest);
  }
}

TEST(PositionCodecTest, DecodingASortedRunReusesOnlyWhatIsUnchanged) {
  std::mt19937 random(11);
  size_t decoded = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    const BoardSize size{5 + static_cast<int>(random() % 4), 4 + static_cast<int>(random() % 3)};
    const BoardState board =
        randomBoard(random, size, 8 + static_cast<int>(random() % 8), {1, 1, 1, 2, 3, 4, 14, 8});
    decoded += checkSortedRunDecoding<uint64_t, uint64_t>(board, 2);
    if (HasFailure()) return;
  }
  EXPECT_GT(decoded, 1000u);
}

TEST(PositionCodecTest, CrowdedLargestBoardsTakeThreeWords) {
  std::mt19937 random(17);
  size_t decoded = 0;
  int boards = 0;
  for (int round = 0; boards < 12; ++round) {
    SCOPED_TRACE(round);
    const BoardState board = crowdedBoard(random, 4 + round % 4);
    const auto tables = std::make_unique<BoardGeometry<CellMask128>>(board.size);
    const PieceGroups groups(board);
    MemoryBudget budget(size_t{1} << 30);
    if (std::make_unique<CompactCodec<Key128, CellMask128>>(groups, *tables, budget)->fits()) {
      continue;
    }
    ++boards;
    const auto widest =
        std::make_unique<CompactCodec<Key192, CellMask128>>(groups, *tables, budget);
    ASSERT_TRUE(widest->fits());
    EXPECT_GT(widest->keyBits(), 128);
    checkCodec(board, *tables, *widest);
    decoded += checkSortedRunDecoding<Key192, CellMask128>(board, 6);
    if (HasFailure()) return;
  }
  EXPECT_GT(decoded, 1000u);
}

TEST(PositionCodecTest, EveryLayoutOfTheLargestBoardFitsThreeWordsWithItsBackMoves) {
  const double bits = mostKeyBits(BoardSize{maxBoardWidth, maxBoardHeight});
  EXPECT_GT(bits, 128);  // the bound is not trivially small
  EXPECT_LE(std::ceil(bits) + 8 * maxBackBytes, 8 * sizeof(Key192));
}
