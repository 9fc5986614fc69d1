// A block of 32-bit pixels (the back and front buffers, every image, a
// window's screen) and a clip rectangle: what the rasterizer draws from and into.
// Pixels are 0xAARRGGBB in native byte order.
#pragma once

#include <cstdint>

struct Surface {
    uint32_t* pixels;
    int width, height;
    int pitch;            // in pixels
    // When `diagonals` is set, every texel (x, y) with alpha above 0 lies where
    // sumMin ≤ x + y ≤ sumMax and diffMin ≤ x − y ≤ diffMax: an octagon around
    // what is visible, so that turned and scaled draws can pass over the
    // transparent corners of round sprites. Unset: nothing is known.
    bool diagonals = false;
    int sumMin = 0, sumMax = 0, diffMin = 0, diffMax = 0;
};

struct ClipRect {
    int left, top, right, bottom;   // left ≤ x < right, top ≤ y < bottom
};
