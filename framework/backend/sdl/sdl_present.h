// Presenting the finished picture through SDL: sharp scaling to any window or
// screen, and presents tied to the display's vertical blank when the display
// runs at 60 Hz. Used by sdl_platform.cpp only.
#pragma once

#include <SDL.h>
#include <cstdint>

// The renderer (or, without a graphics card, the window's own pixels) for a
// window; 0, or −1.
int SdlPresentCreate(SDL_Window* window, int width, int height, uint32_t (*ticksMs)(void));
void SdlPresentDestroy(void);
// Uploads the picture and shows it, scaled to the window's drawable size.
void SdlPresentFrame(const uint32_t* pixels, int width, int height, int pitch);
// The window's contents were lost or its size changed: the next frame
// redraws the bars as well as the picture.
void SdlPresentRefresh(void);
// 1 while presents wait for the real blank (see Platform::PresentWaitsForBlank).
int SdlPresentLocked(double* periodMs, uint32_t* lastBlankMs);
