// What the tests' timing limits measure, so that they hold on a machine busy
// with other work and under a sanitizer: the processor time the process used,
// which other processes do not stretch as they stretch the wall clock, and
// how many times slower the build's sanitizer makes the code.
#pragma once

#include <time.h>

// Processor time the whole process has used so far, all its threads, in
// seconds.
inline double processSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// How many times slower the code runs in this build than in the plain one:
// a measured upper bound for each sanitizer, 1 without one.
inline double sanitizerSlowdown() {
#if defined(__SANITIZE_THREAD__)
  return 10.0;
#elif defined(__SANITIZE_ADDRESS__)
  return 4.0;
#else
  return 1.0;
#endif
}
