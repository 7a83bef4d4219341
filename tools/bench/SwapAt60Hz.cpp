// Loaded with LD_PRELOAD into the window program, makes each buffer swap
// wait for the next tick of a 60 Hz clock, as a desktop that syncs to its
// display does. A virtual display swaps at once, which hides what waiting
// for the display costs a program that presents too often.
#include <dlfcn.h>
#include <time.h>

#include <cerrno>
#include <cstdint>

namespace {

constexpr int64_t nanosPerSecond = 1000000000;
constexpr int64_t tickNanos = nanosPerSecond / 60;

void sleepToNextTick() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const int64_t nanos = int64_t{now.tv_sec} * nanosPerSecond + now.tv_nsec;
  const int64_t next = (nanos / tickNanos + 1) * tickNanos;
  timespec at;
  at.tv_sec = static_cast<time_t>(next / nanosPerSecond);
  at.tv_nsec = static_cast<long>(next % nanosPerSecond);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
  }
}

using Swap = void (*)();

Swap realSwap() {
  static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
  return real;
}

}  // namespace

extern "C" void SDL_GL_SwapBuffers() {
  sleepToNextTick();
  if (Swap real = realSwap()) real();
}
