// Windows bitmaps turned into mipmapped OpenGL textures.
#pragma once

#include <SDL.h>

#include <cstdint>

// Loads the bitmap at `path` as a texture; a bitmap that cannot be loaded ends
// the program through abortMissingFile.
unsigned int loadTexture(const char* path, int bitsPerPixel);

// The bitmap at `path` converted to `bitsPerPixel`, red and blue exchanged so
// that its bytes read as RGBA; the caller frees it.
SDL_Surface* loadSurface(const char* path, int bitsPerPixel);

// A texture of the surface's picture (32-bit surfaces only) with the given
// filters and repeat wrapping; left bound to GL_TEXTURE_2D.
unsigned int createTexture(SDL_Surface* surface, int magFilter, int minFilter);

void deleteTexture(unsigned int name);

// Exchanges the red and blue bytes of every pixel, where that has a meaning.
void swapRedBlue(SDL_Surface* surface);

uint32_t getPixel(SDL_Surface* surface, int x, int y);
void putPixel(SDL_Surface* surface, int x, int y, uint32_t value);

// Says that the file at `path` is missing or unreadable and ends the program
// with code -1.
[[noreturn]] void abortMissingFile(const char* path);
