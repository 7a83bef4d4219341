#include "SearchReport.h"

#include <sys/resource.h>

#include <cstdio>
#include <vector>

#include "puzzle/BoardText.h"
#include "puzzle/MoveLogText.h"

namespace {

double processPeakBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024.0;
}

double storedBytesPerPosition(const SolveStats& stats) {
  return stats.positions ? static_cast<double>(stats.storedBytes) / stats.positions : 0.0;
}

// [{"piece":3,"directions":["right","right","up"]},...]: one object per
// counted move.
std::string jsonMoves(const std::vector<uint8_t>& log, const std::vector<uint16_t>& stepsPerMove) {
  std::string moves = "[";
  size_t first = 0;
  for (const uint16_t steps : stepsPerMove) {
    std::string directions = "[";
    for (size_t k = first; k < first + steps && k < log.size(); ++k) {
      if (k > first) directions += ',';
      directions += jsonString(directionName(log[k]));
    }
    JsonObject move;
    move.addNumber("piece", static_cast<uint64_t>(log[first] & 0x3F));
    move.addRaw("directions", directions + "]");
    if (moves.size() > 1) moves += ',';
    moves += move.text();
    first += steps;
  }
  return moves + "]";
}

}  // namespace

const char* statusName(SolveOutcome outcome) {
  switch (outcome) {
    case SolveOutcome::solved:
      return "solved";
    case SolveOutcome::noSolution:
      return "no_solution";
    case SolveOutcome::outOfMemory:
      return "out_of_memory";
    case SolveOutcome::spillFailed:
      return "spill_failed";
    case SolveOutcome::failed:
      return "failed";
    case SolveOutcome::stopped:
      break;
  }
  return "stopped";
}

std::string statsText(const SolveStats& stats, double seconds, double processPeak, SpillUse spill) {
  char text[512];
  std::snprintf(text, sizeof text,
                "positions %llu\nexpansions %llu\nlayers %u\nseconds %.3f\n"
                "search peak memory %.1f MB\n",
                static_cast<unsigned long long>(stats.positions),
                static_cast<unsigned long long>(stats.expanded), stats.layers, seconds,
                stats.peakBytes / 1048576.0);
  std::string lines = text;
  if (spill == SpillUse::spilled) {
    std::snprintf(text, sizeof text, "peak disk %.1f MB\n", stats.peakDiskBytes / 1048576.0);
    lines += text;
  }
  std::snprintf(text, sizeof text,
                "process peak resident memory %.1f MB\nstored bytes per position %.2f\n",
                processPeak / 1048576.0, storedBytesPerPosition(stats));
  lines += text;
  // Which of the layered search's keys ran, for the benchmarks.
  if (stats.keyWords == 0) {
    return lines + "key width none: the search ended before it chose its keys\n";
  }
  std::snprintf(text, sizeof text, "key width %d bits (%d word%s), %d used\n", 64 * stats.keyWords,
                stats.keyWords, stats.keyWords == 1 ? "" : "s", stats.keyBits);
  return lines + text;
}

void printStats(const SolveStats& stats, double seconds, SpillUse spill) {
  std::fputs(statsText(stats, seconds, processPeakBytes(), spill).c_str(), stderr);
}

std::string jsonStats(const SolveStats& stats, double seconds) {
  JsonObject json;
  json.addNumber("positions", static_cast<uint64_t>(stats.positions));
  json.addNumber("expansions", static_cast<uint64_t>(stats.expanded));
  json.addNumber("seconds", seconds);
  json.addNumber("layers", static_cast<uint64_t>(stats.layers));
  json.addNumber("search_peak_bytes", static_cast<uint64_t>(stats.peakBytes));
  json.addNumber("peak_disk_bytes", stats.peakDiskBytes);
  json.addNumber("process_peak_resident_bytes", static_cast<uint64_t>(processPeakBytes()));
  json.addNumber("stored_bytes_per_position", storedBytesPerPosition(stats));
  if (stats.keyWords == 0) {  // ended before the keys were chosen
    json.addRaw("key_bits", "null");
    json.addRaw("key_words", "null");
    json.addRaw("key_bits_used", "null");
  } else {
    json.addNumber("key_bits", static_cast<uint64_t>(64 * stats.keyWords));
    json.addNumber("key_words", static_cast<uint64_t>(stats.keyWords));
    json.addNumber("key_bits_used", static_cast<uint64_t>(stats.keyBits));
  }
  return json.text();
}

void printSolution(const BoardState& start, const SolveResult& result,
                   const SolveArguments& arguments) {
  const std::vector<uint8_t>& log = result.solution.moves;
  std::printf("moves %zu\n%s\n", result.stepsPerMove.size(), formatMoveLog(log).c_str());
  if (arguments.moves) std::fputs(formatCountedMoves(log, result.stepsPerMove).c_str(), stdout);
  if (arguments.boards) {
    std::fputs(formatSolutionBoards(start, log, result.stepsPerMove).c_str(), stdout);
  }
}

void addSolution(JsonObject& json, const SolveResult& result, const SolveArguments& arguments) {
  const std::vector<uint8_t>& log = result.solution.moves;
  json.addNumber("move_count", static_cast<uint64_t>(result.stepsPerMove.size()));
  json.addString("move_bytes", formatMoveLog(log));
  if (arguments.moves) json.addRaw("moves", jsonMoves(log, result.stepsPerMove));
}

std::string stopMessage(SolveOutcome outcome, const SolveStats& stats, const std::string& failure,
                        const SolveArguments& arguments) {
  char message[256];
  switch (outcome) {
    case SolveOutcome::outOfMemory:
      std::snprintf(message, sizeof message,
                    "cavel-solve: the search stopped at its memory budget of %.0f MB after %llu "
                    "positions; try a larger --max-memory",
                    (arguments.memoryBudget ? arguments.memoryBudget : stats.peakBytes) / 1048576.0,
                    static_cast<unsigned long long>(stats.positions));
      return message;
    case SolveOutcome::spillFailed:
    case SolveOutcome::failed:
      return "cavel-solve: the search stopped: " + failure;
    default:
      return "cavel-solve: the search stopped";
  }
}

int exitStatusOf(SolveOutcome outcome) {
  switch (outcome) {
    case SolveOutcome::solved:
      return exitSolved;
    case SolveOutcome::noSolution:
      return exitNoSolution;
    default:
      return exitOutOfMemory;
  }
}
