// cavel-solve: solves puzzle files from the shell, without a window.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "BuildInfo.h"
#include "PuzzleRuns.h"
#include "SolveArguments.h"
#include "puzzle/PuzzleFile.h"

namespace {

// Opens /dev/null on any of the descriptors 0 to 2 that is closed, so that
// no file opened later takes its number (the answer would be written into
// a puzzle or a spill file); returns whether standard output was open.
bool guardStandardDescriptors() {
  bool outputOpen = true;
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == STDOUT_FILENO) outputOpen = false;
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
  return outputOpen;
}

int writeFailure(int error) {
  std::fprintf(stderr, "cavel-solve: cannot write to standard output%s%s\n", error ? ": " : "",
               error ? std::strerror(error) : "");
  return exitWriteFailed;
}

// Whether everything printed since errno was last cleared reached standard
// output; when it did not, says so on standard error. A write that failed
// while printing (output longer than the stream's buffer) left its reason
// in errno.
bool outputWritten() {
  const int earlier = errno;
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  const int error = flushed ? earlier : errno;
  if (flushed && !std::ferror(stdout)) return true;
  writeFailure(error);
  return false;
}

// A search that keeps its layers on disk holds one open file for each
// stored layer, and a few more for the layer being built: on a long
// search, more than the usual soft limit of open files. The hard limit is
// the system's word on it; the soft one is only a default.
void allowOpenFilesUpToTheHardLimit() {
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == files.rlim_max) return;
  files.rlim_cur = files.rlim_max;
  setrlimit(RLIMIT_NOFILE, &files);
}

}  // namespace

int main(int argc, char** argv) {
  if (!guardStandardDescriptors()) return writeFailure(EBADF);
  SolveArguments arguments;
  switch (parseSolveArguments(argc, argv, arguments)) {
    case ParsedCommand::help:
      errno = 0;
      std::fputs(solveUsage, stdout);
      return outputWritten() ? exitSolved : exitWriteFailed;
    case ParsedCommand::version:
      errno = 0;
      std::printf("cavel-solve %s\n", CAVEL_VERSION);
      return outputWritten() ? exitSolved : exitWriteFailed;
    case ParsedCommand::bad:
      return exitBadInput;
    case ParsedCommand::run:
      break;
  }
  if (!arguments.spillDirectory.empty()) allowOpenFilesUpToTheHardLimit();
  const bool headers = arguments.paths.size() > 1 && !arguments.json && !arguments.code;
  int status = exitSolved;
  for (const std::string& path : arguments.paths) {
    errno = 0;
    if (headers) std::printf("==> %s <==\n", puzzleFileName(path).c_str());
    status = std::max(status, arguments.code      ? printCode(path, arguments)
                              : arguments.info    ? printInfo(path, arguments)
                              : arguments.analyze ? analyzeFile(path, arguments)
                                                  : solveFile(path, arguments));
    if (!outputWritten()) return exitWriteFailed;
  }
  return status;
}
