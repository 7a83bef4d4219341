#include "PuzzleFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "LayoutCode.h"
#include "LineWords.h"
#include "model/MoveByte.h"

namespace {

// How far saveNewPuzzleFile looks for a free name before it gives up.
constexpr int lastSaveNumber = 1000000;

// Beyond this the parser keeps numbers clamped (see parseNumber).
constexpr long numberLimit = 1000000;

// A decimal integer with an optional '-'; values beyond a million are
// clamped to a million (or minus a million), which every range check refuses.
bool parseNumber(std::string_view word, long& value) {
  const bool negative = !word.empty() && word[0] == '-';
  if (negative) word.remove_prefix(1);
  if (word.empty()) return false;
  constexpr long limit = numberLimit;
  long magnitude = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    if (magnitude < limit) magnitude = magnitude * 10 + (c - '0');
  }
  if (magnitude > limit) magnitude = limit;
  value = negative ? -magnitude : magnitude;
  return true;
}

// The number written as `word` (one parseNumber took as `value`) plus
// `offset` (0 to 9), in decimal: a message names a cell as the file's
// numbers give it, even one far beyond the clamped value.
std::string plusOffset(std::string_view word, long value, int offset) {
  if (value > -numberLimit && value < numberLimit) return std::to_string(value + offset);
  const bool negative = word[0] == '-';
  std::string digits(word.substr(negative ? 1 : 0));
  // A magnitude of a million or more stays above the offset: the sign holds.
  int carry = negative ? -offset : offset;
  for (size_t i = digits.size(); i-- > 0 && carry != 0;) {
    int digit = digits[i] - '0' + carry;
    carry = digit > 9 ? 1 : digit < 0 ? -1 : 0;
    digits[i] = static_cast<char>('0' + digit - 10 * carry);
  }
  if (carry > 0) digits.insert(0, "1");
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  return (negative ? "-" : "") + digits;
}

class Parser {
 public:
  Parser(PuzzleInfo& info, PuzzleError& error) : info_(info), error_(error) {}

  BoardState& board() { return board_; }

  bool line(int number, std::string_view text) {
    number_ = number;
    const std::vector<std::string_view> words = lineWords(text);
    if (words.empty()) return true;
    if (words[0] == "size") return size(words);
    if (words[0] == "piece") return piece(words);
    if (isPuzzleInfoItem(words[0])) return infoItem(text);
    return fail("unknown word '" + printableWord(words[0]) + "'");
  }

  bool end(int lastLine) {
    number_ = lastLine;
    if (!sized_) return fail("no 'size' line");
    if (board_.pieceCount() == 0) return fail("no pieces");
    return true;
  }

 private:
  bool fail(const std::string& message) {
    error_.line = number_;
    error_.message = message;
    return false;
  }

  bool infoItem(std::string_view text) {
    std::string message;
    return readPuzzleInfoItem(text, info_, message) || fail(message);
  }

  // Reads the words after the first as numbers; there must be exactly `count`.
  bool numbers(const std::vector<std::string_view>& words, size_t count, const char* usage,
               long* values) {
    if (words.size() != count + 1) return fail(std::string("expected '") + usage + "'");
    for (size_t k = 0; k < count; ++k) {
      if (!parseNumber(words[k + 1], values[k])) {
        return fail("bad number '" + printableWord(words[k + 1]) + "'");
      }
    }
    return true;
  }

  bool size(const std::vector<std::string_view>& words) {
    if (sized_) return fail("a second 'size' line");
    long values[2];
    if (!numbers(words, 2, "size W H", values)) return false;
    if (values[0] < minBoardWidth || values[0] > maxBoardWidth) {
      return fail("board width must be 2 to 10");
    }
    if (values[1] < minBoardHeight || values[1] > maxBoardHeight) {
      return fail("board height must be 2 to 8");
    }
    board_ = BoardState(BoardSize{static_cast<int>(values[0]), static_cast<int>(values[1])});
    sized_ = true;
    return true;
  }

  bool piece(const std::vector<std::string_view>& words) {
    if (!sized_) return fail("'size' must come before the pieces");
    long values[3];
    if (!numbers(words, 3, "piece S X Y", values)) return false;
    if (values[0] < 0 || values[0] >= shapeCount) return fail("shape must be 0 to 18");
    if (board_.pieceCount() == 0 && values[0] != 0) {
      return fail("the first piece must be the square (shape 0)");
    }
    if (board_.pieceCount() == maxLoggedPieces) return fail("more than 64 pieces");
    const Shape& shape = catalogShape(static_cast<int>(values[0]));
    // Checked before narrowing the origin to a byte.
    if (!onBoard(shape, values[1], values[2])) {
      return fail(offBoard(shape, {words[2], values[1]}, {words[3], values[2]}));
    }
    Piece placed(static_cast<int>(values[0]));
    placed.setX(static_cast<int8_t>(values[1]));
    placed.setY(static_cast<int8_t>(values[2]));
    if (!board_.canPlace(placed, -1)) return fail(overlap(placed));
    board_.placePiece(placed, -1);
    pieceLines_.push_back(number_);
    return true;
  }

  bool onBoard(const Shape& shape, long x, long y) const {
    for (int k = 0; k < shape.cellCount; ++k) {
      if (!board_.size.contains(static_cast<int>(x + shape.cells[2 * k]),
                                static_cast<int>(y + shape.cells[2 * k + 1]))) {
        return false;
      }
    }
    return true;
  }

  // A number as the file writes it and as parseNumber read it.
  struct Written {
    std::string_view word;
    long value;
  };

  // "piece lies off the board: its cells (5,0) (6,0) (5,1) (6,1); the 6 by 5
  // board has x 0 to 5, y 0 to 4".
  std::string offBoard(const Shape& shape, Written x, Written y) const {
    std::string message = "piece lies off the board: its cells";
    for (int k = 0; k < shape.cellCount; ++k) {
      message += " (" + plusOffset(x.word, x.value, shape.cells[2 * k]) + "," +
                 plusOffset(y.word, y.value, shape.cells[2 * k + 1]) + ")";
    }
    const BoardSize size = board_.size;
    return message + "; the " + std::to_string(size.width) + " by " + std::to_string(size.height) +
           " board has x 0 to " + std::to_string(size.width - 1) + ", y 0 to " +
           std::to_string(size.height - 1);
  }

  // "piece overlaps piece 1 (line 3) on cell (2,1)": the first piece placed
  // that shares a cell with `placed`, and the first such cell.
  std::string overlap(const Piece& placed) const {
    for (int index = 0; index < board_.pieceCount(); ++index) {
      const Piece& other = board_.pieceAt(index);
      for (int k = 0; k < placed.cellCount(); ++k) {
        const int x = placed.x() + placed.cells()[2 * k];
        const int y = placed.y() + placed.cells()[2 * k + 1];
        if (covers(other, x, y)) {
          return "piece overlaps piece " + std::to_string(index) + " (line " +
                 std::to_string(pieceLines_[index]) + ") on cell (" + std::to_string(x) + "," +
                 std::to_string(y) + ")";
        }
      }
    }
    return "piece overlaps another piece";
  }

  static bool covers(const Piece& piece, int x, int y) {
    for (int k = 0; k < piece.cellCount(); ++k) {
      if (piece.x() + piece.cells()[2 * k] == x && piece.y() + piece.cells()[2 * k + 1] == y) {
        return true;
      }
    }
    return false;
  }

  BoardState board_;
  PuzzleInfo& info_;
  PuzzleError& error_;
  std::vector<int> pieceLines_;  // the line of each piece placed
  int number_ = 0;
  bool sized_ = false;
};

}  // namespace

std::optional<BoardState> parsePuzzle(std::string_view text, PuzzleError& error) {
  PuzzleInfo unused;
  return parsePuzzle(text, unused, error);
}

std::optional<BoardState> parsePuzzle(std::string_view text, PuzzleInfo& info, PuzzleError& error) {
  // Editors that save UTF-8 may start the file with a byte-order mark.
  constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, byteOrderMark.size()) == byteOrderMark)
    text.remove_prefix(byteOrderMark.size());
  if (text.empty()) {
    error.line = 0;
    error.message = "the file is empty; a puzzle starts with a line 'size W H'";
    return std::nullopt;
  }
  PuzzleInfo read;
  Parser parser(read, error);
  int number = 0;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    const std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (!parser.line(++number, line)) return std::nullopt;
  }
  if (!parser.end(number)) return std::nullopt;
  info = std::move(read);
  return std::move(parser.board());
}

std::optional<std::string> readPuzzleText(const std::string& path, PuzzleError& error) {
  const bool standardInput = path == "-";
  std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
  error.line = 0;
  if (!file) {
    error.message = std::string("cannot open: ") + std::strerror(errno);
    return std::nullopt;
  }
  std::string text;
  char buffer[65536];
  size_t got;
  bool tooLarge = false;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (text.size() + got > maxPuzzleFileBytes) {
      tooLarge = true;
      break;
    }
    text.append(buffer, got);
  }
  const bool failed = std::ferror(file) != 0;
  const int readErrno = errno;
  if (!standardInput) std::fclose(file);
  if (tooLarge) {
    error.message = "file larger than 1 MiB";
    return std::nullopt;
  }
  if (failed) {
    error.message = std::string("cannot read: ") + std::strerror(readErrno);
    return std::nullopt;
  }
  return text;
}

std::optional<BoardState> readPuzzleFile(const std::string& path, PuzzleError& error) {
  PuzzleInfo unused;
  return readPuzzleFile(path, unused, error);
}

std::optional<BoardState> readPuzzleFile(const std::string& path, PuzzleInfo& info,
                                         PuzzleError& error) {
  const std::optional<std::string> text = readPuzzleText(path, error);
  if (!text) return std::nullopt;
  return parsePuzzle(*text, info, error);
}

std::optional<BoardState> readPuzzleArgument(const std::string& argument, PuzzleError& error) {
  if (!isLayoutCode(argument)) return readPuzzleFile(argument, error);
  LayoutCodeError codeError;
  std::optional<BoardState> board = decodeLayout(argument, codeError);
  if (!board) {
    error.line = 0;
    error.message = formatLayoutCodeError(argument, codeError);
  }
  return board;
}

std::string puzzleFileName(const std::string& path) { return path == "-" ? "<stdin>" : path; }

std::string formatPuzzleError(const std::string& path, const PuzzleError& error) {
  if (isLayoutCode(path)) return error.message;
  return puzzleFileName(path) + ":" + std::to_string(error.line) + ": " + error.message;
}

std::string formatPuzzle(const BoardState& board) {
  std::string text =
      "size " + std::to_string(board.size.width) + " " + std::to_string(board.size.height) + "\n";
  for (const Piece& piece : board.pieces) {
    text += "piece " + std::to_string(piece.shapeIndex()) + " " + std::to_string(piece.x()) + " " +
            std::to_string(piece.y()) + "\n";
  }
  return text;
}

namespace {

// Writes all of `text` to `fd`; false with errno set when a write fails.
bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Creates `path` for writing only if no file or link of that name exists
// at this very moment; -1 with errno set otherwise.
int createNewFile(const std::string& path) {
  for (;;) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

// Fills the contents of the file just created as `path`; a file that could
// not be written whole is removed.
bool fillNewFile(int fd, const std::string& path, const std::string& name, const std::string& text,
                 std::string& error) {
  const bool written = writeAll(fd, text);
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (written && closed) return true;
  error = "cannot write " + name + ": " + std::strerror(written ? errno : writeErrno);
  ::unlink(path.c_str());
  return false;
}

}  // namespace

std::optional<std::string> saveNewPuzzleFile(const BoardState& board, const std::string& directory,
                                             std::string& error) {
  const std::string text = formatPuzzle(board);
  for (int number = 1; number <= lastSaveNumber; ++number) {
    const std::string name = "puzzle-" + std::to_string(number) + ".txt";
    const std::string path = directory + "/" + name;
    const int fd = createNewFile(path);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      error = "cannot create " + name + ": " + std::strerror(errno);
      return std::nullopt;
    }
    if (!fillNewFile(fd, path, name, text, error)) return std::nullopt;
    return name;
  }
  error = "puzzle-1.txt to puzzle-" + std::to_string(lastSaveNumber) + ".txt all exist";
  return std::nullopt;
}

bool writeNewFile(const std::string& path, const std::string& text, std::string& error) {
  const int fd = createNewFile(path);
  if (fd < 0) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  return fillNewFile(fd, path, path, text, error);
}
