#include "SearchScreen.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "FrameLoop.h"
#include "app/core/BackgroundJob.h"
#include "app/core/MemoryLine.h"
#include "input/EventPump.h"
#include "model/MoveByte.h"
#include "render/BoardView.h"
#include "render/Draw.h"

namespace {

// Whether a job's screen shows the memory the job holds.
enum class MemoryShown { no, yes };

// The headline, below the board the memory the search holds (when shown)
// and the count of positions explored so far, and the layout being
// searched.
void drawProgress(const char* headline, const BoardState& root, uint64_t positions,
                  uint64_t peakBytes, MemoryShown memoryShown) {
  beginText();
  drawLabel(headline, aboveBoard(root.size, {-5, 6, 0}), {15, 0, 0}, {0, 1, 0});
  char count[64];
  const int length = std::snprintf(count, sizeof count,
                                   "%llu positions explor\xe9"
                                   "es",
                                   static_cast<unsigned long long>(positions));
  drawLabel(count, {-5, -2, 0}, {0.6 * length, 0, 0}, {0, 0.6, 0});
  // Between the board and the count: a long analysis ends at the window's
  // memory, and this shows how near it comes.
  if (memoryShown == MemoryShown::yes) {
    const std::string memory = memoryLine(peakBytes);
    drawLabel(memory.c_str(), {-5, -1.3, 0}, {0.5 * static_cast<double>(memory.size()), 0, 0},
              {0, 0.5, 0});
  }
  endText();
  drawBoard(root);
}

// Shows `job` running from `root` under `headline` until it ends, Escape
// stops it (a stopped result) or the window is closed (nothing).
template <typename Result>
std::optional<Result> runJobScreen(const Camera& camera, const char* headline,
                                   const BoardState& root, BackgroundJob<Result>& job,
                                   MemoryShown memoryShown) {
  const auto escape = [&]() -> std::optional<Result> {
    if (!keyLatch().takePress(SDLK_ESCAPE)) return std::nullopt;
    job.requestStop();
    Result result = job.takeResult();
    result.outcome = SolveOutcome::stopped;
    return result;
  };
  // An Escape pressed while this screen still showed the job, but not yet
  // pumped when it ended, is this screen's too: left in the queue, it would
  // reach the editor and end the program. So is a close request.
  const auto finished = [&]() -> std::optional<Result> {
    if (!job.finished()) return std::nullopt;
    pumpEvents();
    if (closeRequested()) return std::nullopt;  // the loop ends with nothing
    if (std::optional<Result> stopped = escape()) return stopped;
    return job.takeResult();
  };
  // The count grows with time alone; the end of the search is looked for
  // every few milliseconds, since no event announces it.
  ScreenPace pace;
  pace.longestSleep = std::chrono::milliseconds(10);
  // Closed: nothing; leaving stops the search and waits for it.
  const auto draw = [&] {
    drawProgress(headline, root, job.positions(), job.peakBytes(), memoryShown);
  };
  return runFrames<Result>(boardCamera(camera, root.size), finished, escape, draw, pace);
}

}  // namespace

std::optional<SolveResult> runSearchScreen(const Camera& camera, const BoardState& root,
                                           MoveMetric metric) {
  // Move bytes name 64 pieces at most, and the goal needs the square.
  if (root.pieceCount() == 0 || root.pieceCount() > maxLoggedPieces) return SolveResult();
  BackgroundSearch search(root, metric);
  return runJobScreen<SolveResult>(camera, "Calcul solution...", root, search, MemoryShown::no);
}

std::optional<AnalysisResult> runAnalysisScreen(const Camera& camera, const BoardState& root,
                                                MoveMetric metric) {
  BackgroundAnalysis analysis(root, metric);
  return runJobScreen<AnalysisResult>(camera, "Analyse des positions...", root, analysis,
                                      MemoryShown::yes);
}
