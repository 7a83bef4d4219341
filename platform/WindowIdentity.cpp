#include "WindowIdentity.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

namespace {

// SDL's X11 window and its connection, held while a property is set.
class X11Window {
 public:
  X11Window() {
    SDL_VERSION(&info_.version);
    if (SDL_GetWMInfo(&info_) != 1 || info_.subsystem != SDL_SYSWM_X11) return;
    display_ = info_.info.x11.display;
    window_ = info_.info.x11.wmwindow ? info_.info.x11.wmwindow : info_.info.x11.window;
    if (display_ == nullptr || window_ == 0) {
      display_ = nullptr;
      return;
    }
    if (info_.info.x11.lock_func) info_.info.x11.lock_func();
  }
  ~X11Window() {
    if (display_ == nullptr) return;
    XFlush(display_);
    if (info_.info.x11.unlock_func) info_.info.x11.unlock_func();
  }
  X11Window(const X11Window&) = delete;
  X11Window& operator=(const X11Window&) = delete;

  bool usable() const { return display_ != nullptr; }

  // Replaces property `name` with `count` items of `format` bits of `type`.
  void set(const char* name, const char* type, int format, const void* data, int count) {
    XChangeProperty(display_, window_, XInternAtom(display_, name, False),
                    XInternAtom(display_, type, False), format, PropModeReplace,
                    static_cast<const unsigned char*>(data), count);
  }

 private:
  SDL_SysWMinfo info_{};
  Display* display_ = nullptr;
  Window window_ = 0;
};

// The _NET_WM_ICON data of `surface`: width, height, then one 0xAARRGGBB
// value per pixel, row by row; each item a long, as Xlib wants for 32-bit
// properties.
std::vector<long> iconData(SDL_Surface* bitmap) {
  SDL_Surface* pixels =
      SDL_CreateRGBSurface(SDL_SWSURFACE, bitmap->w, bitmap->h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  if (pixels == nullptr) return {};
  SDL_BlitSurface(bitmap, nullptr, pixels, nullptr);
  std::vector<long> data = {pixels->w, pixels->h};
  SDL_LockSurface(pixels);
  for (int y = 0; y < pixels->h; ++y) {
    const Uint32* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(pixels->pixels) +
                                                        y * pixels->pitch);
    for (int x = 0; x < pixels->w; ++x)
      data.push_back(static_cast<long>((row[x] & 0xFFFFFFu) | 0xFF000000u));
  }
  SDL_UnlockSurface(pixels);
  SDL_FreeSurface(pixels);
  return data;
}

}  // namespace

std::string latin1ToUtf8(const char* text) {
  std::string utf8;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p < 0x80) {
      utf8 += static_cast<char>(*p);
    } else {
      utf8 += static_cast<char>(0xc0 | (*p >> 6));
      utf8 += static_cast<char>(0x80 | (*p & 0x3f));
    }
  }
  return utf8;
}

void setWindowUtf8Title(const char* caption) {
  X11Window window;
  if (!window.usable()) return;
  const std::string utf8 = latin1ToUtf8(caption);
  for (const char* name : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"}) {
    window.set(name, "UTF8_STRING", 8, utf8.data(), static_cast<int>(utf8.size()));
  }
}

bool setWindowIcon(const std::string& path) {
  SDL_Surface* bitmap = SDL_LoadBMP(path.c_str());
  if (bitmap == nullptr) return false;
  const std::vector<long> data = iconData(bitmap);
  SDL_FreeSurface(bitmap);
  X11Window window;
  if (data.empty() || !window.usable()) return false;
  window.set("_NET_WM_ICON", "CARDINAL", 32, data.data(), static_cast<int>(data.size()));
  return true;
}
