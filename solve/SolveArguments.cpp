#include "SolveArguments.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
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
    "second shows its positions, their rate, the search's peak memory and the\n"
    "time on one line there, erased before the answer.\n"
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
    "                    code (the layout's code), status (solved, no_solution,\n"
    "                    bad_input, out_of_memory, spill_failed, failed),\n"
    "                    move_count and move_bytes (the hex line); with\n"
    "                    --moves, moves as objects (piece, directions); with\n"
    "                    --stats, stats; for a failure, message (also on\n"
    "                    standard error). Not with --boards.\n"
    "  --analyze         the analysis of each FILE's set of positions (above)\n"
    "  --code            instead of a search, each layout's code, one a line\n"
    "                    (no '==> FILE <==' lines; a FILE that cannot be read\n"
    "                    gets its message and no line); with --json, lines of\n"
    "                    file, code and status 'coded'\n"
    "  --hardest OUT     with --analyze and one FILE: also writes one of the\n"
    "                    hardest starts to the new file OUT (never over a file\n"
    "                    that exists), the same pieces in the same order, those\n"
    "                    of one shape at that shape's places lowest origin\n"
    "                    first; of the hardest starts, the one whose key comes\n"
    "                    first, whatever the threads\n"
    "  --stats           positions, expansions, seconds, peak memory, the\n"
    "                    bytes stored per position and the width of the keys\n"
    "                    that hold them on standard error\n"
    "  --quiet           no progress line, even on a terminal\n"
    "  --max-memory MB   memory the search may hold (default: three quarters\n"
    "                    of the memory available at start)\n"
    "  --threads N       threads that search side by side (default: one per\n"
    "                    core); the answer never depends on it\n"
    "  --spill DIR       keep the positions found in files in DIR instead of\n"
    "                    in memory, so that the disk bounds the largest puzzle;\n"
    "                    the files are gone when the search ends\n"
    "  -h, --help        this text\n"
    "  -V, --version     the version\n"
    "A value follows its option or comes after '=' (--metric=line); '--' ends\n"
    "the options, so that the files after it may begin with '-'.\n";

namespace {

// A whole number from 1 to `most`, written in decimal digits alone.
bool parseWholeNumber(const char* text, unsigned long long most, unsigned long long& value) {
  if (*text == '\0') return false;
  unsigned long long number = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    number = number * 10 + static_cast<unsigned long long>(*c - '0');
    if (number > most) return false;
  }
  if (number == 0) return false;
  value = number;
  return true;
}

bool parseMegabytes(const char* text, size_t& bytes) {
  unsigned long long megabytes;
  if (!parseWholeNumber(text, 1ull << 40, megabytes)) return false;
  bytes = static_cast<size_t>(megabytes) << 20;
  return true;
}

bool parseThreads(const char* text, int& threads) {
  unsigned long long value;
  if (!parseWholeNumber(text, 256, value)) return false;
  threads = static_cast<int>(value);
  return true;
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
// empty string; `apply` returns the message for a bad value, or nullptr.
// `ends` names what the option asks for instead of a run.
struct Option {
  const char* name;
  char letter;
  bool takesValue;
  const char* (*apply)(SolveArguments& arguments, const char* value);
  ParsedCommand ends = ParsedCommand::run;
};

// Sets one flag of the arguments.
template <bool SolveArguments::*flag>
const char* setFlag(SolveArguments& arguments, const char*) {
  arguments.*flag = true;
  return nullptr;
}

const char* nothing(SolveArguments&, const char*) { return nullptr; }

const Option options[] = {
    {"--stats", '\0', false, setFlag<&SolveArguments::stats>},
    {"--moves", '\0', false, setFlag<&SolveArguments::moves>},
    {"--boards", '\0', false, setFlag<&SolveArguments::boards>},
    {"--json", '\0', false, setFlag<&SolveArguments::json>},
    {"--quiet", '\0', false, setFlag<&SolveArguments::quiet>},
    {"--analyze", '\0', false, setFlag<&SolveArguments::analyze>},
    {"--code", '\0', false, setFlag<&SolveArguments::code>},
    {"--hardest", '\0', true,
     [](SolveArguments& a, const char* value) -> const char* {
       a.hardestPath = value;
       return *value != '\0' ? nullptr : "--hardest needs the name of a new file";
     }},
    {"--max-memory", '\0', true,
     [](SolveArguments& a, const char* value) -> const char* {
       return parseMegabytes(value, a.memoryBudget)
                  ? nullptr
                  : "--max-memory needs a whole number of megabytes, at least 1";
     }},
    {"--metric", '\0', true,
     [](SolveArguments& a, const char* value) -> const char* {
       return parseMetric(value, a.metric) ? nullptr : "--metric needs step, line or path";
     }},
    {"--threads", '\0', true,
     [](SolveArguments& a, const char* value) -> const char* {
       return parseThreads(value, a.threads) ? nullptr
                                             : "--threads needs a whole number from 1 to 256";
     }},
    {"--spill", '\0', true,
     [](SolveArguments& a, const char* value) -> const char* {
       a.spillDirectory = value;
       return usableFolder(value) ? nullptr : "--spill needs a folder that can be written to";
     }},
    {"--help", 'h', false, nothing, ParsedCommand::help},
    {"--version", 'V', false, nothing, ParsedCommand::version},
};

ParsedCommand usageError(const std::string& message) {
  std::fprintf(stderr, "cavel-solve: %s\nTry 'cavel-solve --help'.\n", message.c_str());
  return ParsedCommand::bad;
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
    if (const char* message = option->apply(arguments, value.c_str())) return usageError(message);
  }
  if (arguments.paths.empty()) return usageError("no puzzle file given");
  if (arguments.json && arguments.boards) return usageError("--boards cannot go with --json");
  if (arguments.code && (arguments.analyze || arguments.moves || arguments.boards ||
                         arguments.stats || !arguments.hardestPath.empty())) {
    return usageError("--code does not go with --analyze, --hardest, --moves, --boards or --stats");
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
  }
  return ParsedCommand::run;
}
