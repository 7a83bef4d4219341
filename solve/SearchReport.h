// How cavel-solve reports one search: its status names, its figures (as
// text on standard error or as JSON members), its solution and why it
// stopped.
#pragma once

#include <string>

#include "JsonObject.h"
#include "SolveArguments.h"
#include "SpillUse.h"
#include "model/BoardState.h"
#include "search/Solver.h"

// How a file's outcome is named in its JSON object.
const char* statusName(SolveOutcome outcome);

// The search's figures, `seconds` and the process's peak resident bytes
// `processPeak`, a line each; the disk's peak when `spill` says so.
std::string statsText(const SolveStats& stats, double seconds, double processPeak, SpillUse spill);

// statsText of the search and this process, on standard error.
void printStats(const SolveStats& stats, double seconds, SpillUse spill);

// The same figures as one JSON object.
std::string jsonStats(const SolveStats& stats, double seconds);

// "moves N" and the hex line of the solution found from `start`, then the
// counted moves and the boards when the command line asks for them.
void printSolution(const BoardState& start, const SolveResult& result,
                   const SolveArguments& arguments);

// The solution as members of `json`: move_count, move_bytes and, when asked,
// moves.
void addSolution(JsonObject& json, const SolveResult& result, const SolveArguments& arguments);

// Why a search that ended without an answer stopped, as one line.
std::string stopMessage(SolveOutcome outcome, const SolveStats& stats, const std::string& failure,
                        const SolveArguments& arguments);

// The exit status of a file whose search ended with `outcome`.
int exitStatusOf(SolveOutcome outcome);
