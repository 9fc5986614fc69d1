// Where the finished picture goes in a window or on a screen of any size, and
// the whole-multiple step done on the drawing threads for platforms whose
// renderer has no graphics card behind it. Used by backend/sdl/ and by the
// headless platform's emulated screen.
#pragma once

#include "framework/backend/raster/surface.h"

// Where the picture goes in an output of outW×outH. With a smooth step (a
// graphics card scales the picture): the largest whole multiple of the
// picture that fits (at least 1) for the sharp step, then the centred
// rectangle of the whole fit, aspect kept. Without one: the whole multiple
// alone, centred (bars all round where the fit is not whole).
struct PresentLayout {
    int wholeScale;                 // nearest-neighbour step: picture × wholeScale
    int x, y, w, h;                 // final rectangle, centred
    bool smoothRest;                // a linear step follows (the fit is not whole)
};
PresentLayout PresentLayoutFor(int picW, int picH, int outW, int outH, bool smoothStep);

// Puts `picture` on `screen` as `layout` says, without a smooth step: the
// whole multiple drawn on the drawing threads, clipped to the screen. With
// `bars`, every pixel outside the picture is set to black too (a new screen,
// or one whose pixels were lost); otherwise only the picture's rectangle is
// written.
void PresentCompose(const Surface& screen, const Surface& picture, const PresentLayout& layout, bool bars);
