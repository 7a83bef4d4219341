#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/MoveByte.h"
#include "puzzle/CodeNumber.h"
#include "puzzle/LayoutCode.h"
#include "puzzle/PuzzleFile.h"

namespace {

constexpr std::string_view symbols =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

bool sameLayout(const BoardState& a, const BoardState& b) {
  if (a.size != b.size || a.pieceCount() != b.pieceCount()) return false;
  for (int i = 0; i < a.pieceCount(); ++i) {
    const Piece& p = a.pieces[i];
    const Piece& q = b.pieces[i];
    if (p.shapeIndex() != q.shapeIndex() || p.x() != q.x() || p.y() != q.y()) return false;
  }
  return true;
}

BoardState readBoard(const std::string& path) {
  PuzzleError error;
  const std::optional<BoardState> board = readPuzzleFile(path, error);
  EXPECT_TRUE(board) << formatPuzzleError(path, error);
  return board.value_or(BoardState());
}

// A layout of `size` drawn at random: up to `wanted` pieces of the shapes in
// `mix`, each at a free place drawn among those where it fits.
BoardState randomLayout(BoardSize size, const std::vector<int>& mix, int wanted,
                        std::mt19937& random) {
  BoardState board(size);
  Piece square(0);
  square.setX(static_cast<int8_t>(random() % (size.width - 1)));
  square.setY(static_cast<int8_t>(random() % (size.height - 1)));
  board.placePiece(square, -1);
  for (int misses = 0; board.pieceCount() < wanted && misses < 8;) {
    Piece piece(mix[random() % mix.size()]);
    std::vector<Piece> places;
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) {
        piece.setX(static_cast<int8_t>(x));
        piece.setY(static_cast<int8_t>(y));
        if (board.canPlace(piece, -1)) places.push_back(piece);
      }
    }
    if (places.empty()) {
      ++misses;
      continue;
    }
    board.placePiece(places[random() % places.size()], -1);
  }
  return board;
}

// A body of `payload` with the one last symbol that passes the check.
std::string checkedCode(const std::string& payload) {
  for (char last : symbols) {
    const std::string code = "cavel:" + payload + last;
    LayoutCodeError error;
    if (decodeLayout(code, error) || error != LayoutCodeError::failedCheck) return code;
  }
  ADD_FAILURE() << "no symbol passes the check after " << payload;
  return "";
}

// The code of `board` built straight from docs/layout-code.md, with the
// free places counted by BoardState::canPlace; `morePieces` more digits of 1
// on top name pieces past the last, whether or not they could stand.
std::string documentedCode(const BoardState& board, int morePieces = 0) {
  const BoardSize size = board.size;
  std::vector<uint32_t> radices, digits;
  BoardState built(size);
  for (int k = 1; k < board.pieceCount() + morePieces; ++k) {
    built.placePiece(board.pieces[k - 1], -1);
    uint32_t free = 0, digit = 1;
    for (int shape = 0; shape < shapeCount; ++shape) {
      Piece piece(shape);
      for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
          piece.setX(static_cast<int8_t>(x));
          piece.setY(static_cast<int8_t>(y));
          if (!built.canPlace(piece, -1)) continue;
          ++free;
          if (k < board.pieceCount()) {
            const Piece& wanted = board.pieces[k];
            if (wanted.shapeIndex() == shape && wanted.x() == x && wanted.y() == y) digit = free;
          }
        }
      }
    }
    radices.push_back(std::max<uint32_t>(free, 1));
    digits.push_back(digit);
  }
  CodeNumber number;
  for (size_t k = digits.size(); k-- > 0;) number.multiplyAdd(radices[k], digits[k]);
  const Piece& square = board.pieces[0];
  number.multiplyAdd(static_cast<uint32_t>((size.width - 1) * (size.height - 1)),
                     static_cast<uint32_t>(square.y() * (size.width - 1) + square.x()));
  number.multiplyAdd(63, static_cast<uint32_t>((size.width - 2) + 9 * (size.height - 2)));
  std::string payload;
  while (!number.isZero()) payload.insert(payload.begin(), symbols[number.takeDigit(64) - 1]);
  return checkedCode(payload);
}

std::vector<std::string> samplePuzzles() {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(CAVEL_PUZZLE_DIR)) {
    if (entry.is_regular_file() && entry.path().extension() == ".txt") {
      paths.push_back(entry.path().string());
    }
  }
  return paths;
}

TEST(LayoutCodeTest, TheClassicHasAShortCodeThatStaysTheSame) {
  const BoardState classic = readBoard(std::string(CAVEL_PUZZLE_DIR) + "/classic.txt");
  const std::string code = layoutCode(classic);
  // Codes are pasted and kept: the body of a layout must never change.
  EXPECT_EQ(code, "cavel:rZMMsVjYwu");
  EXPECT_LE(code.size() - layoutCodePrefix.size(), 20u);
  EXPECT_EQ(documentedCode(classic), code);
  LayoutCodeError error;
  const std::optional<BoardState> back = decodeLayout(code, error);
  ASSERT_TRUE(back);
  EXPECT_TRUE(sameLayout(*back, classic));
  EXPECT_TRUE(back->moves.empty());
}

TEST(LayoutCodeTest, TheLongestLayoutTakesTheLongestCode) {
  const BoardState longest = readBoard(CAVEL_TEST_DIR "/longest-code.txt");
  ASSERT_EQ(longest.pieceCount(), maxLoggedPieces);
  const std::string code = layoutCode(longest);
  EXPECT_EQ(code.size() - layoutCodePrefix.size(), static_cast<size_t>(maxLayoutCodeBody));
  LayoutCodeError error;
  const std::optional<BoardState> back = decodeLayout(code, error);
  ASSERT_TRUE(back) << layoutCodeMessage(error);
  EXPECT_TRUE(sameLayout(*back, longest));
  EXPECT_EQ(documentedCode(longest), code);

  // One digit more would be a 65th piece.
  EXPECT_FALSE(decodeLayout(documentedCode(longest, 1), error));
  EXPECT_EQ(error, LayoutCodeError::tooManyPieces);
}

TEST(LayoutCodeTest, EveryLayoutComesBackAndEveryCodeIsTheOnlyOneOfItsLayout) {
  std::mt19937 random(33);
  int layouts = 0;
  size_t longest32 = 0;
  for (int height = minBoardHeight; height <= maxBoardHeight; ++height) {
    for (int width = minBoardWidth; width <= maxBoardWidth; ++width) {
      for (int round = 0; round < 160; ++round, ++layouts) {
        // A mix of a few shapes, or of all of them.
        std::vector<int> mix;
        const int kinds = 1 + static_cast<int>(random() % shapeCount);
        for (int k = 0; k < kinds; ++k) mix.push_back(static_cast<int>(random() % shapeCount));
        const int wanted = 1 + static_cast<int>(random() % maxLoggedPieces);
        const BoardState board = randomLayout({width, height}, mix, wanted, random);
        const std::string code = layoutCode(board);
        if (board.pieceCount() <= 32) longest32 = std::max(longest32, code.size());
        LayoutCodeError error;
        const std::optional<BoardState> back = decodeLayout(code, error);
        ASSERT_TRUE(back) << code << ": " << layoutCodeMessage(error);
        ASSERT_TRUE(sameLayout(*back, board)) << code;
      }
    }
  }
  EXPECT_GE(layouts, 10000);
  EXPECT_LE(longest32 - layoutCodePrefix.size(), 64u);

  // Any body that passes the check and names a layout is that layout's only
  // code: no second spelling, no leading symbol to spare.
  int decoded = 0;
  for (int round = 0; round < 10000; ++round) {
    std::string payload;
    const size_t length = random() % maxLayoutCodeBody;
    for (size_t k = 0; k < length; ++k) payload += symbols[random() % symbols.size()];
    const std::string code = checkedCode(payload);
    LayoutCodeError error;
    const std::optional<BoardState> board = decodeLayout(code, error);
    if (!board) {
      EXPECT_TRUE(error == LayoutCodeError::noRoom || error == LayoutCodeError::tooManyPieces)
          << code << ": " << layoutCodeMessage(error);
      continue;
    }
    ++decoded;
    ASSERT_EQ(layoutCode(*board), code);
  }
  EXPECT_GT(decoded, 1000);
}

TEST(LayoutCodeTest, TyposInTheSamplesCodesAreRefused) {
  long changed = 0, changedRefused = 0, swapped = 0, swappedRefused = 0;
  const std::vector<std::string> paths = samplePuzzles();
  ASSERT_GE(paths.size(), 10u);
  for (const std::string& path : paths) {
    const std::string code = layoutCode(readBoard(path));
    LayoutCodeError error;
    for (size_t at = layoutCodePrefix.size(); at < code.size(); ++at) {
      for (char other : symbols) {
        if (other == code[at]) continue;
        std::string typo = code;
        typo[at] = other;
        ++changed;
        changedRefused += decodeLayout(typo, error) ? 0 : 1;
      }
      if (at + 1 == code.size() || code[at] == code[at + 1]) continue;
      std::string typo = code;
      std::swap(typo[at], typo[at + 1]);
      ++swapped;
      swappedRefused += decodeLayout(typo, error) ? 0 : 1;
    }
  }
  std::printf("%zu codes: %ld of %ld changed characters refused, %ld of %ld swaps refused\n",
              paths.size(), changedRefused, changed, swappedRefused, swapped);
  RecordProperty("changed_refused_percent", std::to_string(100.0 * changedRefused / changed));
  RecordProperty("swapped_refused_percent", std::to_string(100.0 * swappedRefused / swapped));
  EXPECT_GE(changedRefused * 100, changed * 99);
  EXPECT_GE(swappedRefused * 100, swapped * 99);
}

TEST(LayoutCodeTest, BadCodesAreNamed) {
  const auto errorOf = [](std::string_view code) {
    LayoutCodeError error{};
    EXPECT_FALSE(decodeLayout(code, error)) << code;
    return error;
  };
  EXPECT_EQ(errorOf(""), LayoutCodeError::wrongPrefix);
  EXPECT_EQ(errorOf("Cavel:rZMMsVjYwu"), LayoutCodeError::wrongPrefix);
  EXPECT_EQ(errorOf(" cavel:rZMMsVjYwu"), LayoutCodeError::wrongPrefix);
  EXPECT_EQ(errorOf("cavel:"), LayoutCodeError::emptyBody);
  EXPECT_EQ(errorOf("cavel:rZMMsVjYwu "), LayoutCodeError::badCharacter);
  EXPECT_EQ(errorOf("cavel:rZMMs+jYwu"), LayoutCodeError::badCharacter);
  EXPECT_EQ(errorOf(std::string("cavel:rZMMs\0jYwu", 16)), LayoutCodeError::badCharacter);
  EXPECT_EQ(errorOf("cavel:rZMMsVjYw"), LayoutCodeError::failedCheck);
  EXPECT_EQ(errorOf("cavel:rZMMsVjYwuB"), LayoutCodeError::failedCheck);
  EXPECT_EQ(errorOf("cavel:" + std::string(maxLayoutCodeBody + 1, 'A')), LayoutCodeError::tooLong);

  // Long bodies name more pieces than their board holds.
  std::mt19937 random(2);
  std::set<LayoutCodeError> seen;
  for (int round = 0; round < 300; ++round) {
    std::string payload(60 + random() % (maxLayoutCodeBody - 60), 'A');
    for (char& c : payload) c = symbols[random() % symbols.size()];
    seen.insert(errorOf(checkedCode(payload)));
  }
  EXPECT_EQ(seen, std::set<LayoutCodeError>{LayoutCodeError::noRoom});

  EXPECT_EQ(formatLayoutCodeError("cavel:Bs!1", LayoutCodeError::badCharacter),
            "cavel:Bs!1: character 3 after 'cavel:', '!', is not one of A-Z a-z 0-9 - _");
  EXPECT_EQ(formatLayoutCodeError("cavel:B\xc3\xa9", LayoutCodeError::badCharacter),
            "cavel:B??: character 2 after 'cavel:', byte 0xC3, is not one of A-Z a-z 0-9 - _");
  EXPECT_EQ(formatLayoutCodeError("cavel:rZMMsVjYw", LayoutCodeError::failedCheck),
            "cavel:rZMMsVjYw: the check fails: a character is wrong, swapped, missing or extra");
}

TEST(LayoutCodeTest, OnlyLayoutsGetACode) {
  const auto errorOf = [](const BoardState& board) {
    LayoutCodeError error{};
    EXPECT_FALSE(encodeLayout(board, error));
    return error;
  };
  const auto piece = [](int shape, int x, int y) {
    Piece made(shape);
    made.setX(static_cast<int8_t>(x));
    made.setY(static_cast<int8_t>(y));
    return made;
  };
  BoardState board(BoardSize{6, 5});
  EXPECT_EQ(errorOf(board), LayoutCodeError::noPieces);
  board.pieces = {piece(1, 0, 0)};
  EXPECT_EQ(errorOf(board), LayoutCodeError::noSquareFirst);
  board.pieces = {piece(0, 5, 0)};
  EXPECT_EQ(errorOf(board), LayoutCodeError::offBoard);
  board.pieces = {piece(0, 0, 0), piece(14, 4, 4)};
  EXPECT_EQ(errorOf(board), LayoutCodeError::offBoard);
  board.pieces = {piece(0, 0, 0), piece(5, 0, 1)};
  EXPECT_EQ(errorOf(board), LayoutCodeError::overlap);
  board.pieces = {piece(0, 0, 0)};
  board.size = BoardSize{11, 5};
  EXPECT_EQ(errorOf(board), LayoutCodeError::badBoardSize);
  board.size = BoardSize{10, 8};
  for (int cell = 0; cell < 76 && board.pieceCount() <= maxLoggedPieces; ++cell) {
    board.pieces.push_back(piece(1, 2 + cell % 8, cell / 8));
  }
  EXPECT_EQ(errorOf(board), LayoutCodeError::tooManyPieces);
}

}  // namespace
