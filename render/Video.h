// The OpenGL window, the GL state every drawing relies on, frames and time.
#pragma once

#include <cstdint>

// Starts SDL, opens the window with an OpenGL context and sets the GL state.
// SDL_Quit runs at process exit. Where SDL or the video mode cannot be had,
// says why on standard error and ends the process with code 1.
void initVideo(int width, int height, int bitsPerPixel, bool fullscreen);

// Shows the frame just drawn, then clears for the next one and resets the
// modelview matrix to the identity.
void presentFrame();

// Milliseconds since SDL started.
uint32_t ticks();
