// Writes 32-bit pixels to a PNG file (libpng); for tests, tools and golden
// frames. Pixels are 0xAARRGGBB; `pitch` is in pixels.
#pragma once

#include <cstdint>
#include <vector>

// The PNG in memory (RGB, or RGBA with straight alpha); false on bad sizes.
bool EncodePng(std::vector<uint8_t>* out, const uint32_t* pixels, int width, int height, int pitch, bool alpha);
// RGB only (alpha ignored): what draw targets hold.
bool WritePng(const char* path, const uint32_t* pixels, int width, int height, int pitch);
// RGBA, straight alpha as given.
bool WritePngAlpha(const char* path, const uint32_t* pixels, int width, int height, int pitch);
