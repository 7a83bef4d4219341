#include "EventWait.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The connection SDL reads its events from (SDL draws through another).
Display* eventDisplay() {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) return nullptr;
  return info.info.x11.display;
}

// The descriptor that wakeEventWait makes readable: an event counter, made
// on first use; -1 where none can be had (the waits then end by time).
int wakeDescriptor() {
  static const int descriptor = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  return descriptor;
}

}  // namespace

void waitForEvents(std::chrono::nanoseconds timeout) {
  Display* display = eventDisplay();
  if (display == nullptr) {
    // A key held for 20 ms still spans several pumps.
    std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(timeout, 4ms));
    return;
  }
  // Events that Xlib has already read sit in its queue, where watching the
  // connection would not see them.
  if (XPending(display) > 0) return;
  pollfd watch[2] = {{ConnectionNumber(display), POLLIN, 0}, {wakeDescriptor(), POLLIN, 0}};
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
  const timespec wait = {static_cast<time_t>(seconds.count()),
                         static_cast<long>((timeout - seconds).count())};
  const nfds_t watched = watch[1].fd >= 0 ? 2 : 1;
  if (ppoll(watch, watched, &wait, nullptr) > 0 && (watch[1].revents & POLLIN) != 0) {
    eventfd_t wakes;
    eventfd_read(watch[1].fd, &wakes);  // taken, so that the next wait sleeps
  }
}

void wakeEventWait() {
  if (wakeDescriptor() >= 0) eventfd_write(wakeDescriptor(), 1);
}
