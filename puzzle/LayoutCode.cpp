#include "LayoutCode.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdio>
#include <vector>

#include "CodeNumber.h"
#include "model/MoveByte.h"

namespace {

// The 64 symbols, worth 0 to 63 in this order.
constexpr std::string_view symbols =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr uint32_t symbolCount = 64;

constexpr int boardSizeCount =
    (maxBoardWidth - minBoardWidth + 1) * (maxBoardHeight - minBoardHeight + 1);

// Longer texts are cut short in messages.
constexpr size_t shownCharacters = 120;

int symbolValue(char c) {
  const size_t at = symbols.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// The check: the body's symbols, read as the coefficients of a polynomial
// over the field of 64 elements (x^6 + x + 1) after a leading 1, must give 0
// at x = alpha. A changed symbol adds (a - b) alpha^i, never 0; two
// different neighbours swapped add (a - b)(alpha + 1) alpha^i, never 0
// either; the leading 1 makes the length count too.
uint32_t timesAlpha(uint32_t value) {
  value <<= 1;
  return (value & symbolCount) != 0 ? value ^ 0x43 : value;
}

uint32_t checkOf(std::string_view body) {
  uint32_t sum = 1;
  for (char c : body) sum = timesAlpha(sum) ^ static_cast<uint32_t>(symbolValue(c));
  return sum;
}

// The cells of a board of up to 80 cells, cell y * width + x.
struct CellSet {
  uint64_t low = 0;
  uint64_t high = 0;

  void add(int cell) { (cell < 64 ? low : high) |= uint64_t{1} << (cell % 64); }
  bool meets(const CellSet& other) const {
    return (low & other.low) != 0 || (high & other.high) != 0;
  }
  void addAll(const CellSet& other) {
    low |= other.low;
    high |= other.high;
  }
};
static_assert(maxBoardCells <= 128, "a board's cells fit in a CellSet");

struct Placement {
  int shape;
  int x;
  int y;
  CellSet cells;
};

int sizeIndexOf(BoardSize size) {
  return (size.width - minBoardWidth) +
         (maxBoardWidth - minBoardWidth + 1) * (size.height - minBoardHeight);
}

BoardSize sizeOfIndex(int index) {
  const int widths = maxBoardWidth - minBoardWidth + 1;
  return BoardSize{minBoardWidth + index % widths, minBoardHeight + index / widths};
}

CellSet cellsOf(const Shape& shape, int x, int y, int width) {
  CellSet cells;
  for (int k = 0; k < shape.cellCount; ++k) {
    cells.add((y + shape.cells[2 * k + 1]) * width + x + shape.cells[2 * k]);
  }
  return cells;
}

// Every place of every shape on a board of `size`, in the order the code
// counts them: by shape, then row, then column.
std::vector<Placement> placementsOn(BoardSize size) {
  std::vector<Placement> placements;
  for (int shape = 0; shape < shapeCount; ++shape) {
    const Shape& cells = catalogShape(shape);
    for (int y = 0; y + cells.maxDy < size.height; ++y) {
      for (int x = 0; x + cells.maxDx < size.width; ++x) {
        placements.push_back({shape, x, y, cellsOf(cells, x, y, size.width)});
      }
    }
  }
  return placements;
}

const std::vector<Placement>& placementsOf(BoardSize size) {
  static const std::array<std::vector<Placement>, boardSizeCount> tables = [] {
    std::array<std::vector<Placement>, boardSizeCount> built;
    for (int index = 0; index < boardSizeCount; ++index)
      built[index] = placementsOn(sizeOfIndex(index));
    return built;
  }();
  return tables[sizeIndexOf(size)];
}

// The places a piece could take with `taken` occupied.
uint32_t freePlaceCount(const std::vector<Placement>& placements, const CellSet& taken) {
  uint32_t count = 0;
  for (const Placement& placement : placements) count += placement.cells.meets(taken) ? 0 : 1;
  return count;
}

uint32_t squarePlaceCount(BoardSize size) {
  return static_cast<uint32_t>((size.width - 1) * (size.height - 1));
}

std::nullopt_t refuse(LayoutCodeError& error, LayoutCodeError why) {
  error = why;
  return std::nullopt;
}

// One digit of the code: a choice among `radix` ways.
struct Digit {
  uint32_t radix;
  uint32_t value;
};

// The digits of `board`, the first choice first: its size, its square's
// place, then for each further piece its place (1 to the count) among the
// places that every shape leaves free on the board so far.
std::optional<std::vector<Digit>> digitsOf(const BoardState& board, LayoutCodeError& error) {
  const BoardSize size = board.size;
  if (!size.isValid()) return refuse(error, LayoutCodeError::badBoardSize);
  if (board.pieceCount() == 0) return refuse(error, LayoutCodeError::noPieces);
  if (board.pieceCount() > maxLoggedPieces) return refuse(error, LayoutCodeError::tooManyPieces);
  const Piece& square = board.pieces[0];
  if (square.shapeIndex() != 0) return refuse(error, LayoutCodeError::noSquareFirst);
  if (square.x() < 0 || square.y() < 0 || square.x() >= size.width - 1 ||
      square.y() >= size.height - 1) {
    return refuse(error, LayoutCodeError::offBoard);
  }
  std::vector<Digit> digits = {
      {boardSizeCount, static_cast<uint32_t>(sizeIndexOf(size))},
      {squarePlaceCount(size), static_cast<uint32_t>(square.y() * (size.width - 1) + square.x())}};
  const std::vector<Placement>& placements = placementsOf(size);
  CellSet taken = cellsOf(square.shape(), square.x(), square.y(), size.width);
  for (int index = 1; index < board.pieceCount(); ++index) {
    const Piece& piece = board.pieces[index];
    const auto same = [&piece](const Placement& p) {
      return p.shape == piece.shapeIndex() && p.x == piece.x() && p.y == piece.y();
    };
    const auto found = std::find_if(placements.begin(), placements.end(), same);
    if (found == placements.end()) return refuse(error, LayoutCodeError::offBoard);
    if (found->cells.meets(taken)) return refuse(error, LayoutCodeError::overlap);
    const auto free = [&taken](const Placement& p) { return !p.cells.meets(taken); };
    const auto before = std::count_if(placements.begin(), found, free);
    digits.push_back({freePlaceCount(placements, taken), static_cast<uint32_t>(before) + 1});
    taken.addAll(found->cells);
  }
  return digits;
}

}  // namespace

const char* layoutCodeMessage(LayoutCodeError error) {
  switch (error) {
    case LayoutCodeError::wrongPrefix:
      return "a layout code begins with 'cavel:'";
    case LayoutCodeError::emptyBody:
      return "nothing follows 'cavel:'";
    case LayoutCodeError::badCharacter:
      return "a character other than A-Z, a-z, 0-9, '-' and '_'";
    case LayoutCodeError::tooLong:
      static_assert(maxLayoutCodeBody == 98, "the message names the longest body");
      return "longer than any layout code (98 characters after 'cavel:')";
    case LayoutCodeError::failedCheck:
      return "the check fails: a character is wrong, swapped, missing or extra";
    case LayoutCodeError::noRoom:
      return "no layout: a piece has no room left on the board";
    case LayoutCodeError::tooManyPieces:
      return "no layout: more than 64 pieces";
    case LayoutCodeError::badBoardSize:
      return "the board is not 2 to 10 columns by 2 to 8 rows";
    case LayoutCodeError::noPieces:
      return "the board has no pieces";
    case LayoutCodeError::noSquareFirst:
      return "the first piece is not the square (shape 0)";
    case LayoutCodeError::offBoard:
      return "a piece lies off the board";
    case LayoutCodeError::overlap:
      return "two pieces overlap";
  }
  return "bad layout code";
}

bool isLayoutCode(std::string_view text) {
  return text.substr(0, layoutCodePrefix.size()) == layoutCodePrefix;
}

std::optional<std::string> encodeLayout(const BoardState& board, LayoutCodeError& error) {
  const std::optional<std::vector<Digit>> digits = digitsOf(board, error);
  if (!digits) return std::nullopt;
  // The first choice is the least significant digit. The pieces' digits
  // run from 1, not 0 (bijective numeration), so that the number itself
  // says where they end.
  CodeNumber number;
  for (size_t k = digits->size(); k-- > 0;) {
    number.multiplyAdd((*digits)[k].radix, (*digits)[k].value);
  }
  std::string body;
  while (!number.isZero()) body += symbols[number.takeDigit(symbolCount) - 1];
  std::reverse(body.begin(), body.end());
  body += symbols[timesAlpha(checkOf(body))];
  assert(body.size() <= static_cast<size_t>(maxLayoutCodeBody));
  return std::string(layoutCodePrefix) + body;
}

std::string layoutCode(const BoardState& board) {
  LayoutCodeError error;
  const std::optional<std::string> code = encodeLayout(board, error);
  assert(code);
  return code.value_or(std::string());
}

std::optional<BoardState> decodeLayout(std::string_view code, LayoutCodeError& error) {
  if (!isLayoutCode(code)) return refuse(error, LayoutCodeError::wrongPrefix);
  const std::string_view body = code.substr(layoutCodePrefix.size());
  if (body.empty()) return refuse(error, LayoutCodeError::emptyBody);
  const auto unknown = [](char c) { return symbolValue(c) < 0; };
  if (std::any_of(body.begin(), body.end(), unknown)) {
    return refuse(error, LayoutCodeError::badCharacter);
  }
  if (body.size() > static_cast<size_t>(maxLayoutCodeBody)) {
    return refuse(error, LayoutCodeError::tooLong);
  }
  if (checkOf(body) != 0) return refuse(error, LayoutCodeError::failedCheck);

  CodeNumber number;
  for (char c : body.substr(0, body.size() - 1)) {
    number.multiplyAdd(symbolCount, static_cast<uint32_t>(symbolValue(c)) + 1);
  }
  const BoardSize size = sizeOfIndex(static_cast<int>(number.divide(boardSizeCount)));
  const uint32_t squarePlace = number.divide(squarePlaceCount(size));
  BoardState board(size);
  Piece square(0);
  square.setX(static_cast<int8_t>(squarePlace % (size.width - 1)));
  square.setY(static_cast<int8_t>(squarePlace / (size.width - 1)));
  board.placePiece(square, -1);
  const std::vector<Placement>& placements = placementsOf(size);
  CellSet taken = cellsOf(square.shape(), square.x(), square.y(), size.width);
  while (!number.isZero()) {
    if (board.pieceCount() == maxLoggedPieces) return refuse(error, LayoutCodeError::tooManyPieces);
    const uint32_t freePlaces = freePlaceCount(placements, taken);
    if (freePlaces == 0) return refuse(error, LayoutCodeError::noRoom);
    uint32_t left = number.takeDigit(freePlaces);
    for (const Placement& placement : placements) {
      if (placement.cells.meets(taken) || --left != 0) continue;
      Piece piece(placement.shape);
      piece.setX(static_cast<int8_t>(placement.x));
      piece.setY(static_cast<int8_t>(placement.y));
      board.placePiece(piece, -1);
      taken.addAll(placement.cells);
      break;
    }
  }
  return board;
}

std::string formatLayoutCodeError(std::string_view code, LayoutCodeError error) {
  std::string shown;
  for (char c : code.substr(0, shownCharacters)) shown += (c >= 0x20 && c < 0x7F) ? c : '?';
  if (code.size() > shownCharacters) shown += "...";
  if (error != LayoutCodeError::badCharacter || !isLayoutCode(code)) {
    return shown + ": " + layoutCodeMessage(error);
  }
  const std::string_view body = code.substr(layoutCodePrefix.size());
  const auto bad =
      std::find_if(body.begin(), body.end(), [](char c) { return symbolValue(c) < 0; });
  const int place = static_cast<int>(bad - body.begin()) + 1;
  const unsigned char c = static_cast<unsigned char>(*bad);
  char named[80];
  if (c >= 0x20 && c < 0x7F) {
    std::snprintf(named, sizeof named, "character %d after 'cavel:', '%c',", place, c);
  } else {
    std::snprintf(named, sizeof named, "character %d after 'cavel:', byte 0x%02X,", place, c);
  }
  return shown + ": " + named + " is not one of A-Z a-z 0-9 - _";
}
