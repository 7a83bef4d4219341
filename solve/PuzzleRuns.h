// One puzzle file through cavel-solve: read, searched or analysed with the
// command line's options and a progress line on a terminal, its answer
// printed as text or as one JSON line.
#pragma once

#include <string>

#include "SolveArguments.h"

// Solves the puzzle at `path` and prints its outcome; returns its exit
// status.
int solveFile(const std::string& path, const SolveArguments& arguments);

// Analyses the set of positions of the puzzle at `path` and prints what it
// holds; writes the hardest start when asked. Returns its exit status.
int analyzeFile(const std::string& path, const SolveArguments& arguments);

// Prints the layout code of the puzzle at `path` (with --json, a line with
// its file, status "coded" and code). Returns its exit status.
int printCode(const std::string& path, const SolveArguments& arguments);
