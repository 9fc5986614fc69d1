// Writes 32-bit pixels to a PNG file (libpng); for tests, tools and golden
// frames. Pixels are 0xAARRGGBB; `pitch` is in pixels.
#pragma once

#include <cstdint>

// RGB only (alpha ignored): what draw targets hold.
bool WritePng(const char* path, const uint32_t* pixels, int width, int height, int pitch);
// RGBA, straight alpha as given.
bool WritePngAlpha(const char* path, const uint32_t* pixels, int width, int height, int pitch);
