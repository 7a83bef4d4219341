#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>

#include "search/layered/keys/ByteCodec.h"
#include "search/layered/keys/CompactCodec.h"
#include "tests/model/TestBoards.h"

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
    for (int dir = 0; dir < moveDirectionCount; ++dir) {
      if ((tables.entered[shape][d.cell[k]][dir] & d.occupied) != 0) continue;
      const uint8_t to = tables.step[shape][d.cell[k]][dir];
      // The labelled piece standing where canonical piece k stands.
      std::vector<uint8_t> moved = cells;
      for (int i = 0; i < board.pieceCount(); ++i) {
        if (moved[i] == d.cell[k] && board.pieces[i].shapeIndex() == shape &&
            (i == 0) == (k == 0)) {
          moved[i] = to;
          break;
        }
      }
      int movedTo = -1;
      const auto child = codec.childKey(d, k, to, movedTo);
      ASSERT_TRUE(child == codec.encode(moved.data())) << "piece " << k;
      // The moved piece's canonical index in the child: where `to` decodes.
      typename Codec::Decoded after;
      codec.decode(child, after);
      ASSERT_EQ(after.cell[movedTo], to);
      ASSERT_EQ(groups.groupOf[movedTo], groups.groupOf[k]);
    }
  }
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
    const auto bytes = std::make_unique<ByteCodec<uint64_t>>(groups, *tables);
    checkCodec(board, *tables, *bytes);
  }
}

TEST(PositionCodecTest, DecodingASortedRunReusesOnlyWhatIsUnchanged) {
  // All the positions two moves from a crowded layout, decoded in key order
  // by one reused state, each against a fresh decoding.
  std::mt19937 random(11);
  size_t decoded = 0;
  for (int round = 0; round < 40; ++round) {
    const BoardSize size{5 + static_cast<int>(random() % 4), 4 + static_cast<int>(random() % 3)};
    const BoardState board =
        randomBoard(random, size, 8 + static_cast<int>(random() % 8), {1, 1, 1, 2, 3, 4, 14, 8});
    const auto tables = std::make_unique<BoardGeometry<uint64_t>>(size);
    const PieceGroups groups(board);
    MemoryBudget budget(size_t{1} << 30);
    using Codec = CompactCodec<uint64_t, uint64_t>;
    const auto codec = std::make_unique<Codec>(groups, *tables, budget);
    std::vector<uint64_t> keys{codec->encode(cellsOf(board).data())};
    for (int depth = 0; depth < 2; ++depth) {
      const std::vector<uint64_t> parents = keys;
      for (uint64_t key : parents) {
        Codec::Decoded d;
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
    Codec::Decoded reused;
    for (uint64_t key : keys) {
      Codec::Decoded fresh;
      codec->decode(key, reused);
      codec->decode(key, fresh);
      ASSERT_EQ(reused.occupied, fresh.occupied) << round;
      for (int k = 0; k < groups.pieceCount; ++k) ASSERT_EQ(reused.cell[k], fresh.cell[k]);
      for (int k = 0; k < groups.pieceCount; ++k) {
        const int shape = groups.shapeOf[k];
        for (int dir = 0; dir < moveDirectionCount; ++dir) {
          if ((tables->entered[shape][fresh.cell[k]][dir] & fresh.occupied) != 0) continue;
          const uint8_t to = tables->step[shape][fresh.cell[k]][dir];
          int a, b;
          ASSERT_EQ(codec->childKey(reused, k, to, a), codec->childKey(fresh, k, to, b));
          ASSERT_EQ(a, b);
        }
      }
    }
    decoded += keys.size();
  }
  EXPECT_GT(decoded, 1000u);
}
