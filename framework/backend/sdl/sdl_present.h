// Presenting the finished picture through SDL's renderer: sharp scaling to any
// window or screen and presents tied to the display's vertical blank when the
// display runs at 60 Hz. Used by sdl_platform.cpp only.
#pragma once

#include <SDL.h>
#include <cstdint>

// The renderer and textures for a window; 0, or −1.
int SdlPresentCreate(SDL_Window* window, int width, int height, uint32_t (*ticksMs)(void));
void SdlPresentDestroy(void);
// Uploads the picture and shows it, scaled to the window's drawable size.
void SdlPresentFrame(const uint32_t* pixels, int width, int height, int pitch);
// 1 while presents wait for the real blank (see Platform::PresentWaitsForBlank).
int SdlPresentLocked(double* periodMs, uint32_t* lastBlankMs);

// Where the picture goes in an output of outW×outH: the largest whole
// multiple of the picture that fits (at least 1) for the sharp step, and the
// centred rectangle of the whole fit. Pure arithmetic, shared with the tests.
struct PresentLayout {
    int wholeScale;                 // nearest-neighbour step: picture × wholeScale
    int x, y, w, h;                 // final rectangle, aspect kept, centred
    bool smoothRest;                // a linear step follows (the fit is not whole)
};
PresentLayout SdlPresentLayout(int picW, int picH, int outW, int outH);
