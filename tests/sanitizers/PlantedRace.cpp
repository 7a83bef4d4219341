// A data race planted on purpose, built only under ThreadSanitizer: a worker
// counts positions into a plain integer while the caller reads it for its
// progress line, the way a count handed from the search to the window would
// go wrong without an atomic. The build must report it (expect-report.sh);
// were it quiet here, it would be as quiet about the search.
#include <cstdio>
#include <thread>

namespace {

long positions = 0;  // shared, and deliberately neither atomic nor locked

void countPositions() {
  for (int i = 0; i < 100000; ++i) positions = positions + 1;
}

}  // namespace

int main() {
  std::thread worker(countPositions);
  long shown = 0;
  for (int i = 0; i < 100000; ++i) shown += positions;
  worker.join();
  std::printf("%ld positions, %ld shown\n", positions, shown);
  return 0;
}
