// The OpenGL window, the GL state every drawing relies on, frames and time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Starts SDL, opens the window with an OpenGL context and sets the GL state;
// SDL_Quit runs at process exit. Returns why the window could not be had
// (for example "cannot open an OpenGL window: " and SDL's reason), or nothing
// once it is open.
std::optional<std::string> initVideo(int width, int height, int bitsPerPixel, bool fullscreen);

// Shows the frame just drawn, then clears for the next one and resets the
// modelview matrix to the identity.
void presentFrame();

// Milliseconds since SDL started.
uint32_t ticks();
