#include "Clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long an offer waits for the thread to take the selections.
constexpr auto claimTimeout = 2s;

// The connections of this module, each used by one thread only (Xlib's own
// locks, on by default since libX11 1.8, guard what they share). X errors on them (a requestor that
// closed its window before the answer reached it) are expected and ignored; any other connection's
// errors go to the handler that was there before, SDL's or Xlib's.
std::mutex connectionsMutex;
std::set<Display*> connections;
XErrorHandler previousHandler = nullptr;

int ignoreOwnErrors(Display* display, XErrorEvent* error) {
  {
    std::lock_guard<std::mutex> lock(connectionsMutex);
    if (connections.count(display) != 0) return 0;
  }
  return previousHandler ? previousHandler(display, error) : 0;
}

// A connection of this module to the display of $DISPLAY; nullptr when
// there is none.
Display* openConnection() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(connectionsMutex);
  static const bool installed = [] {
    previousHandler = XSetErrorHandler(ignoreOwnErrors);
    return true;
  }();
  (void)installed;
  connections.insert(display);
  return display;
}

void closeConnection(Display* display) {
  XCloseDisplay(display);
  std::lock_guard<std::mutex> lock(connectionsMutex);
  connections.erase(display);
}

struct Atoms {
  Atoms() = default;
  explicit Atoms(Display* display)
      : clipboard(XInternAtom(display, "CLIPBOARD", False)),
        targets(XInternAtom(display, "TARGETS", False)),
        timestamp(XInternAtom(display, "TIMESTAMP", False)),
        utf8(XInternAtom(display, "UTF8_STRING", False)),
        incremental(XInternAtom(display, "INCR", False)),
        transfer(XInternAtom(display, "CAVEL_SELECTION", False)) {}
  Atom clipboard = None, targets = None, timestamp = None, utf8 = None, incremental = None,
       transfer = None;
};

std::string latin1FromUtf8(const std::string& text) {
  std::string latin1;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      latin1 += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size()) {
      latin1 += static_cast<char>(((c & 0x03) << 6) | (text[++i] & 0x3F));
    } else if (c >= 0xC0) {
      latin1 += '?';  // the first byte of a character Latin-1 lacks
    }
  }
  return latin1;
}

std::string utf8FromLatin1(const std::string& text) {
  std::string utf8;
  for (char byte : text) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (c < 0x80) {
      utf8 += byte;
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

// Takes the next event of `display` that `wanted` accepts, leaving the
// others queued; false when none comes before `deadline`.
template <typename Wanted>
bool nextEvent(Display* display, XEvent& event, Wanted wanted, Clock::time_point deadline) {
  for (;;) {
    XFlush(display);
    if (XCheckIfEvent(
            display, &event,
            [](Display*, XEvent* candidate, XPointer test) -> Bool {
              return (*reinterpret_cast<Wanted*>(test))(*candidate) ? True : False;
            },
            reinterpret_cast<XPointer>(&wanted))) {
      return true;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left <= 0ms) return false;
    pollfd watch = {ConnectionNumber(display), POLLIN, 0};
    poll(&watch, 1, static_cast<int>(left.count()) + 1);
    XEventsQueued(display, QueuedAfterReading);
  }
}

}  // namespace

struct Clipboard::Server {
  Display* display = nullptr;
  Window window = 0;
  Atoms atoms;
  int wake[2] = {-1, -1};  // the offers' pipe to the thread
  std::thread thread;

  std::mutex mutex;
  std::condition_variable claimed;
  std::string text;    // what the selections hold
  int offers = 0;      // offers made
  int taken = 0;       // offers that the thread has answered
  bool owned = false;  // whether the last claim got both selections
  bool stopping = false;
  Time since = CurrentTime;  // when the selections were taken

  void run();
  void claim();
  void answer(const XSelectionRequestEvent& request);
};

void Clipboard::Server::claim() {
  // The selections are taken at the server time of a property change on the
  // window: ICCCM asks for a real time, and requests are checked against it.
  XChangeProperty(display, window, atoms.transfer, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent event;
  const bool stamped = nextEvent(
      display, event,
      [this](const XEvent& e) { return e.type == PropertyNotify && e.xproperty.window == window; },
      Clock::now() + claimTimeout);
  const Time now = stamped ? event.xproperty.time : CurrentTime;
  XSetSelectionOwner(display, atoms.clipboard, window, now);
  XSetSelectionOwner(display, XA_PRIMARY, window, now);
  const bool got = XGetSelectionOwner(display, atoms.clipboard) == window &&
                   XGetSelectionOwner(display, XA_PRIMARY) == window;
  std::lock_guard<std::mutex> lock(mutex);
  since = now;
  owned = got;
}

void Clipboard::Server::answer(const XSelectionRequestEvent& request) {
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = request.display;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  // Clients older than ICCCM 2 name no property: the target stands for it.
  const Atom property = request.property != None ? request.property : request.target;
  reply.property = None;
  std::string held;
  Time heldSince;
  {
    std::lock_guard<std::mutex> lock(mutex);
    held = text;
    heldSince = since;
  }
  const bool ours = request.selection == atoms.clipboard || request.selection == XA_PRIMARY;
  const bool inTime =
      request.time == CurrentTime || heldSince == CurrentTime || request.time >= heldSince;
  // Longer texts would need the incremental transfer; a code is far shorter.
  const size_t largest = XMaxRequestSize(display) * 4 - 256;
  if (ours && inTime) {
    if (request.target == atoms.targets) {
      const Atom offered[] = {atoms.targets, atoms.timestamp, atoms.utf8, XA_STRING};
      XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(offered), 4);
      reply.property = property;
    } else if (request.target == atoms.timestamp) {
      const long stamp = static_cast<long>(heldSince);
      XChangeProperty(display, request.requestor, property, XA_INTEGER, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&stamp), 1);
      reply.property = property;
    } else if ((request.target == atoms.utf8 || request.target == XA_STRING) &&
               held.size() < largest) {
      const std::string bytes = request.target == XA_STRING ? latin1FromUtf8(held) : held;
      XChangeProperty(display, request.requestor, property, request.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(bytes.data()),
                      static_cast<int>(bytes.size()));
      reply.property = property;
    }
  }
  XEvent event;
  event.xselection = reply;
  XSendEvent(display, request.requestor, False, NoEventMask, &event);
  XFlush(display);
}

void Clipboard::Server::run() {
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == SelectionRequest) answer(event.xselectionrequest);
      // A SelectionClear needs nothing: another program answers now, and the
      // next offer takes the selections back.
    }
    pollfd watch[2] = {{ConnectionNumber(display), POLLIN, 0}, {wake[0], POLLIN, 0}};
    poll(watch, 2, -1);
    if ((watch[1].revents & POLLIN) == 0) continue;
    char drained[64];
    while (read(wake[0], drained, sizeof drained) > 0) {
    }
    int wanted;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (stopping) return;
      wanted = offers;
    }
    claim();
    {
      std::lock_guard<std::mutex> lock(mutex);
      taken = wanted;
    }
    claimed.notify_all();
  }
}

Clipboard::Clipboard() = default;

Clipboard::~Clipboard() {
  if (!server_) return;
  {
    std::lock_guard<std::mutex> lock(server_->mutex);
    server_->stopping = true;
  }
  const char stop = 's';
  (void)!write(server_->wake[1], &stop, 1);
  server_->thread.join();
  // Destroying the window gives up whatever selection it still holds.
  XDestroyWindow(server_->display, server_->window);
  closeConnection(server_->display);
  close(server_->wake[0]);
  close(server_->wake[1]);
}

bool Clipboard::offer(const std::string& text) {
  if (!server_) {
    Display* display = openConnection();
    if (display == nullptr) return false;
    auto server = std::make_unique<Server>();
    server->display = display;
    server->atoms = Atoms(display);
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    server->window =
        XCreateWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, CopyFromParent,
                      InputOnly, CopyFromParent, CWEventMask, &attributes);
    if (pipe2(server->wake, O_CLOEXEC | O_NONBLOCK) != 0) {
      XDestroyWindow(display, server->window);
      closeConnection(display);
      return false;
    }
    XFlush(display);
    server->thread = std::thread([s = server.get()] { s->run(); });
    server_ = std::move(server);
  }
  std::unique_lock<std::mutex> lock(server_->mutex);
  server_->text = text;
  const int offer = ++server_->offers;
  const char wake = 'o';
  (void)!write(server_->wake[1], &wake, 1);
  server_->claimed.wait_for(lock, claimTimeout, [&] { return server_->taken >= offer; });
  return server_->taken >= offer && server_->owned;
}

namespace {

// Asks the owner of CLIPBOARD for it as `target` on `window`; nothing when
// the owner refuses or does not answer in time, an empty text when it is
// too long for one piece.
std::optional<std::string> convert(Display* display, Window window, const Atoms& atoms, Atom target,
                                   Clock::time_point deadline) {
  XConvertSelection(display, atoms.clipboard, target, atoms.transfer, window, CurrentTime);
  XEvent event;
  const bool answered = nextEvent(
      display, event,
      [window](const XEvent& e) {
        return e.type == SelectionNotify && e.xselection.requestor == window;
      },
      deadline);
  if (!answered) return std::string();
  if (event.xselection.property == None) return std::nullopt;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int got = XGetWindowProperty(display, window, atoms.transfer, 0, 1 << 20, True,
                                     AnyPropertyType, &type, &format, &count, &after, &data);
  std::string text;
  if (got == Success && data != nullptr && format == 8 && type != atoms.incremental) {
    text.assign(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  return type == XA_STRING ? utf8FromLatin1(text) : text;
}

}  // namespace

std::string readClipboardText(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  Display* display = openConnection();
  if (display == nullptr) return std::string();
  const Atoms atoms(display);
  std::string text;
  if (XGetSelectionOwner(display, atoms.clipboard) != None) {
    const Window window = XCreateWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0,
                                        CopyFromParent, InputOnly, CopyFromParent, 0, nullptr);
    std::optional<std::string> got = convert(display, window, atoms, atoms.utf8, deadline);
    if (!got) got = convert(display, window, atoms, XA_STRING, deadline);
    text = got.value_or(std::string());
    XDestroyWindow(display, window);
  }
  closeConnection(display);
  return text;
}
