// A block of 32-bit pixels: the back and front buffers and every image.
// Pixels are 0xAARRGGBB in native byte order.
#pragma once

#include <cstdint>

struct Surface {
    uint32_t* pixels;
    int width, height;
    int pitch;            // in pixels
};

struct ClipRect {
    int left, top, right, bottom;   // left ≤ x < right, top ≤ y < bottom
};
