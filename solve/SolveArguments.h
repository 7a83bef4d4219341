// The command line of cavel-solve: its options, their values, its usage text
// and its exit statuses.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "search/Solver.h"

// The exit statuses, as the usage text documents them.
constexpr int exitSolved = 0;
constexpr int exitNoSolution = 1;
constexpr int exitBadInput = 2;
constexpr int exitOutOfMemory = 3;
constexpr int exitWriteFailed = 4;

struct SolveArguments {
  std::vector<std::string> paths;
  bool stats = false;
  bool moves = false;
  bool boards = false;
  bool json = false;
  bool quiet = false;
  bool analyze = false;
  bool code = false;        // --code: each layout's code instead of a search
  std::string hardestPath;  // --hardest: where the hardest start goes
  size_t memoryBudget = 0;
  MoveMetric metric = MoveMetric::step;
  int threads = 0;
  std::string spillDirectory;
};

enum class ParsedCommand { run, help, version, bad };

// Reads the command line into `arguments`. A value follows its option as
// the next argument or after '=' ("--metric=line"); "--" ends the options.
// A usage error is reported on standard error here, and gives `bad`.
ParsedCommand parseSolveArguments(int argc, char** argv, SolveArguments& arguments);

// What --help prints.
extern const char solveUsage[];
