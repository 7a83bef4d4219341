#include "ModalMessage.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "WindowIdentity.h"

namespace {

constexpr int margin = 16;
constexpr int buttonWidth = 72;
constexpr int buttonHeight = 26;

// The box sets the keyboard focus as soon as it is mapped; a window manager
// may still refuse it, and that must not end the program.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

struct Layout {
  int width;
  int height;
  int textBaseline;
  int buttonX;
  int buttonY;
};

class MessageWindow {
 public:
  MessageWindow(Display* display, const char* caption, const char* text)
      : display_(display), text_(text), font_(XLoadQueryFont(display, "fixed")) {
    const int screen = DefaultScreen(display_);
    const int length = static_cast<int>(std::strlen(text_));
    const int textWidth = font_ ? XTextWidth(font_, text_, length) : 6 * length;
    const int ascent = font_ ? font_->ascent : 11;
    const int descent = font_ ? font_->descent : 2;
    layout_.width = std::max(textWidth, buttonWidth) + 2 * margin;
    layout_.height = 3 * margin + ascent + descent + buttonHeight;
    layout_.textBaseline = margin + ascent;
    layout_.buttonX = (layout_.width - buttonWidth) / 2;
    layout_.buttonY = layout_.height - margin - buttonHeight;

    const int x = std::max(0, (DisplayWidth(display_, screen) - layout_.width) / 2);
    const int y = std::max(0, (DisplayHeight(display_, screen) - layout_.height) / 2);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), x, y, layout_.width,
                                  layout_.height, 1, BlackPixel(display_, screen),
                                  WhitePixel(display_, screen));
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    XSetForeground(display_, gc_, BlackPixel(display_, screen));
    if (font_) XSetFont(display_, gc_, font_->fid);

    setNames(caption);
    setDialogHints();
    XSelectInput(display_, window_,
                 ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                     ButtonReleaseMask | StructureNotifyMask);
    XMapRaised(display_, window_);
  }

  ~MessageWindow() {
    XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
    if (font_) XFreeFont(display_, font_);
    XFlush(display_);
  }

  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  // Handles events until the box is dismissed. A key dismisses it when it is
  // released, as the button does, and only after its press came here: the
  // window must outlive the release, or a sender of both events (xdotool key
  // --window, say) sends the release to a window that is gone and fails with
  // an X error, and a release never pressed in the box (the Return that
  // started the program) must not close it before it is read.
  void run() {
    bool pressedOnButton = false;
    KeySym pressedKey = NoSymbol;
    for (;;) {
      XEvent event;
      XNextEvent(display_, &event);
      switch (event.type) {
        case MapNotify:
          XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
          break;
        case Expose:
          if (event.xexpose.count == 0) draw();
          break;
        case KeyPress: {
          const KeySym key = XLookupKeysym(&event.xkey, 0);
          pressedKey = isDismissKey(key) ? key : NoSymbol;
          break;
        }
        case KeyRelease:
          if (pressedKey != NoSymbol && XLookupKeysym(&event.xkey, 0) == pressedKey) return;
          break;
        case ButtonPress:
          pressedOnButton =
              event.xbutton.button == Button1 && onButton(event.xbutton.x, event.xbutton.y);
          break;
        case ButtonRelease:
          if (pressedOnButton && onButton(event.xbutton.x, event.xbutton.y)) return;
          pressedOnButton = false;
          break;
        case ClientMessage:
          if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) return;
          break;
        default:
          break;
      }
    }
  }

 private:
  void setNames(const char* caption) {
    XStoreName(display_, window_, caption);  // WM_NAME, a Latin-1 STRING
    const std::string utf8 = latin1ToUtf8(caption);
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                    XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
  }

  // A fixed-size dialog, modal, that the window manager may close.
  void setDialogHints() {
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);

    Atom dialog = XInternAtom(display_, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False), XA_ATOM,
                    32, PropModeReplace, reinterpret_cast<unsigned char*>(&dialog), 1);
    Atom modal = XInternAtom(display_, "_NET_WM_STATE_MODAL", False);
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&modal), 1);

    XSizeHints* size = XAllocSizeHints();
    if (size) {
      size->flags = PMinSize | PMaxSize;
      size->min_width = size->max_width = layout_.width;
      size->min_height = size->max_height = layout_.height;
      XSetWMNormalHints(display_, window_, size);
      XFree(size);
    }
    XWMHints* hints = XAllocWMHints();
    if (hints) {
      hints->flags = InputHint;
      hints->input = True;
      XSetWMHints(display_, window_, hints);
      XFree(hints);
    }
  }

  void draw() {
    XClearWindow(display_, window_);
    XDrawString(display_, window_, gc_, margin, layout_.textBaseline, text_,
                static_cast<int>(std::strlen(text_)));
    XDrawRectangle(display_, window_, gc_, layout_.buttonX, layout_.buttonY, buttonWidth,
                   buttonHeight);
    const char* label = "OK";
    const int labelWidth = font_ ? XTextWidth(font_, label, 2) : 12;
    const int labelAscent = font_ ? font_->ascent : 11;
    XDrawString(display_, window_, gc_, layout_.buttonX + (buttonWidth - labelWidth) / 2,
                layout_.buttonY + (buttonHeight + labelAscent) / 2 - 1, label, 2);
  }

  bool onButton(int x, int y) const {
    return x >= layout_.buttonX && x <= layout_.buttonX + buttonWidth && y >= layout_.buttonY &&
           y <= layout_.buttonY + buttonHeight;
  }

  static bool isDismissKey(KeySym key) {
    return key == XK_Return || key == XK_KP_Enter || key == XK_Escape || key == XK_space;
  }

  Display* display_;
  const char* text_;
  XFontStruct* font_;
  Layout layout_{};
  Window window_ = 0;
  GC gc_ = nullptr;
  Atom deleteWindow_ = 0;
};

}  // namespace

bool showModalMessage(const char* caption, const char* text) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XErrorHandler previous = XSetErrorHandler(ignoreXError);
  {
    MessageWindow window(display, caption, text);
    window.run();
  }
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return true;
}
