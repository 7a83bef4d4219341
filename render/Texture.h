// Windows bitmaps turned into mipmapped OpenGL textures.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>

// Loads the bitmap at `path` as a texture; nothing when the file is missing,
// is no bitmap or cannot be converted.
std::optional<unsigned int> loadTexture(const char* path, int bitsPerPixel);

// The bitmap at `path` converted to `bitsPerPixel`, red and blue exchanged so
// that its bytes read as RGBA; the caller frees it. Null when the file is
// missing, is no bitmap or cannot be converted.
SDL_Surface* loadSurface(const char* path, int bitsPerPixel);

// A texture of the surface's picture (32-bit surfaces only) with the given
// filters and repeat wrapping; left bound to GL_TEXTURE_2D.
unsigned int createTexture(SDL_Surface* surface, int magFilter, int minFilter);

void deleteTexture(unsigned int name);

// Exchanges the red and blue bytes of every pixel, where that has a meaning.
void swapRedBlue(SDL_Surface* surface);

uint32_t getPixel(SDL_Surface* surface, int x, int y);
void putPixel(SDL_Surface* surface, int x, int y, uint32_t value);
