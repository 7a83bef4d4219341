// The OpenGL window with the GL state of a fresh context, frames and time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Starts SDL, opens the window (not full screen) with an OpenGL context and
// sets its first GL state: the projection of the fixed camera, depth test,
// alpha test and texturing on. The program's flat drawing turns the last
// three off before its first frame (main). SDL_Quit runs at process exit.
// Returns why the window could not be had (for example "cannot open an
// OpenGL window: " and SDL's reason), or nothing once it is open.
std::optional<std::string> initVideo(int width, int height, int bitsPerPixel);

// Shows the frame just drawn, then clears for the next one and resets the
// modelview matrix to the identity.
void presentFrame();

// Milliseconds since SDL started.
uint32_t ticks();
