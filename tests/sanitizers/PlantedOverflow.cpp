// An out-of-bounds read planted on purpose, built only under AddressSanitizer:
// the cell one past the end of a board's heap-allocated grid, as an off-by-one
// in a move generator would read it. The build must report it
// (expect-report.sh); were it quiet here, it would be as quiet about the
// program.
#include <cstdio>
#include <vector>

int main(int argc, char**) {
  const std::vector<int> cells(6 * 5, 1);
  // argc is 1: the index is the size, which the compiler cannot know.
  const int beyond = cells.data()[cells.size() + static_cast<size_t>(argc) - 1];
  std::printf("%d\n", beyond);
  return 0;
}
