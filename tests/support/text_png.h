// PNG files of 32-bit frames for the text tests: writes a frame (to look at
// by eye, or to refresh a golden frame) and reads one back for comparison.
#pragma once

#include <cstdint>
#include <vector>

// Writes 0xAARRGGBB pixels as an opaque RGB PNG; true on success.
bool TextPngWrite(const char* path, const uint32_t* pixels, int width, int height, int pitch);
// Reads an RGB or RGBA PNG into 0xFFRRGGBB pixels; true on success.
bool TextPngRead(const char* path, std::vector<uint32_t>* pixels, int* width, int* height);
