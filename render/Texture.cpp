#include "Texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

// Red and blue can only be told apart in pixels of three or four bytes; in
// smaller ones a pixel is a palette index or packed bit fields.
bool hasRedBlueBytes(const SDL_Surface* surface) { return surface->format->BytesPerPixel >= 3; }

Uint8* pixelAddress(SDL_Surface* surface, int x, int y) {
  return static_cast<Uint8*>(surface->pixels) + y * surface->pitch +
         x * surface->format->BytesPerPixel;
}

}  // namespace

std::optional<unsigned int> loadTexture(const char* path, int bitsPerPixel) {
  SDL_Surface* surface = loadSurface(path, bitsPerPixel);
  if (surface == nullptr) return std::nullopt;
  const unsigned int name = createTexture(surface, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST);
  SDL_FreeSurface(surface);
  return name;
}

SDL_Surface* loadSurface(const char* path, int bitsPerPixel) {
  SDL_RWops* stream = SDL_RWFromFile(path, "rb");
  if (stream == nullptr) return nullptr;
  SDL_Surface* bitmap = SDL_LoadBMP_RW(stream, 1);
  if (bitmap == nullptr) return nullptr;

  // A bitmap of three or four bytes a pixel has its red and blue exchanged
  // before the conversion, so that the converted pixels lie in memory as
  // red, green, blue, then a fourth byte. Smaller bitmaps are converted as
  // they are and the exchange is made on the converted pixels instead.
  const bool exchangeBeforeConversion = hasRedBlueBytes(bitmap);
  if (exchangeBeforeConversion) swapRedBlue(bitmap);

  SDL_Surface* result =
      SDL_CreateRGBSurface(SDL_SWSURFACE, bitmap->w, bitmap->h, bitsPerPixel, 0, 0, 0, 0);
  if (result == nullptr) {
    SDL_FreeSurface(bitmap);
    return nullptr;
  }
  SDL_Rect area{0, 0, static_cast<Uint16>(bitmap->w), static_cast<Uint16>(bitmap->h)};
  SDL_UpperBlit(bitmap, nullptr, result, &area);
  SDL_FreeSurface(bitmap);

  if (!exchangeBeforeConversion) swapRedBlue(result);
  return result;
}

unsigned int createTexture(SDL_Surface* surface, int magFilter, int minFilter) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  if (surface->format->BitsPerPixel == 32) {
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, surface->w, surface->h, GL_RGBA, GL_UNSIGNED_BYTE,
                      surface->pixels);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  return name;
}

void deleteTexture(unsigned int name) {
  GLuint texture = name;
  glDeleteTextures(1, &texture);
}

void swapRedBlue(SDL_Surface* surface) {
  if (!hasRedBlueBytes(surface)) return;
  for (int y = 0; y < surface->h; ++y) {
    for (int x = 0; x < surface->w; ++x) {
      const uint32_t v = getPixel(surface, x, y);
      const uint32_t swapped = (v & 0xff00ff00u) | ((v & 0xffu) << 16) | ((v >> 16) & 0xffu);
      putPixel(surface, x, y, swapped);
    }
  }
}

uint32_t getPixel(SDL_Surface* surface, int x, int y) {
  const Uint8* p = pixelAddress(surface, x, y);
  switch (surface->format->BytesPerPixel) {
    case 1:
      return p[0];
    case 2:
      return p[0] | p[1] << 8;
    case 3:
      return p[0] | p[1] << 8 | p[2] << 16;
    case 4:
      return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
    default:
      return 0;
  }
}

void putPixel(SDL_Surface* surface, int x, int y, uint32_t value) {
  Uint8* p = pixelAddress(surface, x, y);
  const int bytes = surface->format->BytesPerPixel;
  if (bytes < 1 || bytes > 4) return;
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<Uint8>(value >> (8 * i));
}
