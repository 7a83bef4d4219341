#include "SolveArguments.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>

const char solveUsage[] =
    "Usage: cavel-solve [OPTION]... FILE...\n"
    "\n"
    "Finds the shortest solution of the sliding-block puzzle in each FILE (or\n"
    "in standard input when FILE is '-'): the fewest moves that bring piece 0,\n"
    "the 2 by 2 square, to the two rightmost columns on rows 1 and 2.\n"
    "\n"
    "Puzzle file: 'size W H', then one 'piece S X Y' line per piece, the\n"
    "square (shape 0) first; the README describes the format in full.\n"
    "A FILE that begins with 'cavel:' is a layout code instead, the whole\n"
    "layout in one word of at most 98 letters after 'cavel:' (A-Z a-z 0-9 - _,\n"
    "the last a check), as --code prints it; './cavel:...' names a file.\n"
    "\n"
    "Output and exit status:\n"
    "  0  solved: 'moves N' (N counted in the chosen metric), then the move\n"
    "     bytes of every one-cell step in hexadecimal on one line (piece index\n"
    "     in bits 0-5; bits 6-7: 0 right, 1 left, 2 up, 3 down)\n"
    "  1  'no solution'\n"
    "  2  bad input or usage: 'FILE:LINE: message' (for a code,\n"
    "     'cavel:BODY: message') on standard error\n"
    "  3  the memory budget (or the disk of --spill) ran out before the search\n"
    "     ended, or the search could not go on (the reason on standard error)\n"
    "  4  standard output could not be written (a full disk, a closed\n"
    "     descriptor): the reason on standard error\n"
    "With several files, each file's output follows a line '==> FILE <==',\n"
    "and the exit status is the largest of the files' statuses.\n"
    "\n"
    "When standard error is a terminal, a search that lasts more than half a\n"
    "second shows its positions, the layer reached, their rate, the search's\n"
    "peak memory, with --spill the disk its files hold, and the time on one\n"
    "line there, erased before the answer or when a signal ends the search.\n"
    "\n"
    "With --analyze, it prints instead what the whole set of positions the\n"
    "layout reaches holds, one item a line: 'positions N' (the layout\n"
    "included), 'goals N' (those with the square at the exit), 'farthest D'\n"
    "(the largest distance from the layout), 'hardest D' (the largest\n"
    "distance from a position of the set to its nearest goal, 'hardest none'\n"
    "without goals), 'hardest-positions N' (how many stand there), then\n"
    "'layer D N' for each distance D from the layout; exit status 0 when the\n"
    "analysis ends, whatever it found.\n"
    "\n"
    "Options:\n"
    "  --metric NAME     what counts as one move:\n"
    "                      step  one piece by one cell (the default)\n"
    "                      line  one piece by any number of cells in one\n"
    "                            direction\n"
    "                      path  one piece to any cell it can reach by one-cell\n"
    "                            steps while the other pieces stay\n"
    "                    Of the shortest solutions, the first is given, with\n"
    "                    moves compared in turn: by piece index, then for step\n"
    "                    and line by direction (right, left, up, down), nearer\n"
    "                    cells first, and for path in the order in which a\n"
    "                    breadth-first walk of one-cell steps (right, left, up,\n"
    "                    down) first reaches the cells, each by that walk's\n"
    "                    route.\n"
    "  --moves           after the two lines, one line per move:\n"
    "                    'piece P DIR...' with one DIR (right, left, up, down)\n"
    "                    per cell, e.g. 'piece 3 right right up'\n"
    "  --boards          the start and the board after each move as grids of\n"
    "                    letters, top row first: piece 0 is 'A', piece 1 'B',\n"
    "                    and so on (A-Z, a-z, 0-9, @, $); '.' is an empty\n"
    "                    cell. A caption line 'move K: ...' comes before each\n"
    "                    grid and a blank line after it.\n"
    "  --json            instead of the text, one JSON object per file, one a\n"
    "                    line, without the '==> FILE <==' lines: file, metric,\n"
    "                    code (the layout's code), status (solved,\n"
    "                    no_solution, bad_input, out_of_memory, spill_failed,\n"
    "                    failed, and analyzed for an analysis that ended),\n"
    "                    move_count and move_bytes (the hex line); with\n"
    "                    --moves, moves as objects (piece, directions); with\n"
    "                    --analyze, positions, goals, farthest, hardest (null\n"
    "                    without goals), hardest_positions and layers (an\n"
    "                    array) instead of the moves; with --stats, stats; for\n"
    "                    a failure, message (also on standard error). Not\n"
    "                    with --boards.\n"
    "  --analyze         the analysis of each FILE's set of positions (above)\n"
    "  --code            instead of a search, each layout's code, one a line\n"
    "                    (no '==> FILE <==' lines; a FILE that cannot be read\n"
    "                    gets its message and no line); with --json, lines of\n"
    "                    file, code and status 'coded'\n"
    "  --info            instead of a search, what each FILE says of its puzzle\n"
    "                    (the README describes these items), a line each:\n"
    "                    'name TEXT', 'source TEXT', 'published N METRIC',\n"
    "                    'count METRIC N', 'positions N' and 'note TEXT' as the\n"
    "                    file has them (TEXT in its Latin-1 bytes), then 'size\n"
    "                    W H' and 'code CODE'; with --json, lines of file,\n"
    "                    code, status 'described', name, source, published\n"
    "                    (moves, metric), counts (moves by metric), positions,\n"
    "                    notes (an array), width and height, the texts in UTF-8\n"
    "  --hardest OUT     with --analyze and one FILE: also writes one of the\n"
    "                    hardest starts to the new file OUT, the same pieces\n"
    "                    in the same order, those of one shape at that\n"
    "                    shape's places lowest origin first; of the hardest\n"
    "                    starts, the one whose key comes first, whatever the\n"
    "                    threads. An OUT that exists or cannot be created is\n"
    "                    refused before the analysis (status 2); no file is\n"
    "                    ever written over\n"
    "  --stats           positions, expansions, the layers reached, seconds,\n"
    "                    peak memory (and with --spill, the most the files\n"
    "                    held on disk), the bytes stored per position and the\n"
    "                    width of the keys that hold them on standard error\n"
    "  --quiet           no progress line, even on a terminal\n"
    "  --max-memory MB   memory the search may hold, at most 2^40 megabytes\n"
    "                    (default: three quarters of the memory available at\n"
    "                    start)\n"
    "  --threads N       threads that search side by side (default: one per\n"
    "                    core); the answer never depends on it\n"
    "  --spill DIR       keep the positions found in files in DIR instead of\n"
    "                    in memory, so that the disk bounds the largest puzzle:\n"
    "                    the memory held stays the same whatever the puzzle;\n"
    "                    the files are gone when the search ends\n"
    "  -h, --help        this text\n"
    "  -V, --version     the version\n"
    "A value follows its option or comes after '=' (--metric=line); '--' ends\n"
    "the options, so that the files after it may begin with '-'.\n";

namespace {

// What the value of a whole number option reads as.
enum class WholeNumber { read, notOne, tooLarge };

// A whole number from 1 to `most`, written in decimal digits alone.
WholeNumber parseWholeNumber(const char* text, unsigned long long most, unsigned long long& value) {
  if (*text == '\0') return WholeNumber::notOne;
  unsigned long long number = 0;
  bool large = false;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return WholeNumber::notOne;
    // Past `most` the digits are only checked, never added: no overflow.
    if (!large) number = number * 10 + static_cast<unsigned long long>(*c - '0');
    large = large || number > most;
  }
  if (large) return WholeNumber::tooLarge;
  if (number == 0) return WholeNumber::notOne;
  value = number;
  return WholeNumber::read;
}

// Reads `text` into `value`, a whole number from 1 to `most`; returns the
// message for the value of `option` when it is none: `usage`, or for one too
// large, the value as written and the largest accepted, in `unit`.
std::string readWholeNumber(const char* option, const char* text, unsigned long long most,
                            const char* unit, const char* usage, unsigned long long& value) {
  switch (parseWholeNumber(text, most, value)) {
    case WholeNumber::read:
      return {};
    case WholeNumber::notOne:
      return usage;
    case WholeNumber::tooLarge:
      break;
  }
  return std::string(option) + " " + text + " is too large: at most " + std::to_string(most) + unit;
}

// Whether `directory` is a folder the spill files can be made in.
bool usableFolder(const char* directory) {
  struct stat info {};
  return *directory != '\0' && stat(directory, &info) == 0 && S_ISDIR(info.st_mode) &&
         access(directory, W_OK | X_OK) == 0;
}

bool parseMetric(const std::string& text, MoveMetric& metric) {
  const std::optional<MoveMetric> named = metricNamed(text);
  if (named) metric = *named;
  return named.has_value();
}

// One option: its long name, its one-letter name ('\0' for none), whether a
// value follows it, and what it sets. A missing value reaches `apply` as an
// empty string; `apply` returns the message for a bad value, or nothing.
// `ends` names what the option asks for instead of a run.
struct Option {
  const char* name;
  char letter;
  bool takesValue;
  std::string (*apply)(SolveArguments& arguments, const char* value);
  ParsedCommand ends = ParsedCommand::run;
};

// Sets one flag of the arguments.
template <bool SolveArguments::*flag>
std::string setFlag(SolveArguments& arguments, const char*) {
  arguments.*flag = true;
  return {};
}

std::string nothing(SolveArguments&, const char*) { return {}; }

const Option options[] = {
    {"--stats", '\0', false, setFlag<&SolveArguments::stats>},
    {"--moves", '\0', false, setFlag<&SolveArguments::moves>},
    {"--boards", '\0', false, setFlag<&SolveArguments::boards>},
    {"--json", '\0', false, setFlag<&SolveArguments::json>},
    {"--quiet", '\0', false, setFlag<&SolveArguments::quiet>},
    {"--analyze", '\0', false, setFlag<&SolveArguments::analyze>},
    {"--code", '\0', false, setFlag<&SolveArguments::code>},
    {"--info", '\0', false, setFlag<&SolveArguments::info>},
    {"--hardest", '\0', true,
     [](SolveArguments& a, const char* value) -> std::string {
       a.hardestPath = value;
       return *value != '\0' ? "" : "--hardest needs the name of a new file";
     }},
    {"--max-memory", '\0', true,
     [](SolveArguments& a, const char* value) -> std::string {
       // The largest budget, 2^40 megabytes, still fits in bytes.
       unsigned long long megabytes = 0;
       std::string message =
           readWholeNumber("--max-memory", value, 1ull << 40, " megabytes",
                           "--max-memory needs a whole number of megabytes, at least 1", megabytes);
       a.memoryBudget = static_cast<size_t>(megabytes) << 20;
       return message;
     }},
    {"--metric", '\0', true,
     [](SolveArguments& a, const char* value) -> std::string {
       return parseMetric(value, a.metric) ? "" : "--metric needs step, line or path";
     }},
    {"--threads", '\0', true,
     [](SolveArguments& a, const char* value) -> std::string {
       unsigned long long threads = 0;
       std::string message = readWholeNumber(
           "--threads", value, 256, "", "--threads needs a whole number from 1 to 256", threads);
       a.threads = static_cast<int>(threads);
       return message;
     }},
    {"--spill", '\0', true,
     [](SolveArguments& a, const char* value) -> std::string {
       a.spillDirectory = value;
       return usableFolder(value) ? "" : "--spill needs a folder that can be written to";
     }},
    {"--help", 'h', false, nothing, ParsedCommand::help},
    {"--version", 'V', false, nothing, ParsedCommand::version},
};

ParsedCommand usageError(const std::string& message) {
  std::fprintf(stderr, "cavel-solve: %s\nTry 'cavel-solve --help'.\n", message.c_str());
  return ParsedCommand::bad;
}

// Why --hardest could not create `path` once the analysis is done, or
// nothing: a new file is made there and taken away again, so that what the
// file system says (a folder missing or locked, a name too long) is heard
// before a search that may take hours.
std::optional<std::string> cannotCreate(const std::string& path) {
  int fd;
  do {
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return "cannot create '" + path + "': " + std::strerror(errno);
  close(fd);
  unlink(path.c_str());
  return std::nullopt;
}

const Option* findOption(const std::string& name) {
  const auto named = [&](const Option& o) {
    return name == o.name || (o.letter != '\0' && name.size() == 2 && name[1] == o.letter);
  };
  const Option* found = std::find_if(std::begin(options), std::end(options), named);
  return found == std::end(options) ? nullptr : found;
}

}  // namespace

ParsedCommand parseSolveArguments(int argc, char** argv, SolveArguments& arguments) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (optionsEnded || argument.size() <= 1 || argument[0] != '-') {
      arguments.paths.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    // "--name=value": the value rides with the name.
    std::string name = argument;
    std::optional<std::string> attached;
    const size_t equals = argument.find('=');
    if (argument.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      name = argument.substr(0, equals);
      attached = argument.substr(equals + 1);
    }
    const Option* option = findOption(name);
    if (option == nullptr) return usageError("unknown option '" + argument + "'");
    if (attached && !option->takesValue) {
      return usageError("option '" + name + "' takes no value");
    }
    if (option->ends != ParsedCommand::run) return option->ends;
    std::string value;
    if (attached) {
      value = *attached;
    } else if (option->takesValue && i + 1 < argc) {
      value = argv[++i];
    }
    const std::string message = option->apply(arguments, value.c_str());
    if (!message.empty()) return usageError(message);
  }
  if (arguments.paths.empty()) return usageError("no puzzle file given");
  if (arguments.json && arguments.boards) return usageError("--boards cannot go with --json");
  if (arguments.code && (arguments.analyze || arguments.moves || arguments.boards ||
                         arguments.stats || !arguments.hardestPath.empty())) {
    return usageError("--code does not go with --analyze, --hardest, --moves, --boards or --stats");
  }
  if (arguments.info && (arguments.code || arguments.analyze || arguments.moves ||
                         arguments.boards || arguments.stats || !arguments.hardestPath.empty())) {
    return usageError(
        "--info does not go with --code, --analyze, --hardest, --moves, --boards or --stats");
  }
  if (arguments.analyze && (arguments.moves || arguments.boards)) {
    return usageError("--moves and --boards do not go with --analyze");
  }
  if (!arguments.hardestPath.empty()) {
    if (!arguments.analyze) return usageError("--hardest goes with --analyze");
    if (arguments.paths.size() > 1) return usageError("--hardest takes one puzzle file");
    struct stat info {};
    if (lstat(arguments.hardestPath.c_str(), &info) == 0) {
      return usageError("'" + arguments.hardestPath + "' exists; --hardest writes a new file");
    }
    if (const std::optional<std::string> reason = cannotCreate(arguments.hardestPath)) {
      std::fprintf(stderr, "cavel-solve: %s\n", reason->c_str());
      return ParsedCommand::bad;
    }
  }
  return ParsedCommand::run;
}
